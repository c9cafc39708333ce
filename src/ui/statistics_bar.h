// The statistics bar along the bottom of the main window: the status text (with the elapsed time
// while busy), an activity indicator of 53 positions, and the counts, file size, date and total
// of the volume being read or written.
//
//   | Scanning... (00:12) [  ##     ] | - Folders: 12  - Files: 340  - Archives: 2 | File size: 1.2 MB  Date: ...  total: 4 GB |
#pragma once

#include <QWidget>

#include "browse/window_captions.h"

namespace volumist::ui {

class StatisticsBar final : public QWidget {
  Q_OBJECT

 public:
  explicit StatisticsBar(QWidget* parent = nullptr);

  void SetTexts(const browse::StatisticsTexts& texts);
  const browse::StatisticsTexts& Texts() const { return texts_; }
  // The indicator's position, 0 to 52, or -1 when nothing runs (no indicator).
  void SetActivityStep(int step);
  int ActivityStep() const { return step_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  browse::StatisticsTexts texts_;
  int step_ = -1;
};

}  // namespace volumist::ui
