#include "ui/splash.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

#include "browse/window_captions.h"
#include "ui/bridge/text.h"
#include "ui/icons.h"

namespace volumist::ui {

SplashWindow::SplashWindow(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAccessibleName(QStringLiteral("Zarn Volumist"));
  resize(420, 220);
  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
  timer_.setSingleShot(true);
  timer_.setInterval(browse::kSplashMilliseconds);
  connect(&timer_, &QTimer::timeout, this, &QWidget::close);
}

void SplashWindow::mousePressEvent(QMouseEvent*) { close(); }

void SplashWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient background(0, 0, 0, height());
  background.setColorAt(0, QColor(0x3f, 0x7f, 0xd0));
  background.setColorAt(1, QColor(0x1d, 0x4a, 0x88));
  painter.fillRect(rect(), background);
  ProgramIcon().paint(&painter, QRect(28, 52, 96, 96));
  painter.setPen(Qt::white);
  QFont title = font();
  title.setPixelSize(28);
  title.setBold(true);
  painter.setFont(title);
  painter.drawText(QRect(140, 62, width() - 150, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Zarn Volumist"));
  QFont small = font();
  small.setPixelSize(14);
  painter.setFont(small);
  painter.drawText(QRect(140, 104, width() - 150, 24), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1.%2 %3").arg(browse::kVersionMajor).arg(browse::kVersionMinor).arg(QLatin1String(browse::kReleaseKind)));
  painter.drawText(QRect(140, 128, width() - 150, 24), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("A cataloguer of disks and folders"));
}

}  // namespace volumist::ui
