// The precise clock's seconds of each phase, and the note on a short one.
#include "engine/judge/ShortPhases.h"

#include <cstdio>

#include "engine/base/FigureText.h"
#include "engine/base/Json.h"
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

std::string ExactJson(const PhaseRecord& phase) {
  if (phase.ExactSeconds < 0) return "";
  return ", \"exactSeconds\": " + JsonNumber(phase.ExactSeconds) +
         ", \"exactMBPerSecond\": " + JsonNumber(phase.ExactMBPerSecond);
}

bool ReadExact(const JsonValue& json, PhaseRecord& phase) {
  const JsonValue* seconds = json.Find("exactSeconds");
  const JsonValue* speed = json.Find("exactMBPerSecond");
  if (seconds == nullptr && speed == nullptr) return true;  // a line from before they were kept
  if (seconds == nullptr || speed == nullptr || seconds->Type != JsonValue::Kind::Number ||
      speed->Type != JsonValue::Kind::Number) {
    return false;
  }
  // Far beyond any run, far within a double's range.
  constexpr double Largest = 1e12;
  if (!(seconds->Number >= 0 && seconds->Number <= Largest && speed->Number >= 0 &&
        speed->Number <= Largest)) {
    return false;
  }
  phase.ExactSeconds = seconds->Number;
  phase.ExactMBPerSecond = speed->Number;
  return true;
}

}  // namespace tarnwell
