#include "ui/command_strip_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <array>

#include "ui/bridge/text.h"
#include "ui/command_strip_widget.h"

namespace volumist::ui {
namespace {

using browse::StripButton;

StripButton ButtonOf(int index) { return static_cast<StripButton>(index); }

// The button at accessible child `index`, or -1.
int ButtonAtChild(int index, bool scanning) {
  int seen = 0;
  for (const browse::StripButtonLayout& layout : browse::StripButtons()) {
    if (!browse::IsButtonShown(layout.button, scanning)) continue;
    if (seen++ == index) return static_cast<int>(layout.button);
  }
  return -1;
}

class StripButtonAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  StripButtonAccessible(CommandStripWidget* strip, StripButton button) : strip_(strip), button_(button) {}

  bool isValid() const override { return strip_ != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return strip_ ? strip_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(strip_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }

  QString text(QAccessible::Text kind) const override {
    const browse::StripButtonLayout& layout = browse::LayoutOf(button_);
    switch (kind) {
      case QAccessible::Name: return ToQString(layout.caption);
      case QAccessible::Description: return ToQString(browse::JoinToolTip(browse::ToolTipLines(button_)));
      case QAccessible::Accelerator: return Key();
      default: return {};
    }
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!strip_) return {};
    QRect local = strip_->ButtonRect(button_);
    return QRect(strip_->mapToGlobal(local.topLeft()), local.size());
  }

  QAccessible::Role role() const override {
    const browse::StripButtonLayout& layout = browse::LayoutOf(button_);
    if (layout.opensMenuOnly) return QAccessible::ButtonMenu;
    return layout.hasDropDown ? QAccessible::ButtonDropDown : QAccessible::PushButton;
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!strip_) return state;
    const int index = static_cast<int>(button_);
    state.focusable = true;
    state.disabled = !strip_->State().enabled[static_cast<size_t>(index)];
    state.invisible = !browse::IsButtonShown(button_, strip_->Scanning());
    state.hotTracked = strip_->HoveredButton() == index;
    state.focused = strip_->hasFocus() && strip_->FocusedButton() == index;
    state.hasPopup = browse::LayoutOf(button_).hasDropDown;
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }

  QStringList actionNames() const override {
    const browse::StripButtonLayout& layout = browse::LayoutOf(button_);
    QStringList names;
    if (!layout.opensMenuOnly) names << pressAction();
    if (layout.hasDropDown) names << showMenuAction();
    return names;
  }
  void doAction(const QString& name) override {
    if (!strip_) return;
    if (name == pressAction()) strip_->Press(button_, false);
    if (name == showMenuAction()) strip_->Press(button_, true);
  }
  QStringList keyBindingsForAction(const QString& name) const override {
    if (name == pressAction() || (name == showMenuAction() && browse::LayoutOf(button_).opensMenuOnly)) {
      QString key = Key();
      if (!key.isEmpty()) return {key};
    }
    return {};
  }

 private:
  QString Key() const {
    int key = browse::Info(browse::LayoutOf(button_).command).functionKey;
    return key > 0 ? QStringLiteral("F%1").arg(key) : QString();
  }

  QPointer<CommandStripWidget> strip_;
  StripButton button_;
};

class StripAccessible final : public QAccessibleWidget {
 public:
  explicit StripAccessible(CommandStripWidget* strip) : QAccessibleWidget(strip, QAccessible::ToolBar) {}
  ~StripAccessible() override {
    for (QAccessible::Id id : ids_) {
      if (id != 0) QAccessible::deleteAccessibleInterface(id);
    }
  }

  int childCount() const override {
    int count = 0;
    for (const browse::StripButtonLayout& layout : browse::StripButtons()) count += browse::IsButtonShown(layout.button, Strip()->Scanning());
    return count;
  }

  QAccessibleInterface* child(int index) const override {
    int button = ButtonAtChild(index, Strip()->Scanning());
    if (button < 0) return nullptr;
    QAccessible::Id& id = ids_[static_cast<size_t>(button)];
    if (id == 0) id = QAccessible::registerAccessibleInterface(new StripButtonAccessible(Strip(), ButtonOf(button)));
    return QAccessible::accessibleInterface(id);
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < childCount(); ++i) {
      if (this->child(i) == child) return i;
    }
    return -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    QPoint local = Strip()->mapFromGlobal(QPoint(x, y));
    int button = browse::ButtonAt(local.x(), local.y(), Strip()->Scanning());
    return button < 0 ? nullptr : child(AccessibleChildIndex(ButtonOf(button), Strip()->Scanning()));
  }

  QAccessibleInterface* focusChild() const override {
    if (!Strip()->hasFocus()) return nullptr;
    return child(AccessibleChildIndex(ButtonOf(Strip()->FocusedButton()), Strip()->Scanning()));
  }

 private:
  CommandStripWidget* Strip() const { return static_cast<CommandStripWidget*>(widget()); }

  mutable std::array<QAccessible::Id, browse::kStripButtonCount> ids_{};
};

QAccessibleInterface* StripFactory(const QString&, QObject* object) {
  if (auto* strip = qobject_cast<CommandStripWidget*>(object)) return new StripAccessible(strip);
  return nullptr;
}

}  // namespace

void InstallCommandStripAccessibility() {
  static bool installed = false;
  if (!installed) {
    QAccessible::installFactory(StripFactory);
    installed = true;
  }
}

int AccessibleChildIndex(StripButton button, bool scanning) {
  if (!browse::IsButtonShown(button, scanning)) return -1;
  int index = 0;
  for (const browse::StripButtonLayout& layout : browse::StripButtons()) {
    if (layout.button == button) return index;
    index += browse::IsButtonShown(layout.button, scanning);
  }
  return -1;
}

}  // namespace volumist::ui
