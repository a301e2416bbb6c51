// The main window on Qt Widgets.
#include "ui/qt/MainWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <type_traits>
#include <utility>
#include <vector>

#include "ui/FormMainEvents.h"
#include "ui/FormMainLayout.h"
#include "ui/qt/Fonts.h"

namespace tarnwell::ui::qt {
namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The adapter of a control of the list over the widget or action that the
// layout or menu table named `name`.
template <class Adapter>
Adapter Bind(QMainWindow& window, const char* name) {
  const QLatin1String objectName(name);
  if constexpr (std::is_same_v<Adapter, QtLabel>) {
    // The panel's labels size themselves to their text; the status bar sizes
    // the progress line.
    return QtLabel(window.findChild<QLabel*>(objectName), FindControlLayout(name) != nullptr);
  } else if constexpr (std::is_same_v<Adapter, QtMemo>) {
    return QtMemo(window.findChild<QPlainTextEdit*>(objectName));
  } else if constexpr (requires(Adapter & adapter) { adapter.Widget(); }) {
    // Buttons, check boxes, lists, the edit and menu items.
    return Adapter(window.findChild<decltype(std::declval<Adapter&>().Widget())>(objectName));
  } else {
    return Adapter(&window);  // the window, its dialogs' owner, its queue
  }
}

}  // namespace

struct MainWindow::Adapters {
#define TARNWELL_ADAPTER(Interface, Name, member) Qt##Interface member;
  TARNWELL_FORM_MAIN_CONTROLS(TARNWELL_ADAPTER)
#undef TARNWELL_ADAPTER
};

template <class Widget>
Widget* MainWindow::Find(std::string_view name) const {
  return findChild<Widget*>(FromView(name));
}

MainWindow::MainWindow(AppServices& services, MessageBoxes& boxes) {
  setObjectName(QStringLiteral("FormMain"));
  const QFont font = WindowFont();
  setFont(font);
  scale_ = LayoutScale(font);
  auto scaled = [this](int value) { return static_cast<int>(std::lround(value * scale_)); };

  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* panel = new QFrame(client);
  panel->setObjectName(QStringLiteral("PanelTop"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setFixedHeight(scaled(FormMainDesign::PanelTopHeight));
  layout->addWidget(panel);
  auto* memo = new QPlainTextEdit(client);
  memo->setObjectName(QStringLiteral("MemoResult"));
  memo->setAccessibleName(FromView(FormMainDesign::MemoAccessibleName));
  memo->setFont(MemoFont());
  memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Tab moves on to the next control; the table is not the user's to edit.
  memo->setTabChangesFocus(true);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setTabStopDistance(QFontMetrics(memo->font()).horizontalAdvance(QLatin1Char(' ')) * 8);
  layout->addWidget(memo, 1);
  setCentralWidget(client);
  BuildControls(panel);

  auto* progress = new QLabel(this);
  progress->setObjectName(QStringLiteral("LabelProgress"));
  progress->setAccessibleDescription(FromView(FormMainDesign::ProgressAccessibleName));
  statusBar()->addWidget(progress, 1);
  statusBar()->setSizeGripEnabled(true);
  BuildMenu();

  setWindowTitle(FromView(FormMainDesign::LayoutCaption));
  move(FormMainDesign::Left, FormMainDesign::Top);
  resize(scaled(FormMainDesign::Width), scaled(FormMainDesign::Height));

#define TARNWELL_BIND(Interface, Name, member) Bind<Qt##Interface>(*this, #Name),
  adapters_.reset(new Adapters{TARNWELL_FORM_MAIN_CONTROLS(TARNWELL_BIND)});
#undef TARNWELL_BIND
  form_ = std::make_unique<TFormMain>(FormMainControlsOf(*adapters_, boxes), services);
  Connect();
  Find<QLineEdit>("EditFolder")->setFocus();
}

// The form first: it stops a run before the controls it reports to go.
MainWindow::~MainWindow() { form_.reset(); }

void MainWindow::BuildControls(QWidget* panel) {
  auto scaled = [this](int value) { return static_cast<int>(std::lround(value * scale_)); };
  std::vector<std::pair<int, QWidget*>> tabOrder;
  std::vector<std::pair<const ControlLayout*, QLabel*>> labels;
  for (const ControlLayout& control : FormMainControls()) {
    QWidget* widget = nullptr;
    const QString text = FromView(control.Text);
    switch (control.Kind) {
      case ControlKind::Label: {
        auto* label = new QLabel(text, panel);
        labels.emplace_back(&control, label);
        widget = label;
        break;
      }
      case ControlKind::Edit:
        widget = new QLineEdit(text, panel);
        break;
      case ControlKind::Button: {
        auto* button = new QPushButton(text, panel);
        button->setAutoDefault(false);
        button->setDefault(false);
        widget = button;
        break;
      }
      case ControlKind::DropDownList: {
        auto* list = new CloseUpComboBox(panel);
        for (std::string_view item : control.Items) list->addItem(FromView(item));
        list->setCurrentIndex(control.ItemIndex);
        widget = list;
        break;
      }
      case ControlKind::CheckBox:
        widget = new QCheckBox(text, panel);
        break;
    }
    widget->setObjectName(FromView(control.Name));
    // Labels, buttons and check boxes are announced by their own text.
    if (control.Kind == ControlKind::Edit || control.Kind == ControlKind::DropDownList) {
      widget->setAccessibleName(FromView(control.AccessibleName));
    }
    // Never narrower or lower than the text needs: the real font may be
    // wider than the one the layout was drawn for.
    const QSize hint = widget->sizeHint();
    widget->setGeometry(scaled(control.Left), scaled(control.Top),
                        std::max(scaled(control.Width), hint.width()),
                        std::max(scaled(control.Height), hint.height()));
    if (control.Kind == ControlKind::Label) {
      widget->resize(hint);  // labels size themselves to their text
      widget->setFocusPolicy(Qt::NoFocus);
    } else if (control.Kind == ControlKind::CheckBox) {
      // As wide as box and text: a wider one would reach under its right
      // neighbour and take its clicks.
      widget->resize(hint.width(), widget->height());
    }
    if (control.TabOrder >= 0) tabOrder.emplace_back(control.TabOrder, widget);
  }
  // A label names the control it stands beside; its access reaches it.
  for (const auto& [layout, label] : labels) {
    for (const ControlLayout& control : FormMainControls()) {
      if (&control != layout && control.Kind != ControlKind::Label &&
          control.AccessibleName == layout->AccessibleName) {
        label->setBuddy(Find<QWidget>(control.Name));
      }
    }
  }
  std::sort(tabOrder.begin(), tabOrder.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  QWidget* previous = nullptr;
  for (const auto& [order, widget] : tabOrder) {
    if (previous != nullptr) setTabOrder(previous, widget);
    previous = widget;
  }
  if (previous != nullptr) setTabOrder(previous, Find<QWidget>("MemoResult"));
}

void MainWindow::BuildMenu() {
  for (const MenuLayout& item : FormMainMenu()) {
    const QString name = FromView(item.Name);
    if (item.Parent.empty()) {
      QMenu* menu = menuBar()->addMenu(FromView(item.Caption));
      menu->setObjectName(name);
      menu->menuAction()->setObjectName(name + QStringLiteral("Action"));
      continue;
    }
    QMenu* parent = menuBar()->findChild<QMenu*>(FromView(item.Parent));
    QAction* action =
        item.Caption.empty() ? parent->addSeparator() : parent->addAction(FromView(item.Caption));
    action->setObjectName(name);
    action->setCheckable(item.Checkable);
    action->setParent(this);  // so that findChild reaches it from the window
  }
}

void MainWindow::Connect() {
  TFormMain* form = form_.get();
  for (const EventWiring& wiring : FormMainEvents()) {
    auto handler = [form, method = wiring.Handler] { form->Handle(method); };
    const QString name = FromView(wiring.Control);
    if (wiring.Event == ControlEvent::CloseUp) {
      static_cast<CloseUpComboBox*>(findChild<QComboBox*>(name))->onCloseUp = handler;
    } else if (auto* action = findChild<QAction*>(name)) {
      connect(action, &QAction::triggered, this, handler);
    } else {
      connect(findChild<QAbstractButton*>(name), &QAbstractButton::clicked, this, handler);
    }
  }
}

void MainWindow::Create() { form_->Handle(&TFormMain::FormCreate); }

void MainWindow::closeEvent(QCloseEvent* event) {
  form_->Handle(&TFormMain::FormClose);
  event->accept();
}

}  // namespace tarnwell::ui::qt
