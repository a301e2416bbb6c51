// The folder chooser's logic through in-memory controls: the tree it shows
// at start-up, what "OK" and "キャンセル" leave in the main window's folder
// box, loading on expansion, renaming in place and the context menu.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "MemoryControls.h"

namespace tarnwell::ui::test {
namespace {

namespace fs = std::filesystem;

class FormFolderTest : public ::testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(temp / "desk/a/inner");
    fs::create_directories(temp / "desk/b");
    fs::create_directories(temp / "home");
    app = std::make_unique<MemoryApplication>(temp / "tarnwell.INI");
    app->folderRoots = FolderRoots{.DesktopPath = Desk(),
                                   .DesktopLabel = DesktopName,
                                   .HomePath = temp / "home",
                                   .MountPoints = {"/"}};
    app->Start();
  }
  std::string Desk() const { return temp / "desk"; }
  MemoryTreeView& Tree() { return app->shellTreeViewMain; }
  TreeItem Root() { return Tree().top.at(0); }
  TreeItem Item(const std::string& label) { return Tree().Child(Root(), label); }
  // The main window's folder button; while the chooser is shown the user
  // presses `button`, or closes it another way when there is none.
  void Choose(void (TFormFolder::*button)() = nullptr) {
    app->folderWindow.whileShown = [this, button] {
      if (button != nullptr) (app->formFolder.get()->*button)();
    };
    app->formMain->Handle(&TFormMain::ButtonFolderClick);
  }

  TempFolder temp;
  std::unique_ptr<MemoryApplication> app;
};

TEST_F(FormFolderTest, StartsWithTheRootExpandedAndSelected) {
  ASSERT_EQ(Tree().top.size(), 1u);
  EXPECT_EQ(Tree().selected, Root());
  EXPECT_TRUE(Tree().items.at(Root()).expanded);
  EXPECT_EQ(Tree().Labels(Root()), (std::vector<std::string>{"home", ComputerName, "a", "b"}));
  EXPECT_TRUE(Tree().items.at(Item("a")).data.Editable);
  EXPECT_FALSE(Tree().items.at(Item("home")).data.Editable);
  EXPECT_EQ(Tree().busyDepth, 0);
}

TEST_F(FormFolderTest, OkWritesTheSelectedPathAndCancelLeavesTheBoxAlone) {
  Choose(&TFormFolder::ButtonOKClick);  // at once: the desktop
  EXPECT_EQ(app->editFolder.Text(), Desk());

  Tree().Select(Item(ComputerName));
  Choose(&TFormFolder::ButtonOKClick);
  EXPECT_EQ(app->editFolder.Text(), ComputerName);

  Tree().Select(Item("a"));
  Choose(&TFormFolder::ButtonCancelClick);
  EXPECT_EQ(app->editFolder.Text(), ComputerName);
  EXPECT_EQ(app->folderWindow.closeRequests, 3);
  Choose();  // the close box
  EXPECT_EQ(app->editFolder.Text(), ComputerName);
  EXPECT_EQ(app->folderWindow.modalShows, 4);

  Tree().Select(NoTreeItem);
  Choose(&TFormFolder::ButtonOKClick);
  EXPECT_EQ(app->editFolder.Text(), "");
}

TEST_F(FormFolderTest, ExpandingShowsChildrenUnderTheHourglass) {
  TFormFolder& form = *app->formFolder;
  const int busyBefore = Tree().busyTimes;
  form.ShellTreeViewMainExpanding(Item("a"));
  EXPECT_EQ(Tree().Labels(Item("a")), std::vector<std::string>{"inner"});
  EXPECT_GT(Tree().busyTimes, busyBefore);
  EXPECT_EQ(Tree().busyDepth, 0);

  const TreeItem inner = Tree().Child(Item("a"), "inner");
  EXPECT_FALSE(Tree().items.at(inner).data.Expandable);
  Tree().Select(inner);
  Choose(&TFormFolder::ButtonOKClick);
  EXPECT_EQ(app->editFolder.Text(), Desk() + "/a/inner");
}

TEST_F(FormFolderTest, RefusedRenameIsReportedAndTheLabelStays) {
  TFormFolder& form = *app->formFolder;
  const TreeItem a = Item("a");
  form.ShellTreeViewMainEdited(a, "b");
  EXPECT_EQ(app->boxes.errors, std::vector<std::string>{"b に名前を変更できませんでした。"});
  EXPECT_EQ(Tree().items.at(a).data.Label, "a");

  form.ShellTreeViewMainEdited(a, "");  // emptied: taken back, no message
  EXPECT_EQ(app->boxes.errors.size(), 1u);

  form.ShellTreeViewMainEdited(a, "c");
  EXPECT_EQ(Tree().Labels(Root()), (std::vector<std::string>{"home", ComputerName, "b", "c"}));
  Tree().Select(a);
  Choose(&TFormFolder::ButtonOKClick);
  EXPECT_EQ(app->editFolder.Text(), Desk() + "/c");
}

TEST_F(FormFolderTest, ContextMenuCommandsUpdateTheTree) {
  TFormFolder& form = *app->formFolder;
  using enum FolderCommand;
  EXPECT_EQ(form.ShellTreeViewMainCommands(Root()), (std::vector{NewFolder, Open}));
  EXPECT_EQ(form.ShellTreeViewMainCommands(Item(ComputerName)), std::vector<FolderCommand>{});
  EXPECT_EQ(form.ShellTreeViewMainCommands(Item("b")),
            (std::vector{Rename, NewFolder, Trash, Open}));

  form.ShellTreeViewMainCommand(Item("a"), Rename);
  EXPECT_EQ(Tree().editing, Item("a"));
  form.ShellTreeViewMainCommand(Item("a"), Open);
  EXPECT_EQ(app->services.opened, std::vector<std::string>{Desk() + "/a"});

  // A new folder in an empty one: added, selected and its label open.
  const TreeItem b = Item("b");
  form.ShellTreeViewMainCommand(b, NewFolder);
  form.ShellTreeViewMainCommand(b, NewFolder);
  EXPECT_EQ(Tree().Labels(b), (std::vector<std::string>{"新しいフォルダ", "新しいフォルダ (2)"}));
  EXPECT_TRUE(fs::is_directory(temp / "desk/b/新しいフォルダ (2)"));
  EXPECT_EQ(Tree().selected, Tree().editing);
  EXPECT_TRUE(Tree().items.at(b).data.Expandable);

  const char* oldData = std::getenv("XDG_DATA_HOME");
  const std::optional<std::string> saved =
      oldData ? std::optional<std::string>(oldData) : std::nullopt;
  ::setenv("XDG_DATA_HOME", (temp / "data").c_str(), 1);
  const TreeItem made = Tree().Child(b, "新しいフォルダ");
  form.ShellTreeViewMainCommand(made, Trash);
  if (saved) {
    ::setenv("XDG_DATA_HOME", saved->c_str(), 1);
  } else {
    ::unsetenv("XDG_DATA_HOME");
  }
  EXPECT_EQ(Tree().items.count(made), 0u);
  EXPECT_EQ(Tree().selected, b);
  EXPECT_TRUE(fs::is_directory(temp / "data/Trash/files/新しいフォルダ"));
}

}  // namespace
}  // namespace tarnwell::ui::test
