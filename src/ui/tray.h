// Minimising to the notification area. When the desktop has one, minimising hides the window and
// shows the program's icon there (its tip is the window title); a click or a double click on the
// icon, or "Restore" in its menu, shows the window again and removes the icon. Without one the
// window minimises as any other.
#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>
#include <memory>

namespace volumist::ui {

class TrayController final : public QObject {
  Q_OBJECT

 public:
  // `available` tells whether the desktop has a notification area now.
  TrayController(QWidget& window, std::function<bool()> available);
  ~TrayController() override;

  // Called when the window was minimised. True when it went to the notification area (the window is
  // then hidden); false when it stays an ordinary minimised window.
  bool Minimised();
  // Shows the window again as it was before it was minimised and removes the icon.
  void Restore();
  bool InTray() const { return inTray_; }
  QSystemTrayIcon* Icon() const { return icon_.get(); }
  QMenu* Menu() const { return menu_.get(); }

 private:
  void OnActivated(QSystemTrayIcon::ActivationReason reason);

  QWidget& window_;
  std::function<bool()> available_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QSystemTrayIcon> icon_;
  bool inTray_ = false;
  bool wasMaximised_ = false;
};

}  // namespace volumist::ui
