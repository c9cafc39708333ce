#include "ui/command_strip_widget.h"

#include <algorithm>
#include <vector>

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include "ui/bridge/text.h"
#include "ui/command_strip_accessible.h"
#include "ui/icons.h"

namespace volumist::ui {

using browse::StripButton;
using browse::StripButtonLayout;

namespace {

constexpr int kIconSize = 20;

StripButton ButtonOf(int index) { return static_cast<StripButton>(index); }

}  // namespace

CommandStripWidget::CommandStripWidget(ActionRegistry& actions, QWidget* parent) : QWidget(parent), actions_(actions) {
  InstallCommandStripAccessibility();
  setMouseTracking(true);
  setFocusPolicy(Qt::TabFocus);
  setAttribute(Qt::WA_Hover);
  setAccessibleName(QStringLiteral("Commands"));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  // Every change of an action's state shows at once.
  for (const StripButtonLayout& layout : browse::StripButtons()) {
    connect(actions_.Action(layout.command), &QAction::changed, this, qOverload<>(&QWidget::update));
  }
}

QSize CommandStripWidget::sizeHint() const { return {browse::kStripWidth + 8, browse::kStripBottom + 1}; }

QRect CommandStripWidget::ButtonRect(StripButton button) const {
  const StripButtonLayout& layout = browse::LayoutOf(button);
  return {layout.left, browse::kStripTop, layout.width, browse::kStripHeight};
}

void CommandStripWidget::SetScanning(bool scanning) {
  if (scanning_ == scanning) return;
  scanning_ = scanning;
  if (!browse::IsButtonShown(ButtonOf(focused_), scanning_)) {
    focused_ = static_cast<int>(scanning_ ? StripButton::kStop : StripButton::kNew);
  }
  SetHovered(-1);
  update();
  QAccessibleEvent event(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

QString CommandStripWidget::ToolTipFor(StripButton button) const {
  if (!toolTipsShown_) return {};
  return PlainToolTip(browse::JoinToolTip(browse::ToolTipLines(button)));
}

void CommandStripWidget::Press(StripButton button, bool dropDown) {
  if (!browse::IsButtonShown(button, scanning_)) return;
  const StripButtonLayout& layout = browse::LayoutOf(button);
  QAction* action = actions_.Action(layout.command);
  if (!action->isEnabled()) return;
  if ((dropDown && layout.hasDropDown) || layout.opensMenuOnly) {
    OpenMenu(button);
  } else {
    action->trigger();
  }
}

void CommandStripWidget::OpenMenu(StripButton button) {
  QMenu* menu = actions_.Menu(button);
  if (menu == nullptr || !actions_.Action(browse::LayoutOf(button).command)->isEnabled()) return;
  browse::StripPoint at = browse::MenuPosition(button);
  menu->popup(mapToGlobal(QPoint(at.x, at.y)));
  emit MenuOpened(button);
}

void CommandStripWidget::SetHovered(int button) {
  if (hovered_ == button) return;
  hovered_ = button;
  update();
}

void CommandStripWidget::mouseMoveEvent(QMouseEvent* event) {
  QPoint at = event->position().toPoint();
  SetHovered(browse::HoverButton(at.x(), at.y(), State()));
}

void CommandStripWidget::leaveEvent(QEvent*) { SetHovered(-1); }

void CommandStripWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  QPoint at = event->position().toPoint();
  browse::StripHit hit = browse::HitTest(at.x(), at.y(), State());
  if (hit.kind == browse::StripHit::Kind::kMenu) {
    OpenMenu(ButtonOf(hit.button));
    return;
  }
  pressed_ = hit.kind == browse::StripHit::Kind::kCommand ? hit.button : -1;
  update();
}

void CommandStripWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || pressed_ < 0) return;
  int pressed = pressed_;
  pressed_ = -1;
  update();
  QPoint at = event->position().toPoint();
  browse::StripHit hit = browse::HitTest(at.x(), at.y(), State());
  // A click counts when the button is released over the button it was pressed on.
  if (hit.kind == browse::StripHit::Kind::kCommand && hit.button == pressed) {
    actions_.Action(hit.command)->trigger();
  }
}

void CommandStripWidget::MoveFocus(int direction) {
  // The shown buttons in their order on the strip ("Stop" stands where "New..." is).
  std::vector<int> order;
  for (const StripButtonLayout& layout : browse::StripButtons()) {
    if (browse::IsButtonShown(layout.button, scanning_)) order.push_back(static_cast<int>(layout.button));
  }
  std::sort(order.begin(), order.end(),
            [](int a, int b) { return browse::LayoutOf(ButtonOf(a)).left < browse::LayoutOf(ButtonOf(b)).left; });
  auto at = std::find(order.begin(), order.end(), focused_);
  int position = at == order.end() ? 0 : static_cast<int>(at - order.begin());
  int count = static_cast<int>(order.size());
  focused_ = order[static_cast<size_t>((position + direction + count) % count)];
  update();
  QAccessibleEvent focus(this, QAccessible::Focus);
  focus.setChild(AccessibleChildIndex(ButtonOf(focused_), scanning_));
  QAccessible::updateAccessibility(&focus);
}

void CommandStripWidget::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left: MoveFocus(-1); return;
    case Qt::Key_Right: MoveFocus(1); return;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: Press(ButtonOf(focused_), false); return;
    case Qt::Key_Down: Press(ButtonOf(focused_), true); return;
    default: QWidget::keyPressEvent(event);
  }
}

void CommandStripWidget::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void CommandStripWidget::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

bool CommandStripWidget::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    int button = browse::ButtonAt(help->pos().x(), help->pos().y(), scanning_);
    QString tip = button >= 0 ? ToolTipFor(ButtonOf(button)) : QString();
    if (tip.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), tip, this, ButtonRect(ButtonOf(button)));
    }
    return true;
  }
  return QWidget::event(event);
}

void CommandStripWidget::PaintButton(QPainter& painter, const StripButtonLayout& layout, bool enabled) {
  const int index = static_cast<int>(layout.button);
  QRectF box = QRectF(ButtonRect(layout.button)).adjusted(0.5, 0.5, -0.5, -0.5);
  const QPalette& pal = palette();
  QColor accent = pal.color(QPalette::Highlight);
  if (enabled && (index == hovered_ || index == pressed_)) {
    QColor fill = accent;
    fill.setAlpha(index == pressed_ ? 90 : 45);
    QColor line = accent;
    line.setAlpha(160);
    painter.setPen(QPen(line, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 4, 4);
    if (layout.hasDropDown && !layout.opensMenuOnly) {
      double x = layout.left + layout.width - browse::kDropDownWidth + 0.5;
      painter.drawLine(QPointF(x, box.top() + 3), QPointF(x, box.bottom() - 3));
    }
  }
  QAction* action = actions_.Action(layout.command);
  const int bodyWidth = layout.hasDropDown && !layout.opensMenuOnly ? layout.width - browse::kDropDownWidth : layout.width;
  QRect iconRect(layout.left + (bodyWidth - kIconSize) / 2, browse::kStripTop + 4, kIconSize, kIconSize);
  if (layout.hasDropDown && layout.opensMenuOnly) iconRect.moveLeft(layout.left + (layout.width - browse::kDropDownWidth - kIconSize) / 2 + 3);
  action->icon().paint(&painter, iconRect, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);

  QColor textColour = pal.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
  if (layout.hasDropDown) {
    // A small arrow marks the drop-down zone.
    double cx = layout.left + layout.width - browse::kDropDownWidth / 2.0;
    double cy = browse::kStripTop + 14;
    QPainterPath arrow;
    arrow.moveTo(cx - 3.5, cy - 1.5);
    arrow.lineTo(cx + 3.5, cy - 1.5);
    arrow.lineTo(cx, cy + 2.5);
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(textColour);
    painter.drawPath(arrow);
  }
  painter.setPen(textColour);
  QRect textRect(layout.left, browse::kStripTop + 26, layout.width, 16);
  QString caption = painter.fontMetrics().elidedText(ToQString(layout.caption), Qt::ElideRight, layout.width);
  painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignVCenter, caption);

  if (hasFocus() && index == focused_) {
    QPen focus(pal.color(QPalette::Highlight), 1, Qt::DotLine);
    painter.setPen(focus);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box.adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
  }
}

void CommandStripWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& pal = palette();
  QLinearGradient background(0, 0, 0, height());
  background.setColorAt(0, pal.color(QPalette::Window).lighter(106));
  background.setColorAt(1, pal.color(QPalette::Window).darker(103));
  painter.fillRect(rect(), background);
  painter.setPen(pal.color(QPalette::Mid));
  painter.drawLine(0, height() - 1, width(), height() - 1);

  QFont font = painter.font();
  font.setPixelSize(11);
  painter.setFont(font);
  browse::StripState state = State();
  for (const StripButtonLayout& layout : browse::StripButtons()) {
    if (!browse::IsButtonShown(layout.button, scanning_)) continue;
    PaintButton(painter, layout, state.enabled[static_cast<size_t>(layout.button)]);
  }
}

}  // namespace volumist::ui
