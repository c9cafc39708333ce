#include "ui/pie_chart.h"

#include <QAccessible>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "ui/bridge/text.h"
#include "ui/pie_chart_accessible.h"

namespace volumist::ui {
namespace {

QColor ColourOf(const browse::PieColour& colour) { return QColor(colour.red, colour.green, colour.blue); }

constexpr int kMargin = 8;
constexpr int kLegendGap = 16;
constexpr int kBox = 12;

}  // namespace

PieChart::PieChart(QWidget* parent) : QWidget(parent) {
  InstallPieChartAccessibility();
  setAccessibleName(QStringLiteral("Disk space"));
  setCursor(Qt::CrossCursor);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PieChart::SetPie(std::optional<browse::MediaPie> pie) {
  pie_ = std::move(pie);
  // The slices are the chart's accessible children: tell assistive tools the set changed.
  QAccessibleEvent changed(this, QAccessible::ObjectReorder);
  QAccessible::updateAccessibility(&changed);
  update();
}

QRect PieChart::PieRect() const {
  int side = std::max(0, std::min(height() - 2 * kMargin, width() / 2 - kMargin));
  return QRect(kMargin, (height() - side) / 2, side, side);
}

QRect PieChart::LegendRowRect(int index) const {
  int rowHeight = std::max(fontMetrics().height(), kBox) + 6;
  int rows = pie_ ? static_cast<int>(pie_->slices.size()) : 0;
  int left = PieRect().right() + kLegendGap;
  int top = (height() - rows * rowHeight) / 2 + index * rowHeight;
  return QRect(left, top, std::max(0, width() - left - kMargin), rowHeight);
}

void PieChart::paintEvent(QPaintEvent*) {
  if (!pie_) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRect circle = PieRect();
  const QColor outline = palette().color(QPalette::Mid);
  std::vector<browse::PieWedge> wedges = browse::PieWedges(*pie_, kStartAngle);

  // Wedges, then their shares on top, so no wedge covers another's text.
  painter.setPen(QPen(outline, 1));
  for (size_t i = 0; i < wedges.size(); ++i) {
    if (wedges[i].spanAngle <= 0) continue;
    painter.setBrush(ColourOf(pie_->slices[i].fill));
    if (wedges[i].spanAngle >= 360) {
      painter.drawEllipse(circle);
    } else {
      painter.drawPie(circle, wedges[i].startAngle * 16, wedges[i].spanAngle * 16);
    }
  }
  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  const QPointF centre = QRectF(circle).center();
  const double radius = circle.width() / 2.0 * 0.6;
  for (size_t i = 0; i < wedges.size(); ++i) {
    if (!wedges[i].share || wedges[i].spanAngle <= 0) continue;
    // A whole circle carries its share in the middle.
    QPointF at = centre;
    if (wedges[i].spanAngle < 360) {
      double radians = wedges[i].middleAngle * std::numbers::pi / 180.0;
      at += QPointF(radius * std::cos(radians), -radius * std::sin(radians));
    }
    QString share = ToQString(*wedges[i].share);
    QRectF box(at.x() - 40, at.y() - 12, 80, 24);
    // The slices' text colour is white; a dark shadow keeps it readable on the light wedge.
    painter.setPen(QColor(0, 0, 0, 190));
    for (QPointF offset : {QPointF(1, 1), QPointF(-1, 1), QPointF(1, -1), QPointF(-1, -1)}) {
      painter.drawText(box.translated(offset), Qt::AlignCenter, share);
    }
    painter.setPen(ColourOf(pie_->slices[i].text));
    painter.drawText(box, Qt::AlignCenter, share);
  }

  painter.setFont(font());
  for (size_t i = 0; i < pie_->slices.size(); ++i) {
    QRect row = LegendRowRect(static_cast<int>(i));
    QRect box(row.left(), row.center().y() - kBox / 2, kBox, kBox);
    painter.setPen(QPen(outline, 1));
    painter.setBrush(ColourOf(pie_->slices[i].fill));
    painter.drawRect(box);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(row.adjusted(kBox + 8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     ToQString(pie_->slices[i].label));
  }
}

}  // namespace volumist::ui
