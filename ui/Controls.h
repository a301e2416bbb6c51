// The small control interfaces the forms' logic is written against. A
// toolkit binding (Qt on Linux, user32/comctl32 on Windows) implements them on
// real widgets; tests implement them in memory. No toolkit type appears here,
// and every text is UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarnwell::ui {

class Control {
public:
  virtual ~Control() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// A selection-only drop-down list; -1 is "no selection".
class DropDownList : public Control {
public:
  virtual int ItemIndex() const = 0;
  // The binding accepts -1 or an index below Count(); the forms never ask
  // for anything else.
  virtual void SetItemIndex(int index) = 0;
  virtual int Count() const = 0;
  virtual std::string Item(int index) const = 0;
};

class CheckBox : public Control {
public:
  virtual bool Checked() const = 0;
  virtual void SetChecked(bool checked) = 0;
};

// A single-line text box.
class Edit : public Control {
public:
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
};

class Label {
public:
  virtual ~Label() = default;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
};

// A multi-line text box. It receives lines ending in CR LF; a binding may
// show them with the toolkit's own line ends, and gives them back with CR LF.
class Memo {
public:
  virtual ~Memo() = default;
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
};

class Button : public Control {
public:
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
};

class MenuItem : public Control {};

// A menu item with a check mark; picking it turns the mark over (the
// binding does, as the toolkit's own check items do).
class CheckMenuItem : public MenuItem {
public:
  virtual bool Checked() const = 0;
  virtual void SetChecked(bool checked) = 0;
};

// Mutually exclusive choices in a captioned frame; -1 is "none chosen".
class RadioGroup : public Control {
public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetItems(const std::vector<std::string>& items) = 0;
  virtual int ItemIndex() const = 0;
  virtual void SetItemIndex(int index) = 0;
};

// Outer bounds of a top-level window, in pixels, screen coordinates.
struct Bounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

class Window {
public:
  virtual ~Window() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  // For a minimised window its restored bounds, for a maximised one the
  // maximised bounds.
  virtual Bounds GetBounds() const = 0;
  // Applied one at a time, as read, without any check against the screen.
  virtual void SetLeft(int left) = 0;
  virtual void SetTop(int top) = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  // Asks the window to close; the toolkit then calls the form's FormClose.
  virtual void Close() = 0;
  // Shows the window modally and returns when it has been closed (hidden).
  virtual void ShowModal() = 0;
};

// A tree of labelled items, each known by a number its form chooses; the
// binding reports expansions and confirmed label edits back to the form
// and never changes an item's label itself.
using TreeItem = std::uint64_t;
inline constexpr TreeItem NoTreeItem = 0;

enum class TreeIcon { Desktop, Home, Computer, Drive, Folder };

struct TreeItemData {
  std::string Label;
  TreeIcon Icon = TreeIcon::Folder;
  // Shows an expand button, also before the children are known.
  bool Expandable = false;
  // The label may be edited in place.
  bool Editable = false;
};

class TreeView {
public:
  virtual ~TreeView() = default;
  // Inserts `item` as child number `index` of `parent`; NoTreeItem as the
  // parent makes it a top-level item.
  virtual void InsertItem(TreeItem parent, int index, TreeItem item, const TreeItemData& data) = 0;
  // Removes the item and everything below it.
  virtual void RemoveItem(TreeItem item) = 0;
  // Moves the item, with everything below it, to child number `index` of
  // its parent.
  virtual void MoveItem(TreeItem item, int index) = 0;
  virtual void SetLabel(TreeItem item, const std::string& label) = 0;
  virtual void SetExpandable(TreeItem item, bool expandable) = 0;
  virtual void Expand(TreeItem item) = 0;
  // NoTreeItem when nothing is selected.
  virtual TreeItem Selected() const = 0;
  virtual void Select(TreeItem item) = 0;
  // Opens the in-place editor on the item's label.
  virtual void EditLabel(TreeItem item) = 0;
  // The hourglass pointer while true.
  virtual void SetBusy(bool busy) = 0;
};

// Modal boxes captioned with the application title.
class MessageBoxes {
public:
  virtual ~MessageBoxes() = default;
  // The plain message box: the text and an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // The error box: a stop icon, the text and an OK button.
  virtual void ShowError(const std::string& text) = 0;
  // A question with Yes and No buttons; true for Yes. Once the program is
  // being ended from outside, the answer is No without a box.
  virtual bool AskYesNo(const std::string& text) = 0;
  // The program is being ended from outside (logout, a termination signal):
  // from now on no box may wait for someone to press OK.
  virtual void StopWaiting() {}
};

// The standard dialog that asks where to save a file.
class SaveDialog {
public:
  virtual ~SaveDialog() = default;
  // The chosen path, or empty when the user cancelled. `suggestedName` is the
  // offered file name; `filterText` names the kind of file ("HTML (*.html)").
  virtual std::string AskSavePath(const std::string& title, const std::string& suggestedName,
                                  const std::string& filterText) = 0;
};

// The GUI thread's queue. Post may be called from any thread; the task runs
// later on the GUI thread, unless the form has gone by then.
class GuiThread {
public:
  virtual ~GuiThread() = default;
  virtual void Post(std::function<void()> task) = 0;
  // Calls `tick` on the GUI thread every `milliseconds` until StopTicker.
  virtual void StartTicker(int milliseconds, std::function<void()> tick) = 0;
  virtual void StopTicker() = 0;
};

}  // namespace tarnwell::ui
