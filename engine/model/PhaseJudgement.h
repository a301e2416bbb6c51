// What judging a phase found, as the run record keeps it: whether the
// devices or a cache answered, and where a write phase's throughput fell and
// stayed down. How they are found is the judging's own (engine/judge/).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwell {

// What a run knew about the devices beneath its folder, from before it began.
struct DeviceCounting {
  std::vector<std::string> Devices;  // "vda"; none when there are no counters
  // A loop device's backing file, whose page cache stands between.
  std::string BackingFile;
  double LinkMBps = 0;  // the link's ceiling in 2^20 bytes per second; 0 unknown
  bool Wine = false;
  std::string Reason;  // why there are no counters; empty when there are
};

enum class VerdictKind {
  None,     // the phase was not judged (a history line from before)
  Device,   // the devices moved at least 90 % of the bytes
  Mixed,    // between half and 90 %
  Cache,    // less than half, faster than the link, or Wine
  Unknown,  // no counters
};

struct PhaseVerdict {
  VerdictKind Kind = VerdictKind::None;
  std::int64_t Bytes = 0;         // what the benchmark moved
  std::int64_t DeviceBytes = -1;  // what the devices moved; -1 without counters
  bool OverLink = false;          // faster than the link can carry

  // DeviceBytes / Bytes; -1 without counters.
  double Ratio() const {
    return DeviceBytes < 0 || Bytes <= 0
               ? -1
               : static_cast<double>(DeviceBytes) / static_cast<double>(Bytes);
  }
};

// A write phase's lasting fall in throughput.
struct WriteCliff {
  std::int32_t Share = 0;    // the first share of the timeline after the fall
  std::int64_t AtBytes = 0;  // bytes written before it
  double BeforeMBps = 0;     // the rate before and after (2^20 bytes per second)
  double AfterMBps = 0;
};

}  // namespace tarnwell
