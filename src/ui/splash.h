// The splash window shown at start when the settings ask for it; it closes itself after 2,900 ms or
// on a click, and never holds up the start.
#pragma once

#include <QTimer>
#include <QWidget>

namespace volumist::ui {

class SplashWindow final : public QWidget {
  Q_OBJECT

 public:
  explicit SplashWindow(QWidget* parent = nullptr);
  QTimer* Timer() { return &timer_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QTimer timer_;
};

}  // namespace volumist::ui
