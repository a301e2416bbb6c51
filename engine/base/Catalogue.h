// The programs' texts in the user's language: one message catalogue for the
// engine, the runner and both windows.
//
// The texts' keys (msgids) are the Japanese texts themselves, as they stand
// in the sources today. Japanese is the language the program was written in
// and the one it shows with no language set, so a Japanese run looks up
// nothing and prints the very bytes it always printed; a text that has no
// translation yet still shows something meaningful; and a translator reads
// the real sentence, not an invented identifier. Where one Japanese text
// needs two translations (a short label and a verb, say), TrC gives it a
// context (msgctxt) that tells them apart.
//
// A lookup tries the chosen language, then English, then gives the msgid:
// a partial catalogue shows its missing texts in English, and Japanese uses
// no catalogue at all. The catalogues are GNU .po files in po/ that the
// build checks, compiles with msgfmt and embeds in the program as data.
// Texts with figures use numbered placeholders (NumberedText.h), never
// pieces glued together, so that a translation may reorder them.
//
// scripts/update-po extracts the texts with xgettext from the calls below:
// Tr("…"), TrC("context", "…") and, for texts in tables that are translated
// where they are shown, TrNoop("…") and TrNoopC("context", "…").
#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/MoFile.h"

namespace tarnwell {

// The language whose texts are the msgids.
inline constexpr std::string_view SourceLanguage = "ja";
// The language that fills in what a partial catalogue lacks.
inline constexpr std::string_view FallbackLanguage = "en";

// One language's compiled catalogue as the build embeds it.
struct EmbeddedCatalogue {
  std::string_view language;  // "en", "de", "en@pseudo"
  std::span<const unsigned char> mo;
};

// The catalogues compiled into this program (a file the build generates).
std::span<const EmbeddedCatalogue> CompiledInCatalogues();

// A set of catalogues and the language chosen among them. Choosing is meant
// for start-up, but a lookup on another thread at the same time is safe: it
// sees the old language or the new one, and every text it returns lives as
// long as the program.
class Catalogues {
public:
  // Catalogues whose data is damaged are left out, as if absent.
  explicit Catalogues(std::span<const EmbeddedCatalogue> embedded);
  Catalogues(const Catalogues&) = delete;
  Catalogues& operator=(const Catalogues&) = delete;

  // The language for the user's preferences, most preferred first ("de_AT",
  // "fr", "en@pseudo"; platform::PreferredLanguages). Each is tried as it
  // is, then without its territory and modifier; Japanese, or no preference
  // at all, is the source language; else the first with a catalogue; else
  // English. Makes it the active language and returns it.
  std::string ChooseLanguage(std::span<const std::string> preferred);

  // Makes `language` (a code exactly as in Languages()) active; false, and
  // nothing changes, when there is no such catalogue.
  bool SetLanguage(std::string_view language);

  std::string_view Language() const;
  // The source language first, then every language with a catalogue.
  std::vector<std::string_view> Languages() const;

  // The text for `msgid` (in `context`, when not empty) in the active
  // language, else in English, else `msgid` itself.
  const char* Translate(std::string_view context, const char* msgid) const;

private:
  struct Entry {
    std::string_view language;
    MoFile file;
  };
  // The index in entries_ of a language's catalogue.
  std::optional<std::size_t> Find(std::string_view language) const;
  std::optional<std::string> Match(std::string_view preference) const;

  std::vector<Entry> entries_;
  std::optional<std::size_t> fallback_;
  // An index into entries_, or -1 for the source language.
  std::atomic<int> active_{-1};
};

// The program's own catalogues, compiled in; the source language until a
// language is chosen.
Catalogues& ProgramCatalogues();

// `msgid` in the active language of the program's catalogues.
inline const char* Tr(const char* msgid) { return ProgramCatalogues().Translate({}, msgid); }
inline const char* TrC(const char* context, const char* msgid) {
  return ProgramCatalogues().Translate(context, msgid);
}
// Marks a text for the catalogue without translating it here.
constexpr const char* TrNoop(const char* msgid) { return msgid; }
constexpr const char* TrNoopC(const char* /*context*/, const char* msgid) { return msgid; }

}  // namespace tarnwell
