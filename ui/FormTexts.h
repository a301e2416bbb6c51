// Every text the forms show, in one place: the main window's, the folder
// chooser's, the Start-menu dialog's and the settings file's. A text the
// engine already words (RunMessages) is taken from there, not spelt again.
// The controls' captions stand in the layout tables.
#pragma once

#include "engine/run/BenchmarkRun.h"

namespace tarnwell::ui {

// Texts more than one window shows.
namespace CommonTexts {
inline constexpr const char* OK = "OK";
inline constexpr const char* Cancel = "キャンセル";
inline constexpr const char* Yes = "はい(&Y)";
inline constexpr const char* No = "いいえ(&N)";
// An error that carries no text of its own.
inline constexpr const char* UnknownError = "不明なエラーが発生しました";
}  // namespace CommonTexts

// What a window says when it closes and the settings file cannot be written.
namespace SettingsTexts {
inline constexpr const char* SaveFailed = "INIファイルへの書き込みを中止します";
}  // namespace SettingsTexts

// The texts the main window shows.
namespace FormMainTexts {
inline constexpr const char* Files = "ファイル";
inline constexpr const char* NoFileCount = "---";
inline constexpr const char* Start = "開始";
inline constexpr const char* Stop = "中止";
inline constexpr const char* PriorityFailed = RunMessages::PriorityFailed;
inline constexpr const char* Stopping = "中止しています...";
inline constexpr const char* ReportTitle = "レポートを保存";
inline constexpr const char* ReportFilter = "HTML ファイル (*.html)";
inline constexpr const char* CannotWrite = RunMessages::CannotWrite;
inline constexpr const char* HistoryNotWritten = "履歴に書き込めませんでした";
// Under "... に書き込めません": the chosen file is the history or the settings.
inline constexpr const char* OwnFile =
    "このプログラムの履歴か設定のファイルです（上書きするとその内容が失われます）";
// After the folder text: a relative folder would be measured wherever the
// program happened to start.
inline constexpr const char* FolderNotAbsolute =
    " は絶対パスではありません。測定するフォルダをルートからのパスで指定してください";
// The line under the memo while a run lasts: the phase (or "stopping"),
// the repetition, the file and the seconds since the start.
inline constexpr const char* Progress = "%s　繰り返し %d/%d　ファイル %d/%d　経過 %.1f 秒";
// What stands between the progress and a notice.
inline constexpr const char* NoticeSeparator = "　";
// The box after a verified run that read bad data; the verification's notes
// follow on lines of their own.
inline constexpr const char* BadSectorsFound =
    "読み込んだデータの検証で不良セクタが見つかりました。";
}  // namespace FormMainTexts

// The texts the folder chooser shows.
namespace FormFolderTexts {
inline constexpr const char* Caption = "フォルダ選択";
inline constexpr const char* OK = CommonTexts::OK;
inline constexpr const char* Cancel = CommonTexts::Cancel;
inline constexpr const char* Tree = "フォルダ";
// "%s" stands for the refused new name.
inline constexpr const char* RenameFailed = "%s に名前を変更できませんでした。";
inline constexpr const char* NewFolderName = "新しいフォルダ";
inline constexpr const char* Rename = "名前の変更(&M)";
inline constexpr const char* NewFolder = "新しいフォルダ(&W)";
inline constexpr const char* Trash = "ごみ箱に移動(&D)";
// Opening the folder with the desktop is named in each system's own words
// (platform::OpenFolderCommandText).
}  // namespace FormFolderTexts

// The texts the Start-menu dialog shows.
namespace FormStartMenuTexts {
inline constexpr const char* Caption = "だれのスタートメニュー？";
inline constexpr const char* OK = CommonTexts::OK;
inline constexpr const char* Cancel = CommonTexts::Cancel;
inline constexpr const char* Question = "どなたのスタートメニューに追加しますか？";
inline constexpr const char* CurrentUserBefore = "現ユーザー（";
inline constexpr const char* CurrentUserAfter = "）のスタートメニュー";
inline constexpr const char* AllUsers = "全ユーザーのスタートメニュー";
}  // namespace FormStartMenuTexts

}  // namespace tarnwell::ui
