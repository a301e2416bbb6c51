// The main window's layout: every control of the top panel with its kind,
// place and size at 96 dpi (12-pixel window font), text, items, initial
// selection, tab order and the name a screen reader announces; the menu; the
// window's design values. Bindings build their widgets from this table, so
// the real window and the in-memory one used by tests cannot drift apart.
#pragma once

#include <span>
#include <string_view>

namespace tarnwell::ui {

enum class ControlKind { Label, Edit, Button, DropDownList, CheckBox };

struct ControlLayout {
  std::string_view Name;
  ControlKind Kind;
  int Left;
  int Top;
  int Width;
  int Height;
  std::string_view Text;  // caption, or the edit's layout text
  std::span<const std::string_view> Items;
  int ItemIndex;  // drop-down lists: the layout's selection, -1 for none
  int TabOrder;   // -1: not a tab stop
  std::string_view AccessibleName;
};

struct MenuLayout {
  std::string_view Name;
  std::string_view Caption;  // "&" marks the access key; empty for a separator
  std::string_view Parent;   // empty for the menu bar's own items
  bool Checkable = false;    // shows a check mark that picking turns over
};

namespace FormMainDesign {
inline constexpr std::string_view LayoutCaption = "FormMain";
inline constexpr std::string_view Caption = "Tarnwell";
inline constexpr int Left = 93;
inline constexpr int Top = 133;
inline constexpr int Width = 707;
inline constexpr int Height = 433;
inline constexpr int PanelTopHeight = 121;
// The window font the positions were designed for.
inline constexpr std::string_view FontName = "ＭＳ Ｐゴシック";
inline constexpr int FontHeight = 12;
inline constexpr std::string_view MemoFontName = "FixedSys";
inline constexpr int MemoFontHeight = 19;
// FixedSys's half-width cell, the width the result table's columns were laid
// out in (a full-width character takes two): a face standing in for it is
// sized so that its half-width characters advance by exactly this much.
inline constexpr int MemoCellWidth = 8;
inline constexpr std::string_view MemoAccessibleName = "結果";
inline constexpr std::string_view ProgressAccessibleName = "進行状況";
}  // namespace FormMainDesign

// The top panel's controls in declaration order.
std::span<const ControlLayout> FormMainControls();
// The control named `name`; nullptr when there is none.
const ControlLayout* FindControlLayout(std::string_view name);
// The menu bar and its items, each submenu after its parent, in menu order.
std::span<const MenuLayout> FormMainMenu();

}  // namespace tarnwell::ui
