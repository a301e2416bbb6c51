// The folder chooser on Qt Widgets.
#include "ui/qt/FolderDialog.h"

#include <QFrame>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/HandlerGuard.h"
#include "ui/qt/Fonts.h"
#include "ui/qt/QtControls.h"
#include "ui/qt/QtTreeView.h"

namespace tarnwell::ui::qt {
namespace {

using Design = FormFolderDesign;

}  // namespace

struct FolderDialog::Adapters {
  QtWindow window;
  QtTreeView tree;
};

FolderDialog::FolderDialog(QWidget* parent, AppServices& services, MessageBoxes& boxes,
                           std::function<FolderRoots()> roots)
    : ModalWindow(parent), boxes_(boxes) {
  setObjectName(QStringLiteral("FormFolder"));
  setWindowTitle(QString::fromUtf8(FormFolderTexts::Caption));
  setSizeGripEnabled(true);
  const QFont font = WindowFont();
  setFont(font);
  scale_ = LayoutScale(font);
  auto scaled = [this](int value) { return static_cast<int>(std::lround(value * scale_)); };

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* tree = new QTreeWidget(this);
  tree->setObjectName(QStringLiteral("ShellTreeViewMain"));
  tree->setAccessibleName(QString::fromUtf8(FormFolderTexts::Tree));
  tree->setHeaderHidden(true);
  tree->setColumnCount(1);
  tree->setRootIsDecorated(true);
  tree->setIndentation(scaled(Design::Indent));
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  tree->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(tree, 1);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("PanelBottom"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setFixedHeight(scaled(Design::PanelHeight));
  layout->addWidget(panel);
  auto button = [&](const char* name, const char* text, int left) {
    auto* b = new QPushButton(QString::fromUtf8(text), panel);
    b->setObjectName(QLatin1String(name));
    // Never smaller than the text needs in the real font.
    const QSize hint = b->sizeHint();
    b->setGeometry(scaled(left), scaled(Design::ButtonTop),
                   std::max(scaled(Design::ButtonWidth), hint.width()),
                   std::max(scaled(Design::ButtonHeight), hint.height()));
    return b;
  };
  QPushButton* ok = button("ButtonOK", FormFolderTexts::OK, Design::OkLeft);
  QPushButton* cancel = button("ButtonCancel", FormFolderTexts::Cancel, Design::CancelLeft);
  ok->setDefault(true);
  setTabOrder(tree, ok);
  setTabOrder(ok, cancel);

  move(Design::Left, Design::Top);
  resize(scaled(Design::Width), scaled(Design::Height));

  adapters_.reset(new Adapters{QtWindow(this), QtTreeView(tree)});
  Adapters& a = *adapters_;
  form_ = std::make_unique<TFormFolder>(
      TFormFolderControls{.Form = a.window, .ShellTreeViewMain = a.tree, .Boxes = boxes}, services,
      std::move(roots));

  TFormFolder* form = form_.get();
  auto run = [&boxes](const std::function<void()>& handler) { RunHandler(boxes, handler); };
  connect(ok, &QPushButton::clicked, this, [form, run] { run([form] { form->ButtonOKClick(); }); });
  connect(cancel, &QPushButton::clicked, this,
          [form, run] { run([form] { form->ButtonCancelClick(); }); });
  // Escape, "キャンセル", "OK" and the close box all end here.
  onClose = [form, run] { run([form] { form->FormClose(); }); };
  connect(tree, &QTreeWidget::itemExpanded, this, [form, run](QTreeWidgetItem* item) {
    run([form, item] { form->ShellTreeViewMainExpanding(QtTreeView::ItemOf(item)); });
  });
  a.tree.onEdited = [form, run](TreeItem item, const std::string& text) {
    run([&] { form->ShellTreeViewMainEdited(item, text); });
  };
  connect(tree, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& position) { ShowContextMenu(position); });
}

FolderDialog::~FolderDialog() {
  // The form first: it refers to the adapters, which refer to the widgets.
  form_.reset();
  adapters_.reset();
}

void FolderDialog::Create() {
  RunHandler(boxes_, [this] { form_->FormCreate(); });
}

void FolderDialog::ShowContextMenu(const QPoint& position) {
  auto* tree = findChild<QTreeWidget*>(QStringLiteral("ShellTreeViewMain"));
  QTreeWidgetItem* item = tree->itemAt(position);
  if (item == nullptr) return;
  // The menu is for the folder under the pointer, which becomes the
  // selected one before anything else happens.
  tree->setCurrentItem(item);
  const TreeItem id = QtTreeView::ItemOf(item);
  QMenu menu(this);
  for (const FolderCommand command : form_->ShellTreeViewMainCommands(id)) {
    QAction* action = menu.addAction(QString::fromUtf8(FolderCommandText(command)));
    action->setData(static_cast<int>(command));
  }
  if (menu.isEmpty()) return;
  QAction* chosen = menu.exec(tree->viewport()->mapToGlobal(position));
  if (chosen == nullptr) return;
  const auto command = static_cast<FolderCommand>(chosen->data().toInt());
  RunHandler(boxes_, [&] { form_->ShellTreeViewMainCommand(id, command); });
}

}  // namespace tarnwell::ui::qt
