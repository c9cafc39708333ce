// The volume list as a flat item model over the core's VolumeList: one row per entry, in the list's
// arrangement, showing the volume name with the volume icon, marked by whether the volume's disks
// are mounted now (SetPresence). The model does not own the entries; call Reload after every change
// of the list (refresh, arrange, rename, delete).
#pragma once

#include <QAbstractListModel>
#include <optional>
#include <string>
#include <unordered_map>

#include "catalog/volume_list.h"
#include "scan/volume_presence.h"

namespace volumist::ui {

class VolumeListModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Role {
    kFilePathRole = Qt::UserRole + 1,
    kPresenceRole,  // "Present", "Absent", "Partly present", or nothing while not known
  };

  // `list` must outlive the model.
  explicit VolumeListModel(const VolumeList& list, QObject* parent = nullptr);

  void Reload();
  // The row of the entry whose file is `path`, or -1.
  int RowOfPath(const std::string& path) const;
  // The presence of each volume file's media (by file path); files not in the map show no mark.
  void SetPresence(std::unordered_map<std::string, VolumePresence> presence);
  std::optional<VolumePresence> PresenceOf(const std::string& filePath) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  const VolumeList& list_;
  int rows_ = 0;
  std::unordered_map<std::string, VolumePresence> presence_;
};

}  // namespace volumist::ui
