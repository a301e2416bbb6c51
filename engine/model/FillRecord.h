// What a whole-drive check found, as its run record keeps it: the size the
// file system claims, what was written, what read back as written and how
// much of the drive that leaves usable.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwell {

// Why the writes stopped before the plan, as far as the system tells.
enum class FillShortfall {
  None,            // every planned file was written
  Inodes,          // no file (inode) could be made any more
  FreeSpaceShown,  // "no space" while the file system still showed room
  OtherWriters,    // the free space went elsewhere while the check wrote
  WholeBlocks,     // the files took more room than their bytes
  Records,         // none of these: the file system's own records
  WriteError,      // a write failed otherwise (an I/O error)
};

struct FillRecord {
  std::int64_t CapacityBytes = -1;  // the file system's size as it claims it; -1 unknown
  std::int64_t FreeBytes = -1;      // its free space before the check
  std::int64_t PlannedBytes = 0;    // the test files' total: the free space less a margin
  std::int64_t WrittenBytes = 0;    // what reached the drive before the write phase ended
  std::int64_t VerifiedBytes = 0;   // sectors that read back exactly as written
  // About how much of the drive holds what it is given; -1 when nothing was
  // read back.
  std::int64_t UsableBytes = -1;
  FillShortfall Shortfall = FillShortfall::None;
  // When the writes stopped early: the free space the file system showed
  // then, and what the check's files held on the disk (-1 unknown).
  std::int64_t FreeAfterBytes = -1;
  std::int64_t AllocatedBytes = -1;
  std::string StopReason;  // the system's words for the failed write
};

}  // namespace tarnwell
