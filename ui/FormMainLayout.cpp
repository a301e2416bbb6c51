// The main window's control and menu tables.
#include "ui/FormMainLayout.h"

#include <algorithm>
#include <iterator>

#include "engine/model/RunParameters.h"
#include "engine/run/Choices.h"
#include "ui/FormMainControls.h"

namespace tarnwell::ui {
namespace {

constexpr std::span<const std::string_view> NoItems{};

// The lists' layout selections are the choices of a first start (the
// repeat and wait lists have none); the settings replace them at creation.
constexpr ControlLayout Controls[] = {
    {"LabelFolder", ControlKind::Label, 8, 8, 91, 12, "フォルダ作成場所", NoItems, -1, -1,
     "フォルダ作成場所"},
    {"EditFolder", ControlKind::Edit, 104, 8, 233, 20, "EditFolder", NoItems, -1, 0,
     "フォルダ作成場所"},
    {"ButtonFolder", ControlKind::Button, 344, 8, 65, 25, "参照...", NoItems, -1, 1, "参照"},
    {"LabelFileSize", ControlKind::Label, 8, 40, 84, 12, "ファイルの大きさ", NoItems, -1, -1,
     "ファイルの大きさ"},
    {"ComboBoxFileSize", ControlKind::DropDownList, 96, 40, 65, 20, "", FileSizeItems,
     ChoiceKeys::FileSize.Default, 2, "ファイルの大きさ"},
    {"LabelTotalSize", ControlKind::Label, 168, 40, 36, 12, "総容量", NoItems, -1, -1, "総容量"},
    {"ComboBoxTotalSize", ControlKind::DropDownList, 208, 40, 65, 20, "", TotalSizeItems,
     ChoiceKeys::TotalSize.Default, 3, "総容量"},
    {"LabelFileTotal", ControlKind::Label, 280, 40, 72, 12, "LabelFileTotal", NoItems, -1, -1,
     "ファイル数"},
    {"LabelReadPercentage", ControlKind::Label, 384, 40, 60, 12, "読み込み％", NoItems, -1, -1,
     "読み込み％"},
    {"ComboBoxReadPercentage", ControlKind::DropDownList, 448, 40, 57, 20, "", ReadPercentageItems,
     ChoiceKeys::ReadPercentage.Default, 12, "読み込み％"},
    {"CheckBoxDeleteFile", ControlKind::CheckBox, 8, 64, 297, 17,
     "終了時にファイルとフォルダを削除する", NoItems, -1, 4,
     "終了時にファイルとフォルダを削除する"},
    {"CheckBox1MB", ControlKind::CheckBox, 240, 64, 145, 17, "1MBずつ読み書きする", NoItems, -1, 5,
     "1MBずつ読み書きする"},
    {"CheckBoxReadOnly", ControlKind::CheckBox, 384, 64, 97, 17, "読み込みのみ", NoItems, -1, 10,
     "読み込みのみ"},
    {"CheckBoxReadRandom", ControlKind::CheckBox, 480, 64, 113, 17, "ランダム読み込み", NoItems, -1,
     11, "ランダム読み込み"},
    {"LabelRepeat", ControlKind::Label, 8, 88, 42, 12, "繰り返し", NoItems, -1, -1, "繰り返し"},
    {"ComboBoxRepeat", ControlKind::DropDownList, 56, 88, 73, 20, "", RepeatItems, -1, 6,
     "繰り返し"},
    {"LabelPriority", ControlKind::Label, 136, 88, 36, 12, "優先度", NoItems, -1, -1, "優先度"},
    {"ComboBoxPriority", ControlKind::DropDownList, 176, 88, 73, 20, "", PriorityItems,
     ChoiceKeys::Priority.Default, 7, "優先度"},
    {"LabelWait", ControlKind::Label, 256, 88, 24, 12, "待機", NoItems, -1, -1, "待機"},
    {"ComboBoxWait", ControlKind::DropDownList, 288, 88, 49, 20, "", WaitItems, -1, 8, "待機"},
    {"ButtonStart", ControlKind::Button, 344, 88, 65, 25, "開始", NoItems, -1, 9, "開始"},
};

constexpr MenuLayout Menu[] = {
    {"MenuF", "ファイル(&F)", ""},
    {"MenuFReport", "レポートを保存(&R)...", "MenuF"},
    {"MenuFVerify", "読み込んだデータを検証する(&V)", "MenuF", true},
    {"MenuFCheck", "空き容量全体を検査(&C)...", "MenuF"},
    {"MenuFSep1", "", "MenuF"},
    {"MenuFExit", "終了(&X)", "MenuF"},
    {"MenuHelp", "ヘルプなど(&H)", ""},
    {"MenuHelpStartMenu", "スタートメニューに登録(&S)...", "MenuHelp"},
    {"MenuHelpSep1", "", "MenuHelp"},
    {"MenuHelpReadme", "README.TXTを開く(&R)", "MenuHelp"},
    {"MenuHelpWeb", "Webサイトを開く(&W)...", "MenuHelp"},
    {"MenuHelpVersion", "バージョン情報(&V)...", "MenuHelp"},
};

// Whatever the user can operate is one of the form's controls: a row added
// to a table needs its row in the list of those controls too.
constexpr bool Listed(std::string_view name) {
  constexpr std::string_view names[] = {
#define TARNWELL_NAME(Interface, Name, member) #Name,
      TARNWELL_FORM_MAIN_CONTROLS(TARNWELL_NAME)
#undef TARNWELL_NAME
  };
  return std::ranges::find(names, name) != std::end(names);
}
static_assert(std::ranges::all_of(Controls, [](const ControlLayout& control) {
  return control.Kind == ControlKind::Label || Listed(control.Name);
}));
static_assert(std::ranges::all_of(Menu, [](const MenuLayout& item) {
  return item.Parent.empty() || item.Caption.empty() || Listed(item.Name);
}));

}  // namespace

std::span<const ControlLayout> FormMainControls() { return Controls; }

const ControlLayout* FindControlLayout(std::string_view name) {
  for (const ControlLayout& control : Controls) {
    if (control.Name == name) return &control;
  }
  return nullptr;
}

std::span<const MenuLayout> FormMainMenu() { return Menu; }

}  // namespace tarnwell::ui
