#include "ui/tray.h"

#include <QTimer>

#include "browse/window_captions.h"
#include "ui/bridge/text.h"
#include "ui/icons.h"

namespace volumist::ui {

TrayController::TrayController(QWidget& window, std::function<bool()> available)
    : QObject(&window), window_(window), available_(std::move(available)) {}

TrayController::~TrayController() = default;

bool TrayController::Minimised() {
  if (inTray_ || !available_ || !available_()) return false;
  if (!icon_) {
    menu_ = std::make_unique<QMenu>();
    menu_->addAction(QLatin1String(browse::text::kRestoreWindow), this, &TrayController::Restore);
    icon_ = std::make_unique<QSystemTrayIcon>(ProgramIcon());
    icon_->setContextMenu(menu_.get());
    connect(icon_.get(), &QSystemTrayIcon::activated, this, &TrayController::OnActivated);
  }
  icon_->setToolTip(ToQString(browse::WindowTitle()));
  wasMaximised_ = window_.windowState().testFlag(Qt::WindowMaximized);
  inTray_ = true;
  icon_->show();
  // Hiding from inside the state change would be undone by the window system's own handling of it.
  QTimer::singleShot(0, &window_, [this] {
    if (inTray_) window_.hide();
  });
  return true;
}

void TrayController::Restore() {
  if (!inTray_) return;
  inTray_ = false;
  if (icon_) icon_->hide();
  window_.setWindowState((window_.windowState() & ~Qt::WindowMinimized) |
                         (wasMaximised_ ? Qt::WindowMaximized : Qt::WindowNoState));
  window_.show();
  window_.raise();
  window_.activateWindow();
}

void TrayController::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) Restore();
}

}  // namespace volumist::ui
