#include "ui/tile_view_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>

#include "ui/item_list_model.h"
#include "ui/tile_view.h"

namespace volumist::ui {
namespace {

class TileAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  TileAccessible(TileView* view, int row) : view_(view), row_(row) {}

  bool isValid() const override { return view_ != nullptr && Index().isValid(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }

  QString text(QAccessible::Text kind) const override {
    QModelIndex index = Index();
    if (!index.isValid()) return {};
    switch (kind) {
      case QAccessible::Name: return index.data(ItemListModel::kRowNameRole).toString();
      case QAccessible::Description: {
        QStringList parts;
        for (int role : {ItemListModel::kImageSizeTextRole, ItemListModel::kImageColorsTextRole}) {
          QString part = index.data(role).toString();
          if (!part.isEmpty()) parts << part;
        }
        return parts.join(QStringLiteral(", "));
      }
      default: return {};
    }
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!view_) return {};
    QRect local = view_->visualRect(Index());
    return QRect(view_->viewport()->mapToGlobal(local.topLeft()), local.size());
  }
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!view_) return state;
    QModelIndex index = Index();
    state.selectable = true;
    state.focusable = true;
    state.selected = view_->selectionModel() && view_->selectionModel()->isSelected(index);
    state.focused = view_->hasFocus() && view_->currentIndex() == index;
    QRect visible = view_->viewport()->rect();
    state.offscreen = !visible.intersects(view_->visualRect(index));
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (!view_ || name != pressAction() || !view_->selectionModel()) return;
    view_->selectionModel()->setCurrentIndex(Index(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_->scrollTo(Index());
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QModelIndex Index() const { return view_ && view_->model() ? view_->model()->index(row_, 0) : QModelIndex(); }

  QPointer<TileView> view_;
  int row_;
};

class TileViewAccessible final : public QAccessibleWidget {
 public:
  explicit TileViewAccessible(TileView* view) : QAccessibleWidget(view, QAccessible::List) {}
  ~TileViewAccessible() override { Forget(); }

  int childCount() const override { return View()->model() ? View()->model()->rowCount() : 0; }

  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    // Tiles stand for rows by position: a new list or order makes new ones.
    if (generation_ != View()->Generation()) {
      Forget();
      generation_ = View()->Generation();
    }
    QAccessible::Id& id = ids_[index];
    if (id == 0) id = QAccessible::registerAccessibleInterface(new TileAccessible(View(), index));
    return QAccessible::accessibleInterface(id);
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    for (auto it = ids_.constBegin(); it != ids_.constEnd(); ++it) {
      if (QAccessible::accessibleInterface(it.value()) == child) return it.key();
    }
    return -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    QModelIndex index = View()->indexAt(View()->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(index.row()) : nullptr;
  }

  QAccessibleInterface* focusChild() const override {
    QModelIndex current = View()->currentIndex();
    return View()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
  }

 private:
  TileView* View() const { return static_cast<TileView*>(widget()); }
  void Forget() const {
    for (QAccessible::Id id : ids_) QAccessible::deleteAccessibleInterface(id);
    ids_.clear();
  }

  mutable QHash<int, QAccessible::Id> ids_;
  mutable quint64 generation_ = 0;
};

QAccessibleInterface* TileFactory(const QString&, QObject* object) {
  if (auto* view = qobject_cast<TileView*>(object)) return new TileViewAccessible(view);
  return nullptr;
}

}  // namespace

void InstallTileViewAccessibility() {
  static bool installed = false;
  if (!installed) {
    QAccessible::installFactory(TileFactory);
    installed = true;
  }
}

}  // namespace volumist::ui
