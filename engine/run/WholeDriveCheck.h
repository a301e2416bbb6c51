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

#include "engine/base/Refusal.h"
#include "engine/model/FillRecord.h"
#include "engine/model/RunRecord.h"
#include "engine/run/BenchmarkRun.h"
#include "engine/verify/SectorStamp.h"
#include "platform/FileSystem.h"

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
// "%s": the bytes planned. The drive was full before its free space said
// (a check of an earlier version, which did not tell why).
inline constexpr const char* FullEarly =
    "予定の %s より先にドライブがいっぱいになりました。書き込めた分を検査しました";
// Why a check stopped writing early; "%s": the bytes planned, those written,
// then what each names.
inline constexpr const char* ShortInodes =
    "予定の %s のうち %s を書いたところで、ファイルシステムが作れるファイルの数"
    "（inode）を使い切りました。書き込めた分を検査しました";
// ... and the free space the file system still showed.
inline constexpr const char* ShortFreeShown =
    "予定の %s のうち %s を書いたところで空き容量不足と言われましたが、ファイルシステムには"
    "まだ %s の空きが表示されています。ドライブ（またはその下の記憶領域）が表示より少ない"
    "容量しか持っていないおそれがあります。書き込めた分を検査しました";
// ... and the space that went elsewhere.
inline constexpr const char* ShortOtherWriters =
    "予定の %s のうち %s を書いたところで空き容量がなくなりました。検査の間に、ほかの書き込み"
    "（別のプログラムや別の検査）が約 %s を使っています。書き込めた分を検査しました";
// ... and the room the files took.
inline constexpr const char* ShortWholeBlocks =
    "予定の %s のうち %s を書いたところで空き容量がなくなりました。ファイルは書いた量より多い"
    " %s "
    "を使っています（小さなファイルもブロック単位で場所を取ります）。書き込めた分を検査しました";
inline constexpr const char* ShortRecords =
    "予定の %s のうち %s を書いたところで空き容量がなくなりました。ほかの書き込みは見当たらず、"
    "ファイルシステム自身の記録が余裕より多くの場所を使ったものと思われます。書き込めた分を検査しま"
    "した";
// ... and the system's reason.
inline constexpr const char* ShortWriteError =
    "予定の %s のうち %s を書いたところで書き込みが失敗しました（%s）。書き込めた分を検査しました";
// "%s": the bytes written, those never checked. No size is claimed.
inline constexpr const char* ShortAllGood =
    "書き込めた %s はすべて書いたとおりに読めましたが、予定の残り %s は検査できていません。"
    "ドライブ全体の容量は確かめられていません";
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

// Test-file names have eight digits: no check holds more files than that.
inline constexpr std::int32_t FillMaxFiles = MaxTestFiles;

struct FillPlan {
  std::int32_t FileSize = 0;
  std::int32_t FileCount = 0;
  std::int64_t Bytes() const { return static_cast<std::int64_t>(FileSize) * FileCount; }
};

// The files of `fileSize` that fill `freeBytes` (of a file system of
// `capacityBytes`, -1 unknown) less the margin every run leaves
// (FreeSpaceMargin), plus `keptBytes` that test files already under the
// check's names hold; nothing when the free space is unknown (negative) or
// holds no file.
std::optional<FillPlan> PlanFill(std::int64_t freeBytes, std::int64_t capacityBytes,
                                 std::int32_t fileSize, std::int64_t keptBytes = 0);

// Sizes a check from the free space of `device` and the `keptBytes` of the
// test files an earlier kept check left, with files of the list's
// `fileSizeIndex`, and starts its record; else the message that stops it.
std::optional<Refusal> SizeFill(RunParameters& parameters, int fileSizeIndex,
                                const platform::DeviceIdentity& device, std::int64_t keptBytes,
                                std::optional<FillRecord>& fill);

// What is known when a check's write of one file failed after `files`
// whole files of `fileSize`: the system's code, the file system's figures
// right after the torn file went, the free space before the check, the
// bytes written and the room the files hold (-1 unknown).
struct FillStopFacts {
  bool NoSpace = false;
  platform::SpaceReport SpaceAfter;
  std::int64_t FreeBefore = -1;
  std::int64_t WrittenBytes = 0;
  std::int64_t AllocatedBytes = -1;
  std::int32_t FileSize = 0;
  std::int32_t Files = 0;
};
// The file system's own records of one file, at most: a directory entry,
// an inode where inodes are made as needed, an extent block.
inline constexpr std::int64_t RecordBytesPerFile = 4096;
FillShortfall ClassifyShortfall(const FillStopFacts& facts);
// Whether a check ended without filling what it planned: the runner's
// exit code and the window say so even when every byte written verified.
bool FillFellShort(const RunRecord& record);
// The record of a check that wrote `writtenBytes` in files of `fileSize`,
// with what reading them back found (nothing when it never got that far).
// `complete`: every file written was read back; otherwise only what was
// read counts as verified and no usable size is claimed.
FillRecord FinishFill(FillRecord fill, std::int64_t writtenBytes, std::int32_t fileSize,
                      const std::optional<VerifyResult>& readBack, bool complete = true);

// The check as a kind of run: sized from the free space, its writes may end
// before the plan (blocks, inodes, other writers, a store beneath that ran
// out, an I/O error) and it is checked as far as it holds, it never leaves
// the drive full, and its record says how much of the drive holds.
class WholeDriveCheck final : public RunVariant {
public:
  std::optional<Refusal> Size(RunSetting& setting) override;
  bool EndsWritesShort(RunSetting& setting, std::int32_t number, const char* name,
                       int code) override;
  bool ClearsWhenStopped(const RunChoices& /*choices*/) const override { return true; }
  void Ended(RunVerifier& verifier, bool completed) override;
  void Complete(RunRecord& record, std::int32_t filesWritten, std::int32_t fileSize,
                bool readBack) const override;

private:
  std::optional<FillRecord> fill_;  // the check's sizes, once sized
  // What a check stopped in its read phase had verified so far.
  std::optional<VerifyResult> partialReadBack_;
};

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
