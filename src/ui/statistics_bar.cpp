#include "ui/statistics_bar.h"

#include <QAccessible>
#include <QPainter>

#include "ui/bridge/text.h"

namespace volumist::ui {
namespace {

constexpr int kIndicatorWidth = 106;  // two pixels per position
constexpr int kPadding = 6;

}  // namespace

StatisticsBar::StatisticsBar(QWidget* parent) : QWidget(parent) {
  setAccessibleName(QStringLiteral("Statistics bar"));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize StatisticsBar::sizeHint() const { return {600, fontMetrics().height() + 10}; }

void StatisticsBar::SetTexts(const browse::StatisticsTexts& texts) {
  if (texts == texts_) return;
  texts_ = texts;
  QString description = ToQString(texts_.status);
  auto add = [&](const char* label, const std::string& value) {
    if (!value.empty()) description += QStringLiteral("  %1 %2").arg(QLatin1String(label), ToQString(value));
  };
  add(browse::text::kFoldersLabel, texts_.folders);
  add(browse::text::kFilesLabel, texts_.files);
  add(browse::text::kArchivesLabel, texts_.archives);
  add(browse::text::kFileSizeLabel, texts_.fileSize);
  add(browse::text::kDateLabel, texts_.date);
  add(browse::text::kTotalLabel, texts_.total);
  setAccessibleDescription(description);
  update();
}

void StatisticsBar::SetActivityStep(int step) {
  if (step == step_) return;
  step_ = step;
  update();
}

void StatisticsBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& pal = palette();
  painter.fillRect(rect(), pal.color(QPalette::Window));
  painter.setPen(pal.color(QPalette::Mid));
  painter.drawLine(0, 0, width(), 0);

  const QFontMetrics metrics = fontMetrics();
  const int baseline = (height() + metrics.ascent() - metrics.descent()) / 2;
  int x = kPadding;
  auto field = [&](const QString& label, const QString& value, bool bold) {
    if (!label.isEmpty()) {
      painter.setPen(pal.color(QPalette::PlaceholderText));
      painter.drawText(x, baseline, label);
      x += metrics.horizontalAdvance(label) + 4;
    }
    QFont font = painter.font();
    font.setBold(bold);
    painter.setFont(font);
    painter.setPen(pal.color(QPalette::WindowText));
    painter.drawText(x, baseline, value);
    x += QFontMetrics(font).horizontalAdvance(value) + 14;
    font.setBold(false);
    painter.setFont(font);
  };
  auto separator = [&] {
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(x - 7, 4, x - 7, height() - 4);
  };

  QString status = ToQString(texts_.status);
  field({}, status, false);
  x = std::max(x, kPadding + metrics.horizontalAdvance(QStringLiteral("Scanning... (00:00)")) + 14);
  if (step_ >= 0) {
    // The activity indicator: a short block that runs along a track and starts again at its left.
    QRect track(x, (height() - 8) / 2, kIndicatorWidth, 8);
    painter.setPen(pal.color(QPalette::Mid));
    painter.setBrush(pal.color(QPalette::Base));
    painter.drawRoundedRect(track, 3, 3);
    painter.setPen(Qt::NoPen);
    painter.setBrush(pal.color(QPalette::Highlight));
    int block = 16;
    int left = track.left() + 1 + step_ * (kIndicatorWidth - block - 2) / (browse::kActivitySteps - 1);
    painter.drawRoundedRect(QRect(left, track.top() + 1, block, track.height() - 2), 2, 2);
    x += kIndicatorWidth + 14;
  }
  separator();
  if (!texts_.folders.empty() || !texts_.files.empty()) {
    field(QLatin1String(browse::text::kFoldersLabel), ToQString(texts_.folders), true);
    field(QLatin1String(browse::text::kFilesLabel), ToQString(texts_.files), true);
    field(QLatin1String(browse::text::kArchivesLabel), ToQString(texts_.archives), true);
    separator();
  }
  if (!texts_.fileSize.empty()) {
    field(QLatin1String(browse::text::kFileSizeLabel), ToQString(texts_.fileSize), false);
    field(QLatin1String(browse::text::kDateLabel), ToQString(texts_.date), false);
    field(QLatin1String(browse::text::kTotalLabel), ToQString(texts_.total), false);
  }
}

}  // namespace volumist::ui
