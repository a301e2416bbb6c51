// Figures as the notes after a run write them for a person to read.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwell {

// A throughput: whole and grouped by thousands from 100 on ("2,560"), else
// with one decimal ("12.5").
std::string GroupedFigure(double value);

// A size in round figures: "12.3 GB", "512 MB", "3.5 MB", "640 KB"
// (units of 2^10 bytes).
std::string ApproximateSize(std::int64_t bytes);

}  // namespace tarnwell
