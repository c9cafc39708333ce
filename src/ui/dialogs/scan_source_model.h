// The list of scan sources shown by the multiple-sources page and the tree dialog: two columns,
// "Name in catalog" (edited in place) and "Full path", over a copy of a job's sources. Removing
// follows browse::RemoveSources.
#pragma once

#include <QAbstractTableModel>
#include <optional>
#include <span>
#include <vector>

#include "catalog/scan_job.h"

namespace volumist::ui {

class ScanSourceModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kNameColumn = 0, kPathColumn = 1, kColumnCount = 2 };

  explicit ScanSourceModel(QObject* parent = nullptr);

  void SetSources(std::vector<ScanSource> sources);
  const std::vector<ScanSource>& Sources() const { return sources_; }
  void Append(ScanSource source);
  // Removes the sources in `rows`; returns the row to select afterwards (none when the list is empty).
  std::optional<int> Remove(std::span<const int> rows);
  void Clear();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // A new name in the name column. Names that are empty or longer than a catalog name (255 bytes)
  // are refused and the old one stays.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  std::vector<ScanSource> sources_;
};

}  // namespace volumist::ui
