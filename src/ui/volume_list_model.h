// The volume list as a flat item model over the core's VolumeList: one row per entry, in the list's
// arrangement, showing the volume name with the volume icon. The model does not own the entries;
// call Reload after every change of the list (refresh, arrange, rename, delete).
#pragma once

#include <QAbstractListModel>

#include "catalog/volume_list.h"

namespace volumist::ui {

class VolumeListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Role { kFilePathRole = Qt::UserRole + 1 };

  // `list` must outlive the model.
  explicit VolumeListModel(const VolumeList& list, QObject* parent = nullptr);

  void Reload();
  // The row of the entry whose file is `path`, or -1.
  int RowOfPath(const std::string& path) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  const VolumeList& list_;
  int rows_ = 0;
};

}  // namespace volumist::ui
