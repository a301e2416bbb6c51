// The application-menu dialog on Qt Widgets.
#include "ui/qt/StartMenuDialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/HandlerGuard.h"
#include "ui/qt/Fonts.h"
#include "ui/qt/QtControls.h"

namespace tarnwell::ui::qt {
namespace {

using Design = FormStartMenuDesign;

// A group box of radio buttons, made afresh whenever the items change.
class QtRadioGroup : public QtControl<RadioGroup, QGroupBox> {
public:
  explicit QtRadioGroup(QGroupBox* box) : QtControl(box), buttons_(new QButtonGroup(box)) {
    buttons_->setExclusive(true);
    new QVBoxLayout(box);
  }
  void SetCaption(const std::string& caption) override { object_->setTitle(ToQString(caption)); }
  void SetItems(const std::vector<std::string>& items) override {
    for (QAbstractButton* button : buttons_->buttons()) {
      buttons_->removeButton(button);
      delete button;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
      auto* radio = new QRadioButton(ToQString(items[i]), object_);
      radio->setObjectName(QStringLiteral("RadioGroupMainItem%1").arg(i));
      buttons_->addButton(radio, static_cast<int>(i));
      object_->layout()->addWidget(radio);
    }
  }
  int ItemIndex() const override { return buttons_->checkedId(); }
  void SetItemIndex(int index) override {
    if (QAbstractButton* button = buttons_->button(index)) button->setChecked(true);
  }

private:
  QButtonGroup* buttons_;
};

}  // namespace

struct StartMenuDialog::Adapters {
  QtWindow window;
  QtRadioGroup group;
  QtButton ok;
  QtButton cancel;
};

void StartMenuDialog::showEvent(QShowEvent* event) {
  ModalWindow::showEvent(event);
  auto* group = findChild<QGroupBox*>(QStringLiteral("RadioGroupMain"));
  QRadioButton* target = nullptr;
  for (QRadioButton* radio : group->findChildren<QRadioButton*>()) {
    if (target == nullptr || radio->isChecked()) target = radio;
    if (radio->isChecked()) break;
  }
  if (target != nullptr) target->setFocus(Qt::OtherFocusReason);
}

StartMenuDialog::StartMenuDialog(QWidget* parent, AppServices& services, MessageBoxes& boxes)
    : ModalWindow(parent), boxes_(boxes) {
  setObjectName(QStringLiteral("FormStartMenu"));
  // A fixed dialog frame with a title and no close box, minimise or maximise.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
  const QFont font = WindowFont();
  setFont(font);
  auto* group = new QGroupBox(this);
  group->setObjectName(QStringLiteral("RadioGroupMain"));
  QFont groupFont = font;
  groupFont.setPointSize(Design::GroupFontPoints);
  group->setFont(groupFont);
  auto button = [&](const char* name) {
    auto* b = new QPushButton(this);
    b->setObjectName(QLatin1String(name));
    return b;
  };
  QPushButton* ok = button("ButtonOK");
  QPushButton* cancel = button("ButtonCancel");
  ok->setDefault(true);  // Enter; Escape rejects the dialog, which counts as cancel
  setTabOrder(group, ok);
  setTabOrder(ok, cancel);

  adapters_.reset(
      new Adapters{QtWindow(this), QtRadioGroup(group), QtButton(ok), QtButton(cancel)});
  Adapters& a = *adapters_;
  form_ = std::make_unique<TFormStartMenu>(TFormStartMenuControls{.Form = a.window,
                                                                  .RadioGroupMain = a.group,
                                                                  .ButtonOK = a.ok,
                                                                  .ButtonCancel = a.cancel,
                                                                  .Boxes = boxes},
                                           services);
  TFormStartMenu* form = form_.get();
  connect(ok, &QPushButton::clicked, this,
          [form, &boxes] { RunHandler(boxes, [form] { form->ButtonOKClick(); }); });
  connect(cancel, &QPushButton::clicked, this,
          [form, &boxes] { RunHandler(boxes, [form] { form->ButtonCancelClick(); }); });
  onClose = [form, &boxes] { RunHandler(boxes, [form] { form->FormClose(); }); };

  move(Design::Left, Design::Top);
  Relayout();
}

StartMenuDialog::~StartMenuDialog() {
  form_.reset();
  adapters_.reset();
}

void StartMenuDialog::Create() {
  RunHandler(boxes_, [this] { form_->FormCreate(); });
  Relayout();
}

void StartMenuDialog::Relayout() {
  // The designed places, grown where the real font's texts need more room.
  const double scale = LayoutScale(font());
  auto scaled = [scale](int value) { return static_cast<int>(std::lround(value * scale)); };
  auto* group = findChild<QGroupBox*>(QStringLiteral("RadioGroupMain"));
  auto* ok = findChild<QPushButton*>(QStringLiteral("ButtonOK"));
  auto* cancel = findChild<QPushButton*>(QStringLiteral("ButtonCancel"));
  const QSize groupHint = group->sizeHint();
  const int groupWidth = std::max(scaled(Design::GroupWidth), groupHint.width());
  const int groupHeight = std::max(scaled(Design::GroupHeight), groupHint.height());
  group->setGeometry(scaled(Design::GroupLeft), scaled(Design::GroupTop), groupWidth, groupHeight);
  const int gapBelowGroup = Design::ButtonTop - Design::GroupTop - Design::GroupHeight;
  const int buttonTop = std::max(scaled(Design::ButtonTop),
                                 scaled(Design::GroupTop) + groupHeight + scaled(gapBelowGroup));
  const int right = scaled(Design::GroupLeft) + groupWidth;
  const int buttonHeight = std::max(scaled(Design::ButtonHeight), ok->sizeHint().height());
  const int buttonWidth =
      std::max({scaled(Design::ButtonWidth), ok->sizeHint().width(), cancel->sizeHint().width()});
  const int gap = scaled(Design::OkLeft - Design::CancelLeft - Design::ButtonWidth);
  ok->setGeometry(right - buttonWidth, buttonTop, buttonWidth, buttonHeight);
  cancel->setGeometry(right - 2 * buttonWidth - gap, buttonTop, buttonWidth, buttonHeight);
  // The designed frame of 448 x 165 held the controls with these margins.
  setFixedSize(right + scaled(Design::RightMargin),
               buttonTop + buttonHeight + scaled(Design::BottomMargin));
}

}  // namespace tarnwell::ui::qt
