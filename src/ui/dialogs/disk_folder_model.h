// The folder tree of the tree dialog ("Advanced Scan"): the drive roots at the top, the sub-folders
// below them read on demand (platform/folder_tree.h). A folder is listed only when the view expands
// it (canFetchMore / fetchMore), and whether it has anything to expand is asked only when the view
// wants to draw its expand button, then kept. Symbolic links to folders count as files, so the tree
// never loops. Used on the GUI thread.
#pragma once

#include <QAbstractItemModel>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "scan/drive_info.h"

namespace volumist::ui {

class DiskFolderModel final : public QAbstractItemModel {
  Q_OBJECT

 public:
  // `fileSystem` must outlive the model; `drives` are the top nodes, in their order.
  DiskFolderModel(platform::FileSystem& fileSystem, std::vector<DriveRow> drives, QObject* parent = nullptr);
  ~DiskFolderModel() override;

  // The full path of a node, and whether it is a drive root (a top node).
  std::string PathOf(const QModelIndex& index) const;
  bool IsDriveRoot(const QModelIndex& index) const;
  const std::vector<DriveRow>& Drives() const { return drives_; }

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  struct Node {
    std::string path;
    std::string name;
    Node* parent = nullptr;
    int row = 0;
    const DriveRow* drive = nullptr;  // top nodes
    bool fetched = false;
    mutable std::optional<bool> hasChildren;
    std::vector<std::unique_ptr<Node>> children;
  };

  Node* NodeOf(const QModelIndex& index) const;
  bool NodeHasChildren(const Node& node) const;

  platform::FileSystem& fileSystem_;
  std::vector<DriveRow> drives_;
  Node root_;
};

}  // namespace volumist::ui
