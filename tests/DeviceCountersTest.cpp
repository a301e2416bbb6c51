// Which devices' counters judge a folder, on a fake sysfs tree: partitions,
// device-mapper and md members, loop devices followed to their backing
// file's disk, device numbers that are no block device (btrfs, whose files
// carry numbers no mount line shows), overlays, and file systems without a
// device. And once for real: a loop-mounted ext4 image.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "engine/run/BenchmarkRun.h"
#include "platform/posix/LinuxCounters.h"
#include "tests/TempFolder.h"

namespace tarnwell {
namespace {

namespace fs = std::filesystem;
using platform::CounterGap;
using platform::DeviceNumber;
using platform::GapPlace;
using platform::LoopFacts;
using platform::PathFacts;
using testing::TempFolder;

// A sysfs tree with a SATA disk (sda, partition sda1, 6 Gbit/s), a USB disk
// (sdb, 5 Gbit/s), an NVMe drive (8 GT/s x4), dm-0 over sda1 and sdb, md0
// over dm-0 and the NVMe drive, and two loop devices backed by a file on
// sda1, one of them with direct I/O and the other partitioned, loop2 to
// loop5 whose facts the tests give, and a btrfs over sdb and the NVMe drive.
class FakeSysfs : public ::testing::Test {
protected:
  FakeSysfs() {
    const std::string ata = "devices/pci0000:00/0000:00:1f.2/ata1";
    File(ata + "/link1/ata_link/link1/sata_spd", "6.0 Gbps");
    Disk("8:0", ata + "/host0/target0:0:0/0:0:0:0/block/sda");
    Disk("8:1", ata + "/host0/target0:0:0/0:0:0:0/block/sda/sda1");
    const std::string usb = "devices/pci0000:00/0000:00:14.0/usb2/2-1";
    File(usb + "/idVendor", "0781");
    File(usb + "/speed", "5000");
    Disk("8:16", usb + "/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb");
    const std::string pcie = "devices/pci0000:00/0000:00:1d.0/0000:3d:00.0";
    File(pcie + "/current_link_speed", "8.0 GT/s PCIe");
    File(pcie + "/current_link_width", "4");
    Disk("259:0", pcie + "/nvme/nvme0/nvme0n1");
    Disk("254:0", "devices/virtual/block/dm-0");
    Member("devices/virtual/block/dm-0", "sda1", ata + "/host0/target0:0:0/0:0:0:0/block/sda/sda1");
    Member("devices/virtual/block/dm-0", "sdb",
           usb + "/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb");
    Disk("9:0", "devices/virtual/block/md0");
    Member("devices/virtual/block/md0", "dm-0", "devices/virtual/block/dm-0");
    Member("devices/virtual/block/md0", "nvme0n1", pcie + "/nvme/nvme0/nvme0n1");
    for (const char* loop : {"7:0", "7:1"}) {
      const std::string folder = std::string("devices/virtual/block/loop") + loop[2];
      Disk(loop, folder);
      File(folder + "/loop/backing_file", "/images/disk.img");
      File(folder + "/loop/dio", loop[2] == '0' ? "0" : "1");
    }
    const char* backings[] = {"/images/gone.img (deleted)", "/images/disk.img", "/dev/loop0p1",
                              "/home/vm.img"};
    for (int i = 2; i <= 5; ++i) {
      const std::string folder = "devices/virtual/block/loop" + std::to_string(i);
      Disk("7:" + std::to_string(i), folder);
      File(folder + "/loop/backing_file", backings[i - 2]);
      File(folder + "/loop/dio", "0");
    }
    File("devices/virtual/block/loop0/loop0p1/partition", "1");
    Disk("259:1", "devices/virtual/block/loop0/loop0p1");
    Member("fs/btrfs/0f1e", "sdb", usb + "/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb");
    Member("fs/btrfs/0f1e", "nvme0n1", pcie + "/nvme/nvme0/nvme0n1");
    Rename("fs/btrfs/0f1e/slaves", "fs/btrfs/0f1e/devices");
    view.SysRoot = root.Path();
    // What stat says, as the kernel does: a btrfs's files carry their
    // subvolume's number (0:41, 0:42), mountinfo the file system's (0:40).
    paths = {{"/images/disk.img", {{8, 1}, 12, 28, {}}},
             {"/home", {{0, 41}, 256, 40, {}}},
             {"/home/vm.img", {{0, 41}, 7, 40, {}}},
             {"/dev/loop0p1", {{0, 6}, 3, 20, DeviceNumber{259, 1}}},
             {"/upper", {{8, 1}, 30, 28, {}}},
             {"/lower", {{8, 1}, 31, 28, {}}},
             {"/tmp/upper", {{0, 51}, 2, 41, {}}},
             {"/tmp/lower", {{0, 51}, 3, 41, {}}}};
    view.Path = [this](const std::string& path) -> std::optional<PathFacts> {
      const auto found = paths.find(path);
      return found == paths.end() ? std::nullopt : std::optional(found->second);
    };
    view.Loop = [this](const std::string& name, DeviceNumber number) -> std::optional<LoopFacts> {
      const auto found = loops.find(name);
      if (found == loops.end() || number.Major != 7) return std::nullopt;
      return found->second;
    };
    view.MountInfo =
        "20 1 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
        "28 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "40 28 0:40 / /home rw - btrfs /dev/sdb rw,subvol=/\n"
        "45 28 0:40 /sv /srv rw - btrfs /dev/sdb rw,subvol=/sv\n"
        "41 28 0:51 / /tmp rw - tmpfs tmpfs rw\n"
        "42 28 0:52 / /net rw - nfs4 server:/export rw\n"
        "43 28 0:53 / /tank rw - zfs tank/data rw\n"
        "44 28 0:54 / /sshfs rw - fuse.sshfs me@host: rw\n"
        "50 28 0:60 / /o1 rw - overlay overlay rw,lowerdir=/lower:/lower,upperdir=/upper,"
        "workdir=/w\n"
        "51 28 0:61 / /o2 rw - overlay overlay rw,lowerdir=/lower,upperdir=/tmp/upper,"
        "workdir=/tmp/w\n"
        "52 28 0:62 / /o3 rw - overlay overlay rw,lowerdir=/tmp/lower,upperdir=/upper,"
        "workdir=/w\n"
        "53 28 0:63 / /o4 rw - overlay overlay rw,lowerdir=/gone,upperdir=/upper,workdir=/w\n";
  }

  void File(const std::string& path, const std::string& text) {
    fs::create_directories((fs::path(root.Path()) / path).parent_path());
    std::ofstream(fs::path(root.Path()) / path) << text << "\n";
  }
  // A block device at `path`, reached as /sys/dev/block/NUMBERS.
  void Disk(const std::string& numbers, const std::string& path) {
    File(path + "/stat", "1 0 8 0 2 0 16 0 0 0 0");
    File(path + "/dev", numbers);
    fs::create_directories(fs::path(root.Path()) / "dev/block");
    fs::create_directory_symlink(fs::path(root.Path()) / path,
                                 fs::path(root.Path()) / "dev/block" / numbers);
    fs::create_directories(fs::path(root.Path()) / "class/block");
    fs::create_directory_symlink(fs::path(root.Path()) / path,
                                 fs::path(root.Path()) / "class/block" / fs::path(path).filename());
  }
  void Rename(const std::string& from, const std::string& to) {
    fs::rename(fs::path(root.Path()) / from, fs::path(root.Path()) / to);
  }
  void Member(const std::string& holder, const std::string& name, const std::string& member) {
    fs::create_directories(fs::path(root.Path()) / holder / "slaves");
    fs::create_directory_symlink(fs::path(root.Path()) / member,
                                 fs::path(root.Path()) / holder / "slaves" / name);
  }
  platform::CounterPlan Plan(unsigned major, unsigned minor,
                             std::optional<std::uint64_t> mount = std::nullopt) {
    return platform::PlanLinuxCounters(view, {{major, minor}, 1, mount, {}});
  }

  TempFolder root;
  platform::LinuxView view;
  std::map<std::string, PathFacts> paths;
  std::map<std::string, LoopFacts> loops;
};

constexpr double Sata6 = 6e9 * 0.8 / 8;  // bytes per second
constexpr double Usb5 = 5e9 * 0.8 / 8;
constexpr double Nvme8x4 = 8e9 * 128 / 130 / 8 * 4;

TEST_F(FakeSysfs, BlockDevicesCountThemselvesOrTheirMembers) {
  const platform::CounterPlan partition = Plan(8, 1);
  EXPECT_EQ(partition.Devices, std::vector<std::string>{"sda1"});
  EXPECT_EQ(partition.Sources,
            std::vector<std::string>{root / "devices/pci0000:00/0000:00:1f.2/ata1/"
                                            "host0/target0:0:0/0:0:0:0/block/"
                                            "sda/sda1/stat"});
  EXPECT_DOUBLE_EQ(partition.LinkBytesPerSecond, Sata6);
  EXPECT_TRUE(partition.Counted());

  // device-mapper: its two members summed, their links added.
  const platform::CounterPlan dm = Plan(254, 0);
  EXPECT_EQ(dm.Devices, (std::vector<std::string>{"sda1", "sdb"}));
  EXPECT_DOUBLE_EQ(dm.LinkBytesPerSecond, Sata6 + Usb5);

  // md over dm-0 and an NVMe drive: followed down to every disk.
  const platform::CounterPlan md = Plan(9, 0);
  EXPECT_EQ(md.Devices, (std::vector<std::string>{"sda1", "sdb", "nvme0n1"}));
  EXPECT_DOUBLE_EQ(md.LinkBytesPerSecond, Sata6 + Usb5 + Nvme8x4);
  EXPECT_DOUBLE_EQ(Plan(259, 0).LinkBytesPerSecond, Nvme8x4);
}

TEST_F(FakeSysfs, LoopDevicesCountTheDiskHoldingTheirBackingFile) {
  const platform::CounterPlan loop = Plan(7, 0);
  EXPECT_EQ(loop.Devices, std::vector<std::string>{"sda1"});
  EXPECT_EQ(loop.BackingFile, "/images/disk.img");  // its page cache stands between
  // A partition of the loop device: the same disk, the same cache.
  EXPECT_EQ(Plan(259, 1).Devices, std::vector<std::string>{"sda1"});
  EXPECT_EQ(Plan(259, 1).BackingFile, "/images/disk.img");
  // With direct I/O the loop device bypasses that cache.
  const platform::CounterPlan direct = Plan(7, 1);
  EXPECT_EQ(direct.Devices, std::vector<std::string>{"sda1"});
  EXPECT_EQ(direct.BackingFile, "");
  // A backing file that cannot be reached leaves nothing to count.
  paths.clear();
  EXPECT_FALSE(Plan(7, 0).Counted());
  EXPECT_EQ(Plan(7, 0).Place, GapPlace::LoopBackingFile);
}

TEST_F(FakeSysfs, LoopDevicesAreBelievedOverTheirBackingPath) {
  // Deleted: only the loop device still knows where the file is.
  loops["loop2"] = {{8, 1}, 99, {}};
  EXPECT_EQ(Plan(7, 2).Devices, std::vector<std::string>{"sda1"});
  EXPECT_EQ(Plan(7, 2).BackingFile, "/images/gone.img");
  // Another mount namespace: its path names a different file here.
  loops["loop3"] = {{0, 51}, 5, {}};
  const platform::CounterPlan inMemory = Plan(7, 3);
  EXPECT_EQ(inMemory.Gap, CounterGap::InMemory);
  EXPECT_EQ(inMemory.FileSystemType, "tmpfs");
  EXPECT_EQ(inMemory.Place, GapPlace::LoopBackingFile);
  EXPECT_EQ(inMemory.PlacePath, "/images/disk.img");
  loops["loop3"] = {{0, 70}, 5, {}};  // a file system no mount here shows
  EXPECT_EQ(Plan(7, 3).Gap, CounterGap::NoBlockDevice);
  EXPECT_EQ(Plan(7, 3).FileSystemType, "");
  // Over a partition of another loop: the device it names, not devtmpfs;
  // the first cache on the way is that device's. Unprivileged, the node's
  // own st_rdev says the same.
  for (const bool asked : {true, false}) {
    if (asked) loops["loop4"] = {{0, 6}, 3, DeviceNumber{259, 1}};
    if (!asked) loops.erase("loop4");
    EXPECT_EQ(Plan(7, 4).Devices, std::vector<std::string>{"sda1"}) << asked;
    EXPECT_EQ(Plan(7, 4).BackingFile, "/dev/loop0p1");
  }
  // On btrfs: the path matches the loop's facts, so its mount id counts.
  loops["loop5"] = {{0, 41}, 7, {}};
  EXPECT_EQ(Plan(7, 5).Devices, (std::vector<std::string>{"nvme0n1", "sdb"}));
}

TEST_F(FakeSysfs, OverlaysCountLayersOnOneDeviceOrSayWhereTheMemoryIs) {
  const platform::CounterPlan oneDisk = Plan(0, 60);
  EXPECT_EQ(oneDisk.Devices, std::vector<std::string>{"sda1"});
  EXPECT_DOUBLE_EQ(oneDisk.LinkBytesPerSecond, Sata6);
  const platform::CounterPlan upperInMemory = Plan(0, 61);
  EXPECT_EQ(upperInMemory.Gap, CounterGap::InMemory);
  EXPECT_EQ(upperInMemory.Place, GapPlace::OverlayUpper);
  EXPECT_EQ(upperInMemory.PlacePath, "/tmp/upper");
  // Layers on different stores, or one that cannot be reached: undecided.
  for (const unsigned minor : {62u, 63u}) {
    EXPECT_EQ(Plan(0, minor).Gap, CounterGap::Overlay) << minor;
    EXPECT_EQ(Plan(0, minor).FileSystemType, "overlay");
  }
}

TEST_F(FakeSysfs, OtherDeviceNumbersGoByTheirMountSourceOrSayWhyNot) {
  // btrfs: found by the mount id (a subvolume, 0:42, mounted as 45), or
  // without one by the mount whose root has the number; its mount source
  // names one of its members, and every member counts.
  const std::vector<std::string> members = {"nvme0n1", "sdb"};
  EXPECT_EQ(Plan(0, 41, 40).Devices, members);
  EXPECT_EQ(Plan(0, 42, 45).Devices, members);
  EXPECT_EQ(Plan(0, 41).Devices, members);
  const struct {
    unsigned minor;
    CounterGap gap;
    const char* type;
  } gaps[] = {{51, CounterGap::InMemory, "tmpfs"},
              {52, CounterGap::Network, "nfs4"},
              {53, CounterGap::NoBlockDevice, "zfs"},
              {54, CounterGap::Fuse, "fuse.sshfs"},
              {99, CounterGap::NoBlockDevice, ""}};
  for (const auto& c : gaps) {
    const platform::CounterPlan plan = Plan(0, c.minor);
    EXPECT_EQ(plan.Gap, c.gap) << c.type;
    EXPECT_EQ(plan.FileSystemType, c.type);
    EXPECT_FALSE(plan.Counted());
    EXPECT_TRUE(plan.Devices.empty());
  }
}

TEST(BlockStat, SectorsAreHalfKilobytes) {
  const std::optional<platform::CounterSample> sample = platform::ParseBlockStat(
      " 1014940    16856 25295818   561679  2939723   737811 134507646   935550 0 334756\n");
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->ReadBytes, 25295818LL * 512);
  EXPECT_EQ(sample->WrittenBytes, 134507646LL * 512);
  EXPECT_FALSE(platform::ParseBlockStat("1 2 3"));
}

// As root where loop devices can be made: 50 files of 1 MB on an ext4
// image mounted through a loop device. The reads come back from the image
// file's page cache, and the verdict must say so.
TEST(LoopImage, ReadsFromALoopMountedImageAreJudgedACache) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a loop device and mount it";
  // Beside the build, on a disk: an image on tmpfs would have no counters.
  const fs::path folder = fs::current_path() / ("loop-image-" + std::to_string(::getpid()));
  fs::create_directories(folder / "mnt");
  const std::string image = (folder / "disk.img").string();
  const std::string mountPoint = (folder / "mnt").string();
  const std::string device = (folder / "device").string();
  const std::string make = "truncate -s 96M '" + image + "' && mkfs.ext4 -q -F '" + image +
                           "' >/dev/null 2>&1 && losetup -f --show '" + image + "' > '" + device +
                           "' 2>/dev/null";
  std::string loop;
  if (std::system(make.c_str()) == 0) std::getline(std::ifstream(device), loop);
  if (loop.empty() || ::mount(loop.c_str(), mountPoint.c_str(), "ext4", 0, nullptr) != 0) {
    if (!loop.empty()) std::system(("losetup -d " + loop).c_str());
    fs::remove_all(folder);
    GTEST_SKIP() << "no loop device could be made and mounted here";
  }

  RunChoices choices;
  choices.Folder = mountPoint;
  choices.FileSizeIndex = 3;   // 1MB
  choices.TotalSizeIndex = 3;  // 50MB
  choices.OneMegabyteBlocks = true;
  choices.ReadPercentageIndex = ReadAllIndex;
  choices.Parameters.ReadPercent = 100;
  choices.DeleteFiles = true;
  PatternBuffer buffer;
  Generator generator;
  class : public RunObserver {
    void ResultTextChanged(const std::string&) override {}
  } observer;
  RunEnvironment environment;
  BenchmarkRun run(choices, buffer, generator, observer, environment);
  const RunOutcome outcome = run.Execute();
  const RunRecord record = run.Record(outcome);

  ::umount2(mountPoint.c_str(), MNT_DETACH);
  std::system(("losetup -d " + loop).c_str());
  fs::remove_all(folder);

  ASSERT_EQ(outcome.Result, RunOutcome::Kind::Completed) << outcome.Message;
  EXPECT_EQ(record.Counting.BackingFile, image);
  ASSERT_FALSE(record.Counting.Devices.empty());
  const PhaseVerdict& read = record.Repetitions.at(0).Read->Verdict;
  EXPECT_EQ(read.Kind, VerdictKind::Cache) << read.DeviceBytes << " of " << read.Bytes;
}

}  // namespace
}  // namespace tarnwell
