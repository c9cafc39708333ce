// DuplicatesModel: the groups of a duplicates search as a two-level tree, read straight from the
// groups without an object per row: a group's row (its caption and size) holds its files' rows
// (path, volume, size, time). Columns: Path, Volume, Size, Modified. GUI thread only.
#pragma once

#include <QAbstractItemModel>
#include <vector>

#include "search/duplicates.h"

namespace volumist::ui {

class DuplicatesModel final : public QAbstractItemModel {
  Q_OBJECT

 public:
  enum Column { kPath = 0, kVolume, kSize, kTime, kColumnCount };

  explicit DuplicatesModel(QObject* parent = nullptr) : QAbstractItemModel(parent) {}

  // Shows `groups` of volumes `volumes` instead of what was shown.
  void SetGroups(std::vector<DuplicateGroup> groups, DuplicateVolumes volumes);
  void Clear() { SetGroups({}, {}); }

  // The file a row shows; null for a group's row or an invalid index.
  const DuplicateMember* MemberAt(const QModelIndex& index) const;
  const DuplicateVolumes& Volumes() const { return volumes_; }
  size_t GroupCount() const { return groups_.size(); }

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  // A file's row keeps its group's number + 1 as internal id; a group's row keeps 0.
  std::vector<DuplicateGroup> groups_;
  DuplicateVolumes volumes_;
};

}  // namespace volumist::ui
