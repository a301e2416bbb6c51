// What a verified run says about the data it read back: its texts, the notes
// after the table, the report's section, the window's message and whether
// the run's data verified at all.
#pragma once

#include <string>
#include <vector>

#include "engine/model/RunRecord.h"

namespace tarnwell {

namespace VerifyTexts {
// The class names as the user reads them, in SectorClass order.
inline constexpr const char* ClassNames[] = {"正常", "破損", "位置違い", "別の測定", "欠落"};
// "%lld": the sectors checked.
inline constexpr const char* AllGood = "検証: 読み込んだ %lld セクタはすべて正常でした";
// "%lld" the bad sectors, "%lld" the sectors checked, then the classes.
inline constexpr const char* SomeBad = "検証: %lld / %lld セクタが正しく読めませんでした（%s）";
// File name, the sector's byte offset, class, where in the sector the bytes
// shown begin (at the first that differs), expected bytes, found bytes.
inline constexpr const char* FirstBad =
    "最初の不良セクタ: %s の %lld バイト目（%s） セクタの %d バイト目から 期待 %s 実際 %s";
inline constexpr const char* NothingFound = "（なし）";
// The bytes the read phases were to read, those that never came back, those
// read: a verified run goes on past files found short (emptied or cut off
// while it paused), and its figures rest on what it really read.
inline constexpr const char* PartlyRead =
    "検証: 読み込む予定の %s のうち %s は戻ってきませんでした（欠落）。"
    "表の転送速度と判定は、実際に読めた %s だけで計算しています。";
inline constexpr const char* SectionTitle = "読み込んだデータの検証";
// A read-only check that met no valid stamp at all: most likely files of a
// run without verification, which carry none, rather than a failing drive.
inline constexpr const char* NoStampAtAll =
    "読み込んだファイルには検証用の印が一つもありませんでした。検証なしの測定で書いたファイルは"
    "検証できません（検証付きの測定で書き直してください）";
}  // namespace VerifyTexts

// The whole run's findings: every read phase added up, the first bad
// sector in reading order.
VerifyResult RunVerification(const RunRecord& record);
// Whether a verified run found any bad sector (false for other runs).
bool FoundBadSectors(const RunRecord& record);

// The note source: one line with the counts, one on the first bad sector.
void VerifyNotes(const RunRecord& record, std::vector<std::string>& notes);
// The report's section on a verified run; empty for other runs.
std::string VerifySection(const RunRecord& record);

}  // namespace tarnwell
