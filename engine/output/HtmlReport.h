// The shareable report of a run: one self-contained XHTML file (UTF-8,
// Japanese labels, inline SVG charts, no scripts or outside resources) that
// reads offline and prints well.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/base/XmlText.h"
#include "engine/model/RunRecord.h"

namespace tarnwell {

// How many earlier runs the comparison chart shows: the latest ones.
inline constexpr std::size_t ComparedRuns = 50;

// `earlier`: runs of the same setup from the history, oldest first, for the
// comparison chart, which shows the last ComparedRuns of them.
std::string HtmlReport(const RunRecord& run, const std::vector<RunRecord>& earlier);

// One group of bars: a name under a write and a read bar (MB/s; -1: none).
struct ThroughputBars {
  std::string Name;
  double WriteMBps = -1;
  double ReadMBps = -1;
};
// An inline SVG chart of the groups side by side, in the report's style.
std::string ThroughputBarChart(const std::vector<ThroughputBars>& groups, const std::string& label);
// A whole report page in the report's style around `sections`: "Tarnwell
// " + `title` in the window's title, `heading` and `subtitle` at its head.
std::string ReportPage(const std::string& title, const std::string& heading,
                       const std::string& subtitle, const std::string& sections);

}  // namespace tarnwell
