// The run choices through the settings file, and what a run without a
// window derives from them.
#include <gtest/gtest.h>

#include "engine/run/Choices.h"

namespace tarnwell {
namespace {

TEST(Choices, RoundTripThroughTheSettingsFileInItsOrderAndForms) {
  Choices chosen;
  chosen.Folder = "/data/ベンチ";
  chosen.FileSizeIndex = 7;
  chosen.TotalSizeIndex = -1;  // a list without a selection
  chosen.DeleteFiles = false;
  chosen.ReadRandom = true;
  chosen.ReadPercentageIndex = 2;
  chosen.RepeatIndex = 3;
  chosen.PriorityIndex = 0;
  chosen.WaitIndex = 10;
  platform::IniFile settings = platform::IniFile::FromText("[Window]\nTop=1\n");
  WriteChoices(settings, chosen);
  EXPECT_EQ(settings.ToText(),
            "[Window]\nTop=1\n\n[Main]\nFolder=/data/ベンチ\nFileSize=7\nTotalSize=-1\n"
            "DeleteAfterWrite=0\nWriteRead1MB=1\nReadOnly=0\nReadRandom=1\nReadPercentage=2\n"
            "Repeat=3\nPriority=0\nWait=10\n");

  const platform::IniFile reread = platform::IniFile::FromText(settings.ToText());
  for (const IndexOutsideList outside :
       {IndexOutsideList::AsStored, IndexOutsideList::KeepDefault}) {
    const Choices back = ReadChoices(reread, Choices{}, outside);
    EXPECT_EQ(back.Folder, chosen.Folder);
    EXPECT_EQ(back.FileSizeIndex, 7);
    EXPECT_EQ(back.TotalSizeIndex, outside == IndexOutsideList::AsStored ? -1 : 0);
    EXPECT_FALSE(back.DeleteFiles);
    EXPECT_TRUE(back.OneMegabyteBlocks);
    EXPECT_FALSE(back.ReadOnly);
    EXPECT_TRUE(back.ReadRandom);
    EXPECT_EQ(back.ReadPercentageIndex, 2);
    EXPECT_EQ(back.RepeatIndex, 3);
    EXPECT_EQ(back.PriorityIndex, 0);
    EXPECT_EQ(back.WaitIndex, 10);
  }
}

TEST(Choices, IndexesOutsideTheListsKeepTheirDefaultsAndNothingReadsOutsideATable) {
  const platform::IniFile settings = platform::IniFile::FromText(
      "[Main]\nFileSize=8\nTotalSize=-1\nReadPercentage=10\nRepeat=4\nPriority=4\nWait=11\n"
      "Folder=\n");
  Choices defaults;
  defaults.Folder = "/home/someone";
  defaults.WaitIndex = 2;
  const Choices kept = ReadChoices(settings, defaults, IndexOutsideList::KeepDefault);
  EXPECT_EQ(kept.Folder, "");  // present but empty is no absent key
  EXPECT_EQ(kept.FileSizeIndex, 3);
  EXPECT_EQ(kept.TotalSizeIndex, 0);
  EXPECT_EQ(kept.ReadPercentageIndex, ReadAllIndex);
  EXPECT_EQ(kept.RepeatIndex, 0);
  EXPECT_EQ(kept.PriorityIndex, 1);
  EXPECT_EQ(kept.WaitIndex, 2);
  EXPECT_TRUE(kept.DeleteFiles && kept.OneMegabyteBlocks && !kept.ReadOnly && !kept.ReadRandom);
  const Choices stored = ReadChoices(settings, defaults, IndexOutsideList::AsStored);
  EXPECT_EQ(stored.FileSizeIndex, 8);
  EXPECT_EQ(stored.WaitIndex, 11);

  // Derived as the window's start-up does: no pause, the share as it was,
  // no 1 MB blocks for a size that is no item, and no file count.
  RunChoices run;
  static_cast<Choices&>(run) = stored;
  run.Parameters.ReadPercent = 50;
  DeriveParameters(run);
  EXPECT_EQ(run.Parameters.WaitMSec, 0);
  EXPECT_EQ(run.Parameters.ReadPercent, 50);
  EXPECT_FALSE(run.OneMegabyteBlocks);
  EXPECT_EQ(run.Parameters.FileSize, 0);
  EXPECT_EQ(run.Parameters.FileCount, 0);
  // "100KB" drops the tick, "1MB" keeps it; wait and share follow their items.
  for (const auto& [size, blocks] : {std::pair{2, false}, std::pair{3, true}}) {
    RunChoices small;
    small.FileSizeIndex = size;
    small.WaitIndex = 4;
    small.ReadPercentageIndex = 2;
    DeriveParameters(small);
    EXPECT_EQ(small.OneMegabyteBlocks, blocks) << size;
    EXPECT_EQ(small.Parameters.WaitMSec, 4000);
    EXPECT_EQ(small.Parameters.ReadPercent, 0.5);
  }
}

}  // namespace
}  // namespace tarnwell
