// The shareable report of a run: one self-contained XHTML file (UTF-8,
// Japanese labels, inline SVG charts, no scripts or outside resources) that
// reads offline and prints well.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/RunRecord.h"

namespace tarnwell {

// How many earlier runs the comparison chart shows: the latest ones.
inline constexpr std::size_t ComparedRuns = 50;

// `earlier`: runs of the same setup from the history, oldest first, for the
// comparison chart, which shows the last ComparedRuns of them.
std::string HtmlReport(const RunRecord& run, const std::vector<RunRecord>& earlier);

// `text` for XHTML: bytes that are not UTF-8 and characters XML forbids
// become U+FFFD; & < > " are escaped. Everything else stays byte for byte.
std::string XmlText(const std::string& text);

}  // namespace tarnwell
