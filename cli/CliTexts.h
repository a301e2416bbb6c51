// The runner's own messages, in one place. A text the engine already words
// (RunMessages) is taken from there, not spelt again; the usage text and
// the option errors stand with the options they describe (CliOptions.cpp).
#pragma once

namespace tarnwell::cli::CliTexts {

// The progress line on a terminal: the phase, the repetition, the file and
// the seconds since the start.
inline constexpr const char* Progress = "%s  %d/%d 回目  ファイル %d/%d  経過 %.1f 秒";
inline constexpr const char* OutputNotWritten = "標準出力に書き込めません";
inline constexpr const char* Interrupted = "中断しました";

// Around a file's path: "設定ファイル PATH を読めません".
inline constexpr const char* SettingsFile = "設定ファイル ";
inline constexpr const char* HistoryFile = "履歴 ";
inline constexpr const char* ReportFile = "レポート ";
inline constexpr const char* Document = "文書 ";
inline constexpr const char* DocumentTooLarge = "測定結果の文書としては大きすぎます";
inline constexpr const char* JsonFile = "JSON ファイル ";
// Stands for a path where the standard output is meant ("標準出力 は ...").
inline constexpr const char* StandardOutput = "標準出力";
inline constexpr const char* CannotRead = " を読めません";
inline constexpr const char* CannotWriteReport = " を書き込めません";
// Two named files that are one: "%s%s" each a file's kind (SettingsFile,
// ReportFile, ...) and its path as given.
inline constexpr const char* SameFile =
    "%s%s は %s%s "
    "と同じファイルです。書き込むとその内容が失われるため、別のファイルを指定してください";
// On the line under "... を書き込めません": a folder stands at the path.
inline constexpr const char* IsAFolder = "フォルダです（ファイルの名前を指定してください）";
// A total that is no whole number of files: the total as given, the file
// size, the number of files and the bytes they hold.
inline constexpr const char* TotalRoundedDown =
    "tarnwell-cli: 総容量 %s は %s のファイルの整数倍ではありません。%lld 個のファイル、合わせて "
    "%s で測ります\n";
// After the settings file and the folder's key: why its folder is refused.
inline constexpr const char* FolderTooLong = " が長すぎます";
inline constexpr const char* FolderNotAbsolute = " は絶対パスではありません";

inline constexpr const char* NoHistoryPlace = "履歴の場所がわかりません";
inline constexpr const char* NotInHistory = "この測定は履歴に残りません";
// "%d": the number of lines skipped.
inline constexpr const char* DamagedSkipped = "tarnwell-cli: 履歴の壊れた %d 行を飛ばしました\n";
inline constexpr const char* HistoryHeader =
    "日時\tデバイス\tフォルダ\tファイル\t総容量\tブロック\t書き（MB/秒）\t読み（MB/秒）\t結果\n";

inline constexpr const char* NoFolder = "測定するフォルダがわかりません";
// On a line of its own after a refused or missing folder.
inline constexpr const char* NameTheFolder = "--folder で測定するフォルダを指定してください。";
// A common start (--start-at), its UTC time after the text.
inline constexpr const char* WaitingForStart = "tarnwell-cli: 開始を待っています: ";
inline constexpr const char* StartInThePast =
    "--start-at の時刻は過ぎています (1 秒までの遅れだけ認めます): ";
inline constexpr const char* StartTooFarAhead = "--start-at の時刻は 24 時間より先です: ";
inline constexpr const char* ClockNow = "現在の時刻 (UTC): ";

// On a line of its own after a usage error.
inline constexpr const char* SeeHelp = "詳しくは tarnwell-cli --help を見てください。";

}  // namespace tarnwell::cli::CliTexts
