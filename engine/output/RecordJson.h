// The run record as JSON: the device, the figures, and the history line
// with its reading back. The runner's document and the merge build on them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/model/RunRecord.h"

namespace tarnwell {

// The device identity as a JSON object.
std::string DeviceJson(const platform::DeviceIdentity& device);
// Percentiles (and, when `withTimeline`, the timeline both as bare MB/s and
// with each share's end, and the raw histogram) as a JSON object.
std::string StatsJson(const PhaseStats& stats, bool withTimeline);
// The histogram with its bucket geometry, counts as [index, count] pairs.
std::string HistogramJson(const LatencyHistogram& histogram);

// One line of the history file (no line end): the record without its
// timelines, which only a report of the run itself shows.
std::string HistoryLine(const RunRecord& record);
// How much of a history line is read: all of it, or what a row of the
// history's list shows (date, device, folder, file size, total, block, the
// means and the result), the rest being checked as JSON only.
enum class HistoryDetail { Whole, Row };

// The record a history line holds; nothing when the line is damaged.
std::optional<RunRecord> ParseHistoryLine(std::string_view line,
                                          HistoryDetail detail = HistoryDetail::Whole);

}  // namespace tarnwell
