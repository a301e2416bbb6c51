// The main window's controls, listed once. Each row gives a control's
// interface, its name (as the layout, menu and event tables spell it) and
// the member that holds its adapter in a binding. The form's control struct,
// the Qt and Win32 adapters and the tests' in-memory window are all built
// from this list: a new control is one row here and, for a panel control or
// a menu item, one row in its table.
#pragma once

#include "ui/Controls.h"

// X(Interface, Name, member)
#define TARNWELL_FORM_MAIN_CONTROLS(X)                            \
  X(Window, Form, mainWindow)                                     \
  X(MenuItem, MenuFReport, menuFReport)                           \
  X(CheckMenuItem, MenuFVerify, menuFVerify)                      \
  X(MenuItem, MenuFCheck, menuFCheck)                             \
  X(MenuItem, MenuFExit, menuFExit)                               \
  X(MenuItem, MenuHelpWeb, menuHelpWeb)                           \
  X(MenuItem, MenuHelpReadme, menuHelpReadme)                     \
  X(MenuItem, MenuHelpVersion, menuHelpVersion)                   \
  X(MenuItem, MenuHelpStartMenu, menuHelpStartMenu)               \
  X(Memo, MemoResult, memoResult)                                 \
  X(Edit, EditFolder, editFolder)                                 \
  X(Button, ButtonFolder, buttonFolder)                           \
  X(Button, ButtonStart, buttonStart)                             \
  X(DropDownList, ComboBoxFileSize, comboBoxFileSize)             \
  X(DropDownList, ComboBoxTotalSize, comboBoxTotalSize)           \
  X(Label, LabelFileTotal, labelFileTotal)                        \
  X(CheckBox, CheckBoxDeleteFile, checkBoxDeleteFile)             \
  X(DropDownList, ComboBoxRepeat, comboBoxRepeat)                 \
  X(DropDownList, ComboBoxPriority, comboBoxPriority)             \
  X(DropDownList, ComboBoxWait, comboBoxWait)                     \
  X(CheckBox, CheckBox1MB, checkBox1MB)                           \
  X(CheckBox, CheckBoxReadOnly, checkBoxReadOnly)                 \
  X(CheckBox, CheckBoxReadRandom, checkBoxReadRandom)             \
  X(DropDownList, ComboBoxReadPercentage, comboBoxReadPercentage) \
  /* the line under the memo that shows how far a run has come */ \
  X(Label, LabelProgress, labelProgress)                          \
  X(SaveDialog, SaveReport, saveReport)                           \
  X(GuiThread, Gui, gui)

namespace tarnwell::ui {

struct TFormMainControls {
#define TARNWELL_CONTROL_MEMBER(Interface, Name, member) Interface& Name;
  TARNWELL_FORM_MAIN_CONTROLS(TARNWELL_CONTROL_MEMBER)
#undef TARNWELL_CONTROL_MEMBER
  MessageBoxes& Boxes;  // shared with the other windows
};

// The controls from a binding's adapters, held under the list's member names.
template <class Adapters>
TFormMainControls FormMainControlsOf(Adapters& a, MessageBoxes& boxes) {
#define TARNWELL_CONTROL_OF(Interface, Name, member) a.member,
  return TFormMainControls{TARNWELL_FORM_MAIN_CONTROLS(TARNWELL_CONTROL_OF) boxes};
#undef TARNWELL_CONTROL_OF
}

}  // namespace tarnwell::ui
