// The I/O counters of the devices that really hold a folder's data, so that
// a run can compare the bytes it moved with the bytes the devices moved.
// Planned once before a run (which devices, which caches stand between, how
// fast the link can go); sampled cheaply around each timed phase, never
// inside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Error.h"

namespace tarnwell::platform {

// Why a folder has no device counters.
enum class CounterGap {
  None,
  InMemory,       // tmpfs, ramfs: no device at all
  Overlay,        // overlay file systems: the layers' devices are not one
  Fuse,           // a user-space file system: its storage is anyone's guess
  Network,        // NFS, SMB, 9p, ...: the disk is on another machine
  NoBlockDevice,  // no block device found beneath the file system (ZFS, ...)
  Failed,         // the system's calls failed (Code says why)
  Wine,           // Wine emulates the calls; it has no counters of its own
};

// Where the folder's data meets the gap: on its own file system, or further
// down, in a loop device's backing file or an overlay's upper layer (an ext4
// folder whose image lives on tmpfs still lands in memory).
enum class GapPlace {
  Folder,
  LoopBackingFile,
  OverlayUpper,
};

struct CounterPlan {
  // The devices counted, as the system names them ("vda", "PhysicalDrive0").
  std::vector<std::string> Devices;
  // What a sample reads, one per device (sysfs stat files, drive paths).
  std::vector<std::string> Sources;
  // A loop device's backing file whose page cache answers the reads; empty
  // when there is none (or the loop device does direct I/O).
  std::string BackingFile;
  // The fastest the link to the devices can carry, bytes per second; 0 when
  // the system does not say. Faster than this can only be a cache.
  double LinkBytesPerSecond = 0;
  CounterGap Gap = CounterGap::None;
  std::string FileSystemType;  // the file system behind a gap ("tmpfs", "zfs")
  GapPlace Place = GapPlace::Folder;
  std::string PlacePath;  // the backing file or upper layer of a gap further down
  int Code = 0;           // the native code behind CounterGap::Failed

  bool Counted() const { return Gap == CounterGap::None && !Sources.empty(); }
};

// The devices' totals since they started, summed over the plan's devices.
struct CounterSample {
  Status Result;
  std::int64_t ReadBytes = 0;
  std::int64_t WrittenBytes = 0;
};

// Which devices hold `folder` (or its nearest existing parent).
CounterPlan PlanDeviceCounters(const std::string& folder);
// Reads the plan's counters now; a failure when any of them cannot be read.
CounterSample ReadDeviceCounters(const CounterPlan& plan);
// Whether this program runs under Wine, which does not honour unbuffered or
// write-through I/O: every figure is then the host's cache.
bool RunningUnderWine();

}  // namespace tarnwell::platform
