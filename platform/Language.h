// The languages the user has asked the system for, for the program's
// message catalogue to choose from (engine/base/Catalogue.h).
#pragma once

#include <string>
#include <vector>

namespace tarnwell::platform {

// Language codes, most preferred first: "ll", "ll_CC" or either with an
// "@modifier" ("de_AT", "sr@latin"), without a code set. Empty when the
// system sets no language (the C or POSIX locale, or nothing at all).
//
// POSIX: the entries of LANGUAGE (a colon-separated list), then the locale
// that decides messages, the first of LC_ALL, LC_MESSAGES and LANG that is
// set and not empty. A C or POSIX locale names no language. Windows: the
// user's display language.
std::vector<std::string> PreferredLanguages();

}  // namespace tarnwell::platform
