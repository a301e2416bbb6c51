// The run choices in the settings file, read and written through one key
// list, and the derivation of the run parameters from them.
#include "engine/run/Choices.h"

#include <optional>

namespace tarnwell {
namespace {

// Calls `visit(key, member)` for each key of the section, in the order the
// window writes them: the one list that ties a key to its choice.
template <typename Visit, typename Members>
void EachKey(Members& choices, Visit&& visit) {
  visit(ChoiceKeys::Folder, choices.Folder);
  visit(ChoiceKeys::FileSize, choices.FileSizeIndex);
  visit(ChoiceKeys::TotalSize, choices.TotalSizeIndex);
  visit(ChoiceKeys::DeleteAfterWrite, choices.DeleteFiles);
  visit(ChoiceKeys::WriteRead1MB, choices.OneMegabyteBlocks);
  visit(ChoiceKeys::ReadOnly, choices.ReadOnly);
  visit(ChoiceKeys::ReadRandom, choices.ReadRandom);
  visit(ChoiceKeys::ReadPercentage, choices.ReadPercentageIndex);
  visit(ChoiceKeys::Repeat, choices.RepeatIndex);
  visit(ChoiceKeys::Priority, choices.PriorityIndex);
  visit(ChoiceKeys::Wait, choices.WaitIndex);
}

template <typename... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <typename... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

Choices ReadChoices(const platform::IniFile& settings, const Choices& defaults,
                    IndexOutsideList outside) {
  using namespace ChoiceKeys;
  Choices choices = defaults;
  EachKey(choices,
          Overloaded{
              [&](std::string_view key, std::string& text) {
                text = settings.ReadString(Section, key, text);
              },
              [&](const IndexKey& key, int& index) {
                const int stored = settings.ReadInteger(Section, key.Name, index);
                if (outside == IndexOutsideList::AsStored || (stored >= 0 && stored < key.Items)) {
                  index = stored;
                }
              },
              [&](const FlagKey& key, bool& flag) {
                flag = settings.ReadBool(Section, key.Name, flag);
              },
          });
  return choices;
}

void WriteChoices(platform::IniFile& settings, const Choices& choices) {
  using namespace ChoiceKeys;
  EachKey(
      choices,
      Overloaded{
          [&](std::string_view key, const std::string& text) {
            settings.WriteString(Section, key, text);
          },
          [&](const IndexKey& key, int index) { settings.WriteInteger(Section, key.Name, index); },
          [&](const FlagKey& key, bool flag) { settings.WriteBool(Section, key.Name, flag); },
      });
}

bool SavedFolderIsCut(const platform::IniFile& settings) {
  return settings.IsCut(ChoiceKeys::Section, ChoiceKeys::Folder);
}

bool ComputeRunFileCount(RunParameters& parameters, const RunChoices& choices) {
  return choices.TotalBytes > 0
             ? ComputeFileCountOfTotal(parameters, choices.FileSizeIndex, choices.TotalBytes)
             : ComputeFileCount(parameters, choices.FileSizeIndex, choices.TotalSizeIndex);
}

void DeriveParameters(RunChoices& choices) {
  RunParameters& parameters = choices.Parameters;
  parameters.WaitMSec = WaitMSecFor(choices.WaitIndex);
  if (const std::optional<double> percent = ReadPercentFor(choices.ReadPercentageIndex)) {
    parameters.ReadPercent = *percent;
  }
  // The size as the file-size close-up takes it; the count stays the run's.
  RunParameters sizes;
  ComputeRunFileCount(sizes, choices);
  if (!OneMegabyteBlocksFit(sizes.FileSize)) choices.OneMegabyteBlocks = false;
}

}  // namespace tarnwell
