// Figures for a person to read in the notes after a run.
#include "engine/base/FigureText.h"

#include <cmath>
#include <cstdio>

namespace tarnwell {

std::string GroupedFigure(double value) {
  char text[64];
  if (!(std::fabs(value) >= 99.95)) {
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
  }
  std::snprintf(text, sizeof text, "%.0f", value);
  const std::string digits = text;
  const std::size_t first = digits[0] == '-' ? 1 : 0;
  std::string grouped = digits.substr(0, first);
  for (std::size_t at = first; at < digits.size(); ++at) {
    if (at > first && (digits.size() - at) % 3 == 0) grouped += ',';
    grouped += digits[at];
  }
  return grouped;
}

std::string ApproximateSize(std::int64_t bytes) {
  const double value = static_cast<double>(bytes);
  char text[64];
  if (value >= 1073741824.0) {
    std::snprintf(text, sizeof text, "%.1f GB", value / 1073741824.0);
  } else if (value >= 10485760.0) {
    std::snprintf(text, sizeof text, "%.0f MB", value / 1048576.0);
  } else if (value >= 1048576.0) {
    std::snprintf(text, sizeof text, "%.1f MB", value / 1048576.0);
  } else {
    std::snprintf(text, sizeof text, "%.0f KB", value / 1024.0);
  }
  return text;
}

}  // namespace tarnwell
