// Whether a phase measured the device or a cache, from the devices' own
// counters: the bytes the benchmark moved against the bytes the devices
// beneath the folder moved in the same direction, read just before and just
// after the phase's timed interval.
//
// Other work on the same disk only ever adds to its counters. So a low
// ratio proves that a cache answered; a high one proves no more than that
// the bytes arrived. A phase faster than the device's link can carry came
// from a cache whatever the counters say, and so does every phase under
// Wine, which honours neither unbuffered nor write-through I/O.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/model/PhaseJudgement.h"
#include "platform/DeviceCounters.h"

namespace tarnwell {

struct RunRecord;

// The words, as the user reads them.
namespace VerdictTexts {
inline constexpr const char* Device = "装置を計測";
inline constexpr const char* Cache = "キャッシュを計測";
inline constexpr const char* Mixed = "一部キャッシュを計測";
inline constexpr const char* Unknown = "不明";
inline constexpr const char* Write = "書き込み";
inline constexpr const char* Read = "読み込み";
inline constexpr const char* Repetition = "（%d 回目）";
// "%s" the devices, "%d" the percentage.
inline constexpr const char* DeviceShare = "装置（%s）が動かしたのは測定したバイトの %d %% です。";
inline constexpr const char* HighMeansArrived =
    "ほかの入出力も装置の数に加わるため、これはバイトが装置に届いたことを示すだけです。";
inline constexpr const char* LowProvesCache =
    "ほかの入出力は装置の数を増やすだけなので、低い割合はキャッシュが答えた証拠です。";
// "%d" the share the devices did not move, "%s" the cache.
inline constexpr const char* AtLeastCache = "少なくとも %d %% は%sが引き受けました。";
inline constexpr const char* TheRest = "残りは%sが引き受けました。";
inline constexpr const char* SomeCache = "キャッシュ";
inline constexpr const char* BackingFileCache = "ループデバイスの元ファイル %s のページキャッシュ";
// "%s" the phase's speed, the devices, the link's ceiling.
inline constexpr const char* OverLink =
    "%s MB/秒 は装置（%s）の接続の上限 %s MB/秒 "
    "を超えています。この速さはキャッシュからしか出ません。";
inline constexpr const char* Wine =
    "Wine ではバッファなしの入出力もライトスルーも守られません。値はホストのキャッシュの速度です。";
// "%s" the file system.
inline constexpr const char* InMemory =
    "フォルダはメモリ上のファイルシステム（%s）にあり、装置のカウンタがありません。";
inline constexpr const char* Overlay =
    "フォルダは重ね合わせのファイルシステム（%s）にあり、下の装置を一つに決められません。";
inline constexpr const char* Fuse =
    "フォルダはユーザー空間のファイルシステム（%s）にあり、データの置き場所がわかりません。";
inline constexpr const char* Network =
    "フォルダはネットワークのファイルシステム（%s）にあり、ディスクは別のマシンにあります。";
inline constexpr const char* NoBlockDevice =
    "フォルダのファイルシステム（%s）の下にブロックデバイスが見つかりません。";
// Memory further down: "%s" the backing file or upper layer, "%s" the file system.
inline constexpr const char* LoopOnMemory =
    "フォルダはループデバイスの上にあり、その元ファイル %s はメモリ上のファイルシステム（%s）"
    "にあります。装置のカウンタがありません。";
inline constexpr const char* OverlayUpperOnMemory =
    "フォルダは重ね合わせのファイルシステムにあり、書き込みを受ける上の層 %s "
    "はメモリ上のファイルシステム（%s）にあります。装置のカウンタがありません。";
// "%s" the backing file, "%s" its file system.
inline constexpr const char* LoopOnUncounted =
    "フォルダはループデバイスの上にあり、その元ファイル %s "
    "のファイルシステム（%s）には数えられる装置がありません。";
// "%s" the backing file.
inline constexpr const char* LoopBackingHidden =
    "フォルダはループデバイスの上にあり、その元ファイル %s "
    "の置き場所がここからは見えません（削除されたか、別のマウント名前空間にあります）。";
// Before a run whose data lands in memory below the folder's own file
// system: "%s" the file system, "%s" the backing file or upper layer.
inline constexpr const char* MemoryBelow =
    "このフォルダのデータはメモリ上のファイルシステム（%s）にある %s "
    "に置かれます。測定されるのはデバイスではなくメモリの速度です。";
inline constexpr const char* CountersFailed = "装置のカウンタを読めません。";
inline constexpr const char* CountersLost = "この段階の前後で装置のカウンタを読めませんでした。";
}  // namespace VerdictTexts

// The run's counting from the platform's plan.
DeviceCounting CountingFor(const platform::CounterPlan& plan);
// The warning that the speed will be memory's, for data that lands in
// memory below the folder's own file system (a loop device's image on
// tmpfs, an overlay's upper layer); empty otherwise. A folder on tmpfs
// itself has the file system's own warning.
std::string MemoryNotice(const platform::CounterPlan& plan);

// One phase's verdict: `bytes` moved by the benchmark at `mbPerSecond`,
// `deviceBytes` by the devices (-1 when the counters could not be read).
PhaseVerdict Judge(const DeviceCounting& counting, std::int64_t bytes, std::int64_t deviceBytes,
                   double mbPerSecond);

const char* VerdictLabel(VerdictKind kind);
// What the verdict rests on, in one sentence or two; `mbPerSecond` is the
// phase's speed (for a phase faster than the link).
std::string VerdictReason(const DeviceCounting& counting, const PhaseVerdict& verdict,
                          double mbPerSecond);

// The notes after the table: one line per phase kind when every repetition
// agrees, else one per phase.
void VerdictNotes(const RunRecord& record, std::vector<std::string>& notes);
// Each phase kind's verdict in a few words ("書き込み: 装置を計測 ／ 読み込み:
// キャッシュを計測"); empty when no phase was judged.
std::string VerdictSummary(const RunRecord& record);
// One line per judged phase, for the report.
std::vector<std::string> VerdictLines(const RunRecord& record);

}  // namespace tarnwell
