// The command strip: a painted row of eleven buttons at the fixed positions of browse/command_strip.h.
// It shows the actions of the ActionRegistry (their enabled state is the buttons' state) and forwards
// clicks: the body runs the button's action, the drop-down zone opens the button's menu at its left
// edge below the strip. The pointer's button is highlighted. Keyboard: Left and Right move between
// buttons, Space or Enter runs one, Down opens its menu. Screen readers see each button as a child
// (see command_strip_accessible.h).
//
//   +--------+ +-----+-----+ +--------+-+
//   |  icon  | | icn | icn | |  icon  |v|
//   |Volumes | |Apply|Undo | | New... | |
//   +--------+ +-----+-----+ +--------+-+
#pragma once

#include <QWidget>

#include "browse/command_strip.h"
#include "ui/action_registry.h"

namespace volumist::ui {

class CommandStripWidget final : public QWidget {
  Q_OBJECT

 public:
  CommandStripWidget(ActionRegistry& actions, QWidget* parent = nullptr);

  void SetScanning(bool scanning);
  bool Scanning() const { return scanning_; }
  void SetToolTipsShown(bool shown) { toolTipsShown_ = shown; }
  bool ToolTipsShown() const { return toolTipsShown_; }
  // The tooltip the button would show now (empty with tooltips off).
  QString ToolTipFor(browse::StripButton button) const;

  int HoveredButton() const { return hovered_; }
  int FocusedButton() const { return focused_; }
  browse::StripState State() const { return actions_.StripState(scanning_); }
  // The button's rectangle in the strip's coordinates.
  QRect ButtonRect(browse::StripButton button) const;

  // What a click on the button does: its action, or its menu when `dropDown` (or when it only has a
  // menu). Used by the mouse, the keyboard and the accessibility interface alike.
  void Press(browse::StripButton button, bool dropDown);
  // Opens the button's menu at its left edge below the strip, without waiting for it to close.
  void OpenMenu(browse::StripButton button);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 signals:
  void MenuOpened(browse::StripButton button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void SetHovered(int button);
  void MoveFocus(int direction);
  void PaintButton(QPainter& painter, const browse::StripButtonLayout& layout, bool enabled);

  ActionRegistry& actions_;
  bool scanning_ = false;
  bool toolTipsShown_ = true;
  int hovered_ = -1;
  int pressed_ = -1;
  int focused_ = 0;
};

}  // namespace volumist::ui
