#include "ui/pie_chart_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include "ui/bridge/text.h"
#include "ui/pie_chart.h"

namespace volumist::ui {
namespace {

class PieSliceAccessible final : public QAccessibleInterface {
 public:
  PieSliceAccessible(PieChart* chart, int index) : chart_(chart), index_(index) {}

  bool isValid() const override { return Slice() != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return chart_ ? chart_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(chart_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }

  QString text(QAccessible::Text kind) const override {
    const browse::PieSlice* slice = Slice();
    if (slice == nullptr) return {};
    switch (kind) {
      case QAccessible::Name: return ToQString(slice->label);
      case QAccessible::Description: {
        if (index_ == 0) return QStringLiteral("the whole disk");
        std::optional<std::string> share = browse::PieShareText(slice->angle);
        QString text = QStringLiteral("%1 degrees").arg(slice->angle);
        return share ? ToQString(*share) + QStringLiteral(" of the disk, ") + text : text;
      }
      default: return {};
    }
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!chart_) return {};
    QRect local = chart_->LegendRowRect(index_);
    return QRect(chart_->mapToGlobal(local.topLeft()), local.size());
  }

  QAccessible::Role role() const override { return QAccessible::ListItem; }

  QAccessible::State state() const override {
    QAccessible::State state;
    state.readOnly = true;
    state.invisible = chart_ == nullptr || !chart_->isVisible();
    return state;
  }

 private:
  const browse::PieSlice* Slice() const {
    if (!chart_ || !chart_->Pie() || index_ < 0 || index_ >= static_cast<int>(chart_->Pie()->slices.size())) {
      return nullptr;
    }
    return &chart_->Pie()->slices[static_cast<size_t>(index_)];
  }

  QPointer<PieChart> chart_;
  int index_;
};

class PieChartAccessible final : public QAccessibleWidget {
 public:
  explicit PieChartAccessible(PieChart* chart) : QAccessibleWidget(chart, QAccessible::Chart) {}
  ~PieChartAccessible() override {
    for (QAccessible::Id id : ids_) QAccessible::deleteAccessibleInterface(id);
  }

  int childCount() const override { return Chart()->Pie() ? static_cast<int>(Chart()->Pie()->slices.size()) : 0; }

  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    while (static_cast<int>(ids_.size()) <= index) {
      ids_.push_back(QAccessible::registerAccessibleInterface(
          new PieSliceAccessible(Chart(), static_cast<int>(ids_.size()))));
    }
    return QAccessible::accessibleInterface(ids_[static_cast<size_t>(index)]);
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < childCount(); ++i) {
      if (this->child(i) == child) return i;
    }
    return -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    QPoint local = Chart()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < childCount(); ++i) {
      if (Chart()->LegendRowRect(i).contains(local)) return child(i);
    }
    return nullptr;
  }

 private:
  PieChart* Chart() const { return static_cast<PieChart*>(widget()); }

  mutable std::vector<QAccessible::Id> ids_;
};

QAccessibleInterface* PieFactory(const QString&, QObject* object) {
  if (auto* chart = qobject_cast<PieChart*>(object)) return new PieChartAccessible(chart);
  return nullptr;
}

}  // namespace

void InstallPieChartAccessibility() {
  static bool installed = false;
  if (!installed) {
    QAccessible::installFactory(PieFactory);
    installed = true;
  }
}

}  // namespace volumist::ui
