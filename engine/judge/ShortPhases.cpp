// The precise clock's seconds of each phase, and the note on a short one.
#include "engine/judge/ShortPhases.h"

#include <cstdio>

#include "engine/base/FigureText.h"
#include "engine/model/RunRecord.h"

namespace tarnwell {

std::string ShortPhaseNote(bool write, double exactSeconds, double exactMBPerSecond) {
  if (!(exactSeconds >= 0 && exactSeconds < ShortPhaseSeconds)) return "";
  char milliseconds[32];
  std::snprintf(milliseconds, sizeof milliseconds, "%.1f", exactSeconds * 1000);
  const std::string exact =
      exactMBPerSecond > 0 ? "（実測 " + GroupedFigure(exactMBPerSecond) + " MB/秒）" : "";
  return std::string(write ? "書き込み" : "読み込み") + "は " + milliseconds +
         " ミリ秒で終わりました。表の時間はミリ秒単位のため、この転送速度は正確ではありません" +
         exact + "。総容量を大きくしてください。";
}

void ShortPhaseNotes(const RunRecord& record, std::vector<std::string>& notes) {
  for (const bool write : {true, false}) {
    const PhaseRecord* shortest = nullptr;
    for (const RepetitionRecord& repetition : record.Repetitions) {
      const std::optional<PhaseRecord>& phase = write ? repetition.Write : repetition.Read;
      if (phase && phase->ExactSeconds >= 0 &&
          (shortest == nullptr || phase->ExactSeconds < shortest->ExactSeconds)) {
        shortest = &*phase;
      }
    }
    if (shortest == nullptr) continue;
    std::string note = ShortPhaseNote(write, shortest->ExactSeconds, shortest->ExactMBPerSecond);
    if (!note.empty()) notes.push_back(std::move(note));
  }
}

}  // namespace tarnwell
