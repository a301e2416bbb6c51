// Device counters on Linux: sysfs for the block devices beneath a folder
// (partitions, device-mapper and md members, loop devices followed to their
// backing file's disk, overlay layers) and their stat files; mountinfo where
// the folder's device number is no block device.
#include "platform/DeviceCounters.h"

#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/posix/LinuxCounters.h"

namespace tarnwell::platform {

namespace {

namespace fs = std::filesystem;

// Loops of loop devices, or of slaves, end here.
constexpr int DeepestNesting = 8;
constexpr double SectorBytes = 512;

std::string FirstLine(const fs::path& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\n')) line.pop_back();
  return line;
}

// The number at the start of `text` ("6.0 Gbps", "8.0 GT/s PCIe", "480").
double LeadingNumber(const std::string& text) {
  double value = 0;
  const std::from_chars_result read =
      std::from_chars(text.data(), text.data() + text.size(), value);
  return read.ec == std::errc() ? value : 0;
}

// The payload a serial link can carry at `gigabits` raw line rate, in bytes
// per second: PCIe and USB code 8b/10b up to 5 Gbit/s and 128b/130b (or
// 132b) above; SATA codes 8b/10b at every speed.
double PayloadBytes(double gigabits, bool sata = false) {
  const double efficiency = sata || gigabits <= 5.0 ? 0.8 : 128.0 / 130.0;
  return gigabits * 1e9 * efficiency / 8;
}

CounterGap GapOfFileSystem(const std::string& type) {
  if (type == "tmpfs" || type == "ramfs" || type == "devtmpfs") return CounterGap::InMemory;
  if (type == "overlay" || type == "aufs") return CounterGap::Overlay;
  if (type == "fuse" || type == "fuseblk" || type.rfind("fuse.", 0) == 0) return CounterGap::Fuse;
  static const char* const network[] = {"nfs",  "nfs4",      "cifs", "smb3",  "smbfs",    "9p",
                                        "ceph", "glusterfs", "afs",  "ncpfs", "virtiofs", "lustre"};
  for (const char* name : network) {
    if (type == name) return CounterGap::Network;
  }
  return CounterGap::None;
}

// A plan with nothing counted behind a gap.
CounterPlan Finished(CounterPlan plan) {
  if (plan.Gap != CounterGap::None) {
    plan.Devices.clear();
    plan.Sources.clear();
    plan.LinkBytesPerSecond = 0;
  } else if (plan.Sources.empty()) {
    plan.Gap = CounterGap::NoBlockDevice;
  }
  return plan;
}

class Planner {
public:
  explicit Planner(const LinuxView& view) : view_(view) {
    std::error_code ignored;
    sysRoot_ = fs::weakly_canonical(view.SysRoot, ignored);
  }

  void Resolve(const PathFacts& facts, int depth) {
    if (depth > DeepestNesting) return;
    const std::string numbers =
        std::to_string(facts.Device.Major) + ":" + std::to_string(facts.Device.Minor);
    const fs::path block = sysRoot_ / "dev" / "block" / numbers;
    std::error_code error;
    if (fs::exists(block, error)) {
      Collect(fs::canonical(block, error), depth);
      return;
    }
    FromMount(facts, depth);
  }

  CounterPlan Plan;

private:
  // A device number that is no block device (btrfs, tmpfs, NFS, ...): the
  // file system's type says whether it has a device at all, and its mount
  // source which one.
  void FromMount(const PathFacts& facts, int depth) {
    const std::optional<MountLine> mount = FindMount(view_.MountInfo, facts, view_.Path);
    const std::string type = mount ? mount->Type : "";
    const std::string source = mount ? mount->Source : "";
    Plan.FileSystemType = type;
    if (type == "overlay") {
      FromOverlay(*mount, depth);
      return;
    }
    if (const CounterGap gap = GapOfFileSystem(type); gap != CounterGap::None) {
      Plan.Gap = gap;
      return;
    }
    if (source.rfind("/dev/", 0) == 0) {
      std::error_code error;
      // /dev/mapper/NAME and /dev/disk/by-*/ are links to the device's node.
      const fs::path node =
          fs::exists(source, error) ? fs::canonical(source, error) : fs::path(source);
      const fs::path block = sysRoot_ / "class" / "block" / node.filename();
      if (fs::exists(block, error)) {
        // A btrfs spanning several devices names one of them as its source;
        // its members are listed together under /sys/fs/btrfs/UUID/devices.
        for (const fs::path& members : MemberLists(sysRoot_ / "fs" / "btrfs")) {
          if (fs::exists(members / node.filename(), error)) {
            for (const fs::path& member : Sorted(members)) Collect(Canonical(member), depth + 1);
            return;
          }
        }
        Collect(Canonical(block), depth + 1);
        return;
      }
    }
    if (Plan.Gap == CounterGap::None) Plan.Gap = CounterGap::NoBlockDevice;
  }

  // An overlay's layers from its mount options: the upper one (empty when
  // read-only) and every layer, the upper one first.
  struct OverlayOptions {
    std::string Upper;
    std::vector<std::string> Layers;
  };
  static OverlayOptions OverlayLayers(const std::string& mountOptions) {
    std::string upper;
    std::vector<std::string> layers;
    std::istringstream options(mountOptions);
    for (std::string option; std::getline(options, option, ',');) {
      const std::size_t equals = option.find('=');
      const std::string name = option.substr(0, equals);
      const std::string value = equals == std::string::npos ? "" : option.substr(equals + 1);
      if (name == "upperdir") {
        upper = UnescapeMountField(value);
      } else if (name == "lowerdir") {
        // Layers are joined by ':'; a ':' inside a name is escaped.
        std::istringstream lowers(value);
        for (std::string lower; std::getline(lowers, lower, ':');) {
          if (!lower.empty()) layers.push_back(UnescapeMountField(lower));
        }
      } else if (name == "lowerdir+" || name == "datadir+") {
        layers.push_back(UnescapeMountField(value));
      }
    }
    if (!upper.empty()) layers.insert(layers.begin(), upper);
    return {std::move(upper), std::move(layers)};
  }

  // An overlay's data lies in its layers' folders. Where every layer comes
  // down to the same devices, they are counted; an upper layer in memory
  // takes every write there. Anything else stays undecided.
  void FromOverlay(const MountLine& mount, int depth) {
    Plan.Gap = CounterGap::Overlay;
    const OverlayOptions overlay = OverlayLayers(mount.Options);
    const std::string& upper = overlay.Upper;
    const std::vector<std::string>& layers = overlay.Layers;
    if (layers.empty() || !view_.Path || depth >= DeepestNesting) return;
    std::vector<CounterPlan> plans;
    // Layers on one file system come down to one plan: a container's
    // hundred layers on one disk are followed once.
    std::set<std::tuple<unsigned, unsigned, std::uint64_t>> followed;
    for (const std::string& layer : layers) {
      const std::optional<PathFacts> facts = view_.Path(layer);
      if (!facts) return;
      if (!followed.insert({facts->Device.Major, facts->Device.Minor, facts->MountId.value_or(0)})
               .second) {
        continue;
      }
      Planner below(view_);
      below.Resolve(*facts, depth + 1);
      plans.push_back(Finished(std::move(below.Plan)));
      if (layer == upper && plans.back().Gap == CounterGap::InMemory) {
        Plan.Gap = CounterGap::InMemory;
        Plan.FileSystemType = plans.back().FileSystemType;
        Plan.Place = GapPlace::OverlayUpper;
        Plan.PlacePath = upper;
        return;
      }
    }
    auto devices = [](CounterPlan plan) {
      std::sort(plan.Devices.begin(), plan.Devices.end());
      return plan.Devices;
    };
    for (const CounterPlan& plan : plans) {
      if (!plan.Counted() || devices(plan) != devices(plans.front())) return;
    }
    const CounterPlan& first = plans.front();
    Plan.Gap = CounterGap::None;
    Plan.FileSystemType.clear();
    for (std::size_t i = 0; i < first.Sources.size(); ++i) {
      if (!seen_.insert(first.Sources[i]).second) continue;
      Plan.Devices.push_back(first.Devices[i]);
      Plan.Sources.push_back(first.Sources[i]);
    }
    if (first.LinkBytesPerSecond <= 0) linkUnknown_ = true;
    Plan.LinkBytesPerSecond = linkUnknown_ ? 0 : Plan.LinkBytesPerSecond + first.LinkBytesPerSecond;
    if (Plan.BackingFile.empty()) Plan.BackingFile = first.BackingFile;
  }

  // The entries of a folder in name order, whatever the directory's own.
  static std::vector<fs::path> Sorted(const fs::path& folder) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      entries.push_back(it->path());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }
  static fs::path Canonical(const fs::path& path) {
    std::error_code ignored;
    return fs::canonical(path, ignored);
  }
  // Each file system's list of member devices: /sys/fs/btrfs/*/devices.
  static std::vector<fs::path> MemberLists(const fs::path& folder) {
    std::vector<fs::path> lists;
    for (const fs::path& fileSystem : Sorted(folder)) lists.push_back(fileSystem / "devices");
    return lists;
  }

  void Collect(const fs::path& device, int depth) {
    if (depth > DeepestNesting || device.empty()) return;
    std::error_code error;
    // device-mapper and md: the members hold the data.
    // A partition of a loop, md or dm device holds what its whole device holds.
    const fs::path whole = device.parent_path();
    if (fs::exists(device / "partition", error) &&
        (!Sorted(whole / "slaves").empty() || fs::exists(whole / "loop", error))) {
      Collect(whole, depth + 1);
      return;
    }
    const std::vector<fs::path> members = Sorted(device / "slaves");
    for (const fs::path& member : members) Collect(Canonical(member), depth + 1);
    if (!members.empty()) return;
    // A loop device: its data lives in a file on another file system.
    const fs::path backing = device / "loop" / "backing_file";
    if (fs::exists(backing, error)) {
      CollectLoop(device, backing, depth);
      return;
    }
    const fs::path stat = device / "stat";
    if (!fs::exists(stat, error) || !seen_.insert(stat.string()).second) return;
    Plan.Devices.push_back(device.filename().string());
    Plan.Sources.push_back(stat.string());
    const double link = LinkCeiling(device);
    // Several devices can all run at once: their links add up. One link
    // unknown leaves the sum unknown.
    if (link <= 0) linkUnknown_ = true;
    Plan.LinkBytesPerSecond = linkUnknown_ ? 0 : Plan.LinkBytesPerSecond + link;
  }

  // A loop device: its data lives in the file `backing` names, on another
  // file system.
  void CollectLoop(const fs::path& device, const fs::path& backing, int depth) {
    std::string file = FirstLine(backing);
    const std::string deleted = " (deleted)";
    if (file.size() > deleted.size() &&
        file.compare(file.size() - deleted.size(), deleted.size(), deleted) == 0) {
      file.resize(file.size() - deleted.size());
    }
    // Without direct I/O the loop device reads through the file's page cache.
    if (FirstLine(device / "loop" / "dio") != "1" && Plan.BackingFile.empty()) {
      Plan.BackingFile = file;
    }
    const std::optional<PathFacts> holder = BackingFacts(device, file);
    const bool gapBefore = Plan.Gap != CounterGap::None;
    if (!holder) {
      if (!gapBefore) Plan.Gap = CounterGap::NoBlockDevice;
    } else if (holder->BlockDevice) {
      // A loop over a block device (a partition of another loop): that
      // device holds the data, not the file system of its node.
      PathFacts named;
      named.Device = *holder->BlockDevice;
      Resolve(named, depth + 1);
    } else {
      Resolve(*holder, depth + 1);
    }
    if (!gapBefore && Plan.Gap != CounterGap::None && Plan.Place == GapPlace::Folder) {
      Plan.Place = GapPlace::LoopBackingFile;
      Plan.PlacePath = file;
    }
  }

  // The fastest link of a SATA port's links.
  static double SataLinkCeiling(const fs::path& port) {
    std::error_code error;
    double best = 0;
    for (fs::directory_iterator it(port, error), end; !error && it != end; it.increment(error)) {
      const std::string link = it->path().filename().string();
      if (link.rfind("link", 0) != 0) continue;
      const double gigabits = LeadingNumber(FirstLine(it->path() / "ata_link" / link / "sata_spd"));
      if (gigabits > 0) best = std::max(best, PayloadBytes(gigabits, true));
    }
    return best;
  }

  // The link between the machine and the device, from the device's place
  // in sysfs upwards: a SATA port, an NVMe drive's PCIe slot, a USB port.
  double LinkCeiling(const fs::path& device) const {
    bool nvme = false;
    for (const fs::path& part : device) {
      if (part.string().rfind("nvme", 0) == 0) nvme = true;
    }
    std::error_code error;
    for (fs::path dir = device; dir.has_relative_path() && dir != sysRoot_;
         dir = dir.parent_path()) {
      const std::string name = dir.filename().string();
      if (name.size() > 3 && name.rfind("ata", 0) == 0 &&
          name.find_first_not_of("0123456789", 3) == std::string::npos) {
        return SataLinkCeiling(dir);
      }
      if (nvme && fs::exists(dir / "current_link_speed", error)) {
        const double transfers = LeadingNumber(FirstLine(dir / "current_link_speed"));
        const double width = LeadingNumber(FirstLine(dir / "current_link_width"));
        return transfers > 0 && width > 0 ? PayloadBytes(transfers) * width : 0;
      }
      if (fs::exists(dir / "idVendor", error) && fs::exists(dir / "speed", error)) {
        const double megabits = LeadingNumber(FirstLine(dir / "speed"));
        if (megabits <= 0) return 0;
        return megabits <= 480 ? megabits * 1e6 / 8 : PayloadBytes(megabits / 1000);
      }
    }
    return 0;
  }

  // Where a loop device's backing file is. The loop device itself says (its
  // name may be deleted, or a path in another mount namespace); its path is
  // trusted only where it names that very file, and then only for its mount.
  std::optional<PathFacts> BackingFacts(const fs::path& device, const std::string& file) const {
    const std::optional<PathFacts> path = view_.Path ? view_.Path(file) : std::nullopt;
    DeviceNumber number;
    const std::string numbers = FirstLine(device / "dev");
    if (const std::size_t colon = numbers.find(':'); colon != std::string::npos) {
      number.Major = static_cast<unsigned>(LeadingNumber(numbers.substr(0, colon)));
      number.Minor = static_cast<unsigned>(LeadingNumber(numbers.substr(colon + 1)));
    }
    const std::optional<LoopFacts> loop =
        view_.Loop ? view_.Loop(device.filename().string(), number) : std::nullopt;
    if (!loop) return path;
    PathFacts facts;
    facts.Device = loop->Device;
    facts.Inode = loop->Inode;
    facts.BlockDevice = loop->BlockDevice;
    if (path && path->Device == loop->Device && path->Inode == loop->Inode) {
      facts.MountId = path->MountId;
    }
    return facts;
  }

  const LinuxView& view_;
  fs::path sysRoot_;
  std::set<std::string> seen_;
  bool linkUnknown_ = false;
};

// LOOP_GET_STATUS64 on /dev/NAME, once the node is the loop device meant.
std::optional<LoopFacts> LoopFactsOf(const std::string& name, DeviceNumber number) {
  const int node = ::open(("/dev/" + name).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (node < 0) return std::nullopt;
  struct stat info {};
  loop_info64 status{};
  const bool asked =
      ::fstat(node, &info) == 0 && S_ISBLK(info.st_mode) && ::major(info.st_rdev) == number.Major &&
      ::minor(info.st_rdev) == number.Minor && ::ioctl(node, LOOP_GET_STATUS64, &status) == 0;
  ::close(node);
  if (!asked) return std::nullopt;
  LoopFacts facts;
  const auto device = static_cast<dev_t>(status.lo_device);
  facts.Device = {::major(device), ::minor(device)};
  facts.Inode = status.lo_inode;
  if (const auto named = static_cast<dev_t>(status.lo_rdevice); named != 0) {
    facts.BlockDevice = DeviceNumber{::major(named), ::minor(named)};
  }
  return facts;
}

}  // namespace

CounterPlan PlanLinuxCounters(const LinuxView& view, const PathFacts& folder) {
  Planner planner(view);
  planner.Resolve(folder, 0);
  return Finished(std::move(planner.Plan));
}

std::optional<CounterSample> ParseBlockStat(const std::string& text) {
  // reads, merged, sectors read, ms, writes, merged, sectors written, ...
  std::istringstream fields(text);
  std::uint64_t values[7] = {};
  for (std::uint64_t& value : values) {
    if (!(fields >> value)) return std::nullopt;
  }
  CounterSample sample;
  sample.ReadBytes = static_cast<std::int64_t>(values[2] * SectorBytes);
  sample.WrittenBytes = static_cast<std::int64_t>(values[6] * SectorBytes);
  return sample;
}

CounterPlan PlanDeviceCounters(const std::string& folder) {
  const std::string existing = NearestExistingFolder(folder);
  const std::optional<PathFacts> facts = PathFactsOf(existing);
  if (!facts) {
    CounterPlan plan;
    plan.Gap = CounterGap::Failed;
    plan.Code = errno;
    return plan;
  }
  LinuxView view;
  std::ifstream mounts("/proc/self/mountinfo");
  view.MountInfo.assign(std::istreambuf_iterator<char>(mounts), std::istreambuf_iterator<char>());
  view.Path = PathFactsOf;
  view.Loop = LoopFactsOf;
  return PlanLinuxCounters(view, *facts);
}

CounterSample ReadDeviceCounters(const CounterPlan& plan) {
  CounterSample total;
  if (!plan.Counted()) {
    total.Result = {IoError::NotFound, 0};
    return total;
  }
  for (const std::string& source : plan.Sources) {
    // One small read per device: a stat file is a single line.
    const int file = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
      total.Result = Status::Failure(errno);
      return total;
    }
    char text[512];
    const ssize_t length = ::read(file, text, sizeof text - 1);
    const int code = errno;
    ::close(file);
    const std::optional<CounterSample> sample =
        length > 0 ? ParseBlockStat(std::string(text, static_cast<std::size_t>(length)))
                   : std::nullopt;
    if (!sample) {
      total.Result = Status::Failure(length < 0 ? code : EIO);
      return total;
    }
    total.ReadBytes += sample->ReadBytes;
    total.WrittenBytes += sample->WrittenBytes;
  }
  return total;
}

bool RunningUnderWine() { return false; }

}  // namespace tarnwell::platform
