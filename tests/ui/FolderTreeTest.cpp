// The folder chooser's tree on a real, temporary folder hierarchy: what it
// lists and in which order, when it reads, what "OK" would write for each
// kind of node, and renames the system refuses.
#include <dirent.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <locale>

#include "MemoryControls.h"
#include "tests/Unprivileged.h"
#include "ui/FolderTree.h"
#include "ui/NaturalOrder.h"

namespace tarnwell::ui::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const FolderNode& node) {
  std::vector<std::string> names;
  for (const auto& child : node.Children) names.push_back(child->Name);
  return names;
}

FolderNode* ChildNamed(FolderNode& node, const std::string& name) {
  for (auto& child : node.Children) {
    if (child->Name == name) return child.get();
  }
  return nullptr;
}

class FolderTreeTest : public ::testing::Test {
protected:
  FolderRoots Roots() const {
    return FolderRoots{.DesktopPath = temp / "desk",
                       .DesktopLabel = DesktopName,
                       .HomePath = temp / "home",
                       .MountPoints = {"/", "/mnt/data"}};
  }
  void Make(const std::string& relative) { fs::create_directories(temp / relative); }

  TempFolder temp;
};

TEST_F(FolderTreeTest, RootListsHomeComputerThenDesktopFoldersInNaturalOrder) {
  for (const char* name : {"desk/b10", "desk/b9", "desk/B2", "desk/a", "desk/Zeta", "desk/日本",
                           "desk/7z", "desk/.hidden", "home/sub"}) {
    Make(name);
  }
  Put(temp / "desk/file.txt", "not a folder");
  fs::create_directory_symlink(temp / "home", temp / "desk/home-link");

  FolderTree tree(Roots());
  FolderNode& root = tree.Root();
  EXPECT_EQ(root.Name, DesktopName);
  EXPECT_TRUE(root.Loaded);
  EXPECT_EQ(Names(root), (std::vector<std::string>{"home", ComputerName, "7z", "a", "B2", "b9",
                                                   "b10", "home-link", "Zeta", "日本"}));
  EXPECT_EQ(root.Children[0]->Kind, FolderKind::Home);
  EXPECT_TRUE(root.Children[0]->Expandable);
  EXPECT_FALSE(ChildNamed(root, "a")->Expandable);
  EXPECT_TRUE(ChildNamed(root, "home-link")->Expandable);

  FolderNode& computer = *root.Children[1];
  EXPECT_TRUE(computer.Path.empty());
  EXPECT_TRUE(tree.Load(computer));
  EXPECT_EQ(Names(computer), (std::vector<std::string>{"/", "/mnt/data"}));

  // A system with names of its own for home and the computer (Windows).
  FolderRoots named = Roots();
  named.HomeLabel = "taro";
  named.ComputerLabel = "PC";
  FolderTree shell(named);
  EXPECT_EQ(shell.Root().Children[0]->Name, "taro");
  EXPECT_EQ(shell.Root().Children[0]->Path, (std::filesystem::path(temp.Path()) / "home").string());
  EXPECT_EQ(FolderTree::PathOf(shell.Root().Children[1].get()), "PC");
}

TEST(NaturalOrder, NumbersByValueCaseOnlyAsTieBreak) {
  const NaturalOrder order(std::locale::classic());
  EXPECT_LT(order.Compare("file2", "file10"), 0);
  EXPECT_LT(order.Compare("x99999999999999999999998", "x99999999999999999999999"), 0);
  EXPECT_LT(order.Compare("apple", "Banana"), 0);
  EXPECT_NE(order.Compare("a", "A"), 0);
  EXPECT_EQ(order.Compare("a", "A"), -order.Compare("A", "a"));
  EXPECT_NE(order.Compare("1", "01"), 0);
  EXPECT_EQ(order.Compare("same", "same"), 0);
}

TEST_F(FolderTreeTest, ChildrenAreReadOnceOnFirstExpansion) {
  Make("desk/a/x/deep");
  FolderTree tree(Roots());
  FolderNode& a = *ChildNamed(tree.Root(), "a");
  EXPECT_FALSE(a.Loaded);
  EXPECT_TRUE(a.Children.empty());

  Make("desk/a/y");  // before the first expansion: it shows
  EXPECT_TRUE(tree.Load(a));
  Make("desk/a/z");  // after it: the tree does not watch the file system
  EXPECT_FALSE(tree.Load(a));
  EXPECT_EQ(Names(a), (std::vector<std::string>{"x", "y"}));
  EXPECT_TRUE(ChildNamed(a, "x")->Expandable);
  EXPECT_FALSE(ChildNamed(a, "y")->Expandable);
}

TEST_F(FolderTreeTest, UnreadableFolderShowsNoChildren) {
  Make("desk/gone/inside");
  Make("desk/locked/inside");
  FolderTree tree(Roots());
  // Gone since the parent was read: nothing to list, and no button.
  FolderNode& gone = *ChildNamed(tree.Root(), "gone");
  fs::remove_all(temp / "desk/gone");
  EXPECT_TRUE(gone.Expandable);
  tree.Load(gone);
  EXPECT_TRUE(gone.Children.empty());
  EXPECT_FALSE(gone.Expandable);

  // A folder the user may not read (the superuser reads any, so this part
  // runs as an unprivileged user).
  const fs::path locked = temp / "desk/locked";
  fs::permissions(temp.Path(), fs::perms::others_read | fs::perms::others_exec,
                  fs::perm_options::add);
  fs::permissions(locked, fs::perms::none);
  FolderNode& node = *ChildNamed(tree.Root(), "locked");
  const int shown = testing::RunUnprivileged(temp / "desk", [&] {
    tree.Load(node);
    return node.Children.empty() && !node.Expandable ? 0 : 1;
  });
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(shown, 0);
}

TEST_F(FolderTreeTest, PathRulesForEachKindOfNode) {
  Make("desk/a/x");
  FolderRoots roots = Roots();
  roots.DesktopPath += "/";
  FolderTree tree(roots);
  FolderNode& root = tree.Root();
  EXPECT_EQ(FolderTree::PathOf(&root), temp / "desk");
  FolderNode& a = *ChildNamed(root, "a");
  tree.Load(a);
  EXPECT_EQ(FolderTree::PathOf(a.Children[0].get()), temp / "desk/a/x");

  FolderNode& computer = *ChildNamed(root, ComputerName);
  tree.Load(computer);
  EXPECT_EQ(FolderTree::PathOf(&computer), ComputerName);
  EXPECT_EQ(FolderTree::PathOf(computer.Children[0].get()), "/");
  EXPECT_EQ(FolderTree::PathOf(nullptr), "");
}

TEST_F(FolderTreeTest, RenameFollowsThroughOrRefusesWithoutChange) {
  Make("desk/a/x");
  Make("desk/b");
  FolderTree tree(Roots());
  FolderNode& a = *ChildNamed(tree.Root(), "a");
  tree.Load(a);

  for (const std::string name : {"b", "", "..", "x/y"}) {
    EXPECT_FALSE(tree.Rename(a, name)) << name;
    EXPECT_EQ(a.Name, "a");
  }
  EXPECT_TRUE(fs::is_directory(temp / "desk/a/x"));
  // Fixed entries stay what they are.
  EXPECT_FALSE(tree.Rename(*tree.Root().Children[0], "other"));

  ASSERT_TRUE(tree.Rename(a, "c"));
  EXPECT_EQ(Names(tree.Root()), (std::vector<std::string>{"home", ComputerName, "b", "c"}));
  EXPECT_EQ(a.Children[0]->Path, temp / "desk/c/x");
  EXPECT_TRUE(fs::is_directory(temp / "desk/c/x"));
}

}  // namespace
}  // namespace tarnwell::ui::test
