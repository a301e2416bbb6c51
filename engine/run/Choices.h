// The user's choices for a run, in one place: the "Main" section of the
// settings file with its keys and the values of a first start, reading and
// writing them, and the derivations that turn them into run parameters. The
// window shows them in its controls, the runner takes them as its defaults.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/model/RunParameters.h"
#include "platform/IniFile.h"

namespace tarnwell {

// A key holding the 0-based index of a list's item, not the item's value.
struct IndexKey {
  std::string_view Name;
  int Default;
  int Items;  // the list's length: a stored index at or beyond it is no item
};

// A key holding a check mark, written "1" or "0".
struct FlagKey {
  std::string_view Name;
  bool Default;
};

// The settings file's section of the choices and its keys, in the order the
// window writes them. The folder's default is the caller's (a home folder).
namespace ChoiceKeys {
inline constexpr std::string_view Section = "Main";
inline constexpr std::string_view Folder = "Folder";
inline constexpr IndexKey FileSize{"FileSize", 3, ItemCount};    // "1MB"
inline constexpr IndexKey TotalSize{"TotalSize", 0, ItemCount};  // "1MB"
inline constexpr FlagKey DeleteAfterWrite{"DeleteAfterWrite", true};
inline constexpr FlagKey WriteRead1MB{"WriteRead1MB", true};
inline constexpr FlagKey ReadOnly{"ReadOnly", false};
inline constexpr FlagKey ReadRandom{"ReadRandom", false};
inline constexpr IndexKey ReadPercentage{"ReadPercentage", ReadAllIndex,
                                         static_cast<int>(ReadPercentageItems.size())};
inline constexpr IndexKey Repeat{"Repeat", 0, static_cast<int>(RepeatItems.size())};
inline constexpr IndexKey Priority{"Priority", 1, static_cast<int>(PriorityItems.size())};
inline constexpr IndexKey Wait{"Wait", 0, static_cast<int>(WaitItems.size())};
}  // namespace ChoiceKeys

// The choices as the window's controls hold them; a default-made one holds
// those of a first start, but for the folder.
struct Choices {
  std::string Folder;
  int FileSizeIndex = ChoiceKeys::FileSize.Default;
  int TotalSizeIndex = ChoiceKeys::TotalSize.Default;
  bool DeleteFiles = ChoiceKeys::DeleteAfterWrite.Default;
  bool OneMegabyteBlocks = ChoiceKeys::WriteRead1MB.Default;
  bool ReadOnly = ChoiceKeys::ReadOnly.Default;
  bool ReadRandom = ChoiceKeys::ReadRandom.Default;
  int ReadPercentageIndex = ChoiceKeys::ReadPercentage.Default;
  int RepeatIndex = ChoiceKeys::Repeat.Default;
  // Shown by the window and applied only when its list is closed; the run
  // never changes the priority.
  int PriorityIndex = ChoiceKeys::Priority.Default;
  // The run takes the pause as RunParameters::WaitMSec.
  int WaitIndex = ChoiceKeys::Wait.Default;
};

// What a stored index outside its list reads as.
enum class IndexOutsideList {
  AsStored,     // as the file holds it: the window then shows no selection
  KeepDefault,  // the default's index
};

// The choices the file holds; each absent key (or unreadable value) reads
// as in `defaults`. A folder key that is present but empty reads as empty.
Choices ReadChoices(const platform::IniFile& settings, const Choices& defaults,
                    IndexOutsideList outside);

// Writes every key of the section, in its order, into the document; the
// caller replaces the file.
void WriteChoices(platform::IniFile& settings, const Choices& choices);

// Whether the stored folder is longer than a reader takes, so that the
// folder read is only its beginning.
bool SavedFolderIsCut(const platform::IniFile& settings);

// What the run reads from the window, taken once before it starts: the
// choices, and FileSize and FileCount as the window holds them (the run
// derives them afresh); WaitMSec and ReadPercent are taken as they stand.
struct RunChoices : Choices {
  RunParameters Parameters;
  std::int64_t TotalBytes = 0;  // a total in bytes (runner only); 0: the list's TotalSizeIndex
  // When not empty, the run folder is TRW_TEMP-<this host name>.
  std::string PerHost;
  // A whole-drive check: the run sizes itself to the free space (see
  // engine/run/WholeDriveCheck.h).
  bool Fill = false;
  // Stamp every sector written and check every sector read back.
  bool Verify = false;
};

// FileSize and FileCount for the choices: from TotalBytes when it is given,
// else from the list's total (see ComputeFileCount).
bool ComputeRunFileCount(RunParameters& parameters, const RunChoices& choices);

// What the window's start-up derives from its choices, for a run without a
// window: the pause, the share read back (kept without a selection) and the
// 1 MB tick dropped for files under 1 MB. FileSize and FileCount are left
// to the run, which derives them at its start.
void DeriveParameters(RunChoices& choices);

}  // namespace tarnwell
