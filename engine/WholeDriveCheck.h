// The whole-drive check: test files fill the file system's free space, less
// a margin, then every one is read back in the order written and checked
// sector by sector. A drive that claims more than it stores shows itself:
// what it cannot hold reads back as another address's data (a store that
// wraps around) or as nothing at all.
//
// It is one verified repetition of the ordinary run, sized here; the notes,
// the JSON member and the progress line that go with it live here too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/BenchmarkRun.h"
#include "engine/FillRecord.h"
#include "engine/RunRecord.h"
#include "engine/SectorStamp.h"

namespace tarnwell {

// The texts of the check.
namespace WholeDriveTexts {
inline constexpr const char* FreeSpaceUnknown =
    "空き容量がわからないため、空き容量全体の検査はできません";
// "%s": the free space, e.g. "12 MB".
inline constexpr const char* TooLittleRoom =
    "空き容量（%s）が少なすぎて、検査するファイルを 1 つも書けません";
// "%s": the file system's size, its free space, the bytes written, those
// that read back as written.
inline constexpr const char* Summary =
    "空き容量全体の検査: ファイルシステムの容量 %s、空き %s、書き込み %s、正しく読めたのは %s";
// "%s": the size.
inline constexpr const char* Usable = "実際に使える容量はおよそ %s";
// "%s": the bytes planned. The drive was full before its free space said.
inline constexpr const char* FullEarly =
    "予定の %s より先にドライブがいっぱいになりました。書き込めた分を検査しました";
inline constexpr const char* Wrapped =
    "ほかの場所に書いたデータが読み出されました。書き込みが先頭に戻って上書きする、"
    "表示より容量の小さいドライブの特徴です";
// The confirmation before a check: "%s" the bytes to write, then how long.
inline constexpr const char* Confirm =
    "空き容量全体に %s を書き込んで検査します。\n%s\nよろしいですか？";
// "%s": the time, "%.1f": the write speed it assumes.
inline constexpr const char* ConfirmTime =
    "前回の書き込み速度（%.1f MB/秒）で、書き込みにおよそ %s かかります。";
inline constexpr const char* ConfirmNoTime =
    "書き込み速度をまだ測っていないため、かかる時間はわかりません。";
// The progress line: the phase, the bytes done and in all, MB/s, time left.
inline constexpr const char* Progress = "%s　%s / %s　%.1f MB/秒　残り %s";
inline constexpr const char* Unknown = "不明";
inline constexpr const char* SectionTitle = "空き容量全体の検査";
}  // namespace WholeDriveTexts

// Room kept free for the file system's own records and everything else:
// 0.5 % of the free space, or 16 MB, whichever is larger.
inline constexpr std::int64_t FillMarginFloor = 16LL * 1048576;
std::int64_t FillMargin(std::int64_t freeBytes);

// Test-file names have eight digits: no check holds more files than that.
inline constexpr std::int32_t FillMaxFiles = 99999999;

struct FillPlan {
  std::int32_t FileSize = 0;
  std::int32_t FileCount = 0;
  std::int64_t Bytes() const { return static_cast<std::int64_t>(FileSize) * FileCount; }
};

// The files that fill `freeBytes` less the margin with files of `fileSize`;
// nothing when the free space is unknown (negative) or holds no file.
std::optional<FillPlan> PlanFill(std::int64_t freeBytes, std::int32_t fileSize);

// Sizes a check from the free space of `device` with files of the list's
// `fileSizeIndex`, and starts its record: empty when sized, else the
// message that stops it.
std::string SizeFill(RunParameters& parameters, int fileSizeIndex,
                     const platform::DeviceIdentity& device, std::optional<FillRecord>& fill);
// The record of a check that wrote `writtenBytes` in files of `fileSize`,
// with what reading them back found (nothing when it never got that far).
FillRecord FinishFill(FillRecord fill, std::int64_t writtenBytes, std::int32_t fileSize,
                      const std::optional<VerifyResult>& readBack);

// The choices of a check made from the user's: one verified repetition that
// reads every file back in name order. Files are deleted unless `keep`.
void MakeFillChoices(RunChoices& choices, bool keep);

// How much of the drive holds what it is given, from what came back:
// everything written when every sector verified; otherwise, when another
// address's data came back first (a store that wraps keeps only its last
// writes, each in the wrong place for the earlier ones), the bytes that
// verified; else where the first bad sector lies in the order of writing.
std::int64_t UsableBytes(std::int64_t writtenBytes, std::int64_t verifiedBytes,
                         std::optional<std::int64_t> firstBadPosition, bool firstBadMisplaced);

// "64.0 GB" from 1 GB on (2^30 bytes, as the program's other sizes), else
// "512 MB", "0 MB".
std::string SizeText(std::int64_t bytes);
// "1 時間 5 分", "12 分 30 秒", "8 秒".
std::string DurationText(double seconds);

// The confirmation the window asks before a check of `plan`, with the time
// at `writeMBps` (none when it is not positive).
std::string FillConfirmation(const FillPlan& plan, double writeMBps);

// The notes after a check (none for another run).
void FillNotes(const RunRecord& record, std::vector<std::string>& notes);

// The report's section on a check: empty for another run.
std::string FillSection(const RunRecord& record);

// The check's JSON member: null for another run.
std::string FillJson(const std::optional<FillRecord>& fill);
// Reads it back from a history line; false when a figure is no run's.
struct JsonValue;
bool ReadFillJson(const JsonValue* value, std::optional<FillRecord>& fill);

// The progress line of a check, polled a few times a second: the bytes of
// the current phase, its speed so far and the time it still needs; between
// the phases, the phase alone.
class FillMeter {
public:
  // `now`: seconds on any steady clock.
  std::string Line(const RunProgress& progress, std::int32_t fileSize, double now);

private:
  RunPhase phase_ = RunPhase::Idle;
  double started_ = 0;
  double startBytes_ = 0;
};

}  // namespace tarnwell
