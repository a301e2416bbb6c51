// The verification's notes, report section and verdict.
#include "engine/judge/VerifyNotes.h"

#include <cstdio>

#include "engine/base/FigureText.h"
#include "engine/base/TextFormat.h"
#include "engine/base/XmlText.h"
#include "engine/model/RunParameters.h"

namespace tarnwell {
namespace {

constexpr SectorClass BadClasses[] = {SectorClass::Corrupted, SectorClass::Misplaced,
                                      SectorClass::Stale, SectorClass::Missing};

const char* ClassName(SectorClass c) { return VerifyTexts::ClassNames[static_cast<int>(c)]; }

// "破損 1、位置違い 0、別の測定 0、欠落 0"
std::string ClassCounts(const VerifyCounts& counts) {
  std::string text;
  for (const SectorClass c : BadClasses) {
    text +=
        (text.empty() ? "" : "、") + std::string(ClassName(c)) + " " + std::to_string(counts[c]);
  }
  return text;
}

std::string FirstBadText(const BadSector& bad) {
  return FormatText(VerifyTexts::FirstBad, TestFileName(bad.File).c_str(),
                    static_cast<long long>(bad.Offset), ClassName(bad.Class),
                    static_cast<int>(bad.ShownAt), bad.Expected.c_str(),
                    bad.Found.empty() ? VerifyTexts::NothingFound : bad.Found.c_str());
}

}  // namespace

VerifyResult RunVerification(const RunRecord& record) {
  VerifyResult total;
  for (const RepetitionRecord& repetition : record.Repetitions) {
    if (repetition.Read && repetition.Read->Verification) {
      total.Add(repetition.Read->Verification->Result);
    }
  }
  return total;
}

bool FoundBadSectors(const RunRecord& record) {
  return record.Verified && !RunVerification(record).Clean();
}

void VerifyNotes(const RunRecord& record, std::vector<std::string>& notes) {
  if (!record.Verified) return;
  const VerifyResult total = RunVerification(record);
  if (total.Counts.Total() == 0) return;
  if (total.Clean()) {
    notes.push_back(FormatText(VerifyTexts::AllGood, static_cast<long long>(total.Counts.Total())));
    return;
  }
  notes.push_back(FormatText(VerifyTexts::SomeBad, static_cast<long long>(total.Counts.Bad()),
                             static_cast<long long>(total.Counts.Total()),
                             ClassCounts(total.Counts).c_str()));
  if (total.FirstBad) notes.push_back(FirstBadText(*total.FirstBad));
  // The bytes each judged read phase moved are what it really read.
  std::int64_t planned = 0;
  std::int64_t read = 0;
  for (const RepetitionRecord& repetition : record.Repetitions) {
    if (!repetition.Read || repetition.Read->Verdict.Kind == VerdictKind::None) continue;
    planned += record.FileSizeBytes * record.ReadCount;
    read += repetition.Read->Verdict.Bytes;
  }
  if (read < planned) {
    notes.push_back(FormatText(VerifyTexts::PartlyRead, ApproximateSize(planned).c_str(),
                               ApproximateSize(planned - read).c_str(),
                               ApproximateSize(read).c_str()));
  }
  const VerifyCounts& counts = total.Counts;
  if (record.ReadOnly && counts[SectorClass::Ok] == 0 && counts[SectorClass::Misplaced] == 0 &&
      counts[SectorClass::Stale] == 0 && counts[SectorClass::Corrupted] > 0) {
    notes.push_back(VerifyTexts::NoStampAtAll);
  }
}

std::string VerifySection(const RunRecord& record) {
  if (!record.Verified) return {};
  std::string html = "<section><h2>" + std::string(VerifyTexts::SectionTitle) +
                     "</h2><table class=\"grid\"><thead><tr><th>回</th>";
  for (int c = 0; c < SectorClassCount; ++c) {
    html += "<th>" + std::string(VerifyTexts::ClassNames[c]) + "</th>";
  }
  html += "<th>検証にかかった秒（速度から除外）</th></tr></thead><tbody>";
  for (const RepetitionRecord& repetition : record.Repetitions) {
    if (!repetition.Read || !repetition.Read->Verification) continue;
    const PhaseVerification& v = *repetition.Read->Verification;
    html += "<tr><td>" + std::to_string(repetition.Number) + "</td>";
    for (const std::int64_t n : v.Result.Counts.Sectors)
      html += "<td>" + std::to_string(n) + "</td>";
    html += "<td>" + FormatText("%.3f", v.CheckSeconds) + "</td></tr>";
  }
  html += "</tbody></table><p class=\"note\">セクタ（512 バイト）の数。</p>";
  const VerifyResult total = RunVerification(record);
  if (total.FirstBad)
    html += "<p class=\"note\">" + XmlText(FirstBadText(*total.FirstBad)) + "</p>";
  return html + "</section>\n";
}

}  // namespace tarnwell
