// Text for XHTML, as the reports and the notes that go into them use it.
#pragma once

#include <string>

namespace tarnwell {

// `text` for XHTML: bytes that are not UTF-8 and characters XML forbids
// become U+FFFD; & < > " are escaped; bidirectional controls are shown as
// \uHHHH, as on the terminal. Everything else stays byte for byte.
std::string XmlText(const std::string& text);

}  // namespace tarnwell
