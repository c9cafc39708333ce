// PieChart: the pie of a medium's space in the properties dialog, drawn from a browse::MediaPie. The
// wedges start at twelve o'clock and follow each other counter-clockwise; a wedge wider than 25
// degrees carries its share; the legend lists every slice (the total too) with its colour. Without a
// pie (a total of 0, no source) the control shows nothing. Screen readers see the slices as its
// children (pie_chart_accessible.h).
//
//     .-""-.      [#] Total: 4.00 GB
//    / 75%  \     [#] Used:  3.00 GB
//   |   .----|    [#] Free:  1.00 GB
//    \  |25%/
//     '-'--'
#pragma once

#include <QRect>
#include <QWidget>
#include <optional>

#include "browse/media_pie.h"

namespace volumist::ui {

class PieChart final : public QWidget {
  Q_OBJECT

 public:
  // Where the first wedge starts, in degrees counter-clockwise from three o'clock.
  static constexpr int kStartAngle = 90;

  explicit PieChart(QWidget* parent = nullptr);

  void SetPie(std::optional<browse::MediaPie> pie);
  const std::optional<browse::MediaPie>& Pie() const { return pie_; }

  // The circle, and the legend row of slice `index`, in the widget's coordinates.
  QRect PieRect() const;
  QRect LegendRowRect(int index) const;

  QSize sizeHint() const override { return {320, 150}; }
  QSize minimumSizeHint() const override { return {220, 100}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<browse::MediaPie> pie_;
};

}  // namespace volumist::ui
