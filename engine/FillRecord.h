// What a whole-drive check found, as its run record keeps it: the size the
// file system claims, what was written, what read back as written and how
// much of the drive that leaves usable.
#pragma once

#include <cstdint>

namespace tarnwell {

struct FillRecord {
  std::int64_t CapacityBytes = -1;  // the file system's size as it claims it; -1 unknown
  std::int64_t FreeBytes = -1;      // its free space before the check
  std::int64_t PlannedBytes = 0;    // the test files' total: the free space less a margin
  std::int64_t WrittenBytes = 0;    // what reached the drive before the write phase ended
  std::int64_t VerifiedBytes = 0;   // sectors that read back exactly as written
  // About how much of the drive holds what it is given; -1 when nothing was
  // read back.
  std::int64_t UsableBytes = -1;
};

}  // namespace tarnwell
