#include "ui/dialogs/disk_folder_model.h"

#include "platform/folder_tree.h"
#include "ui/bridge/text.h"
#include "ui/drive_icons.h"

namespace volumist::ui {

DiskFolderModel::DiskFolderModel(platform::FileSystem& fileSystem, std::vector<DriveRow> drives, QObject* parent)
    : QAbstractItemModel(parent), fileSystem_(fileSystem), drives_(std::move(drives)) {
  root_.fetched = true;
  for (const DriveRow& drive : drives_) {
    auto node = std::make_unique<Node>();
    node->path = drive.root;
    node->name = drive.root;
    node->parent = &root_;
    node->row = static_cast<int>(root_.children.size());
    node->drive = &drive;
    root_.children.push_back(std::move(node));
  }
}

DiskFolderModel::~DiskFolderModel() = default;

DiskFolderModel::Node* DiskFolderModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : const_cast<Node*>(&root_);
}

std::string DiskFolderModel::PathOf(const QModelIndex& index) const { return index.isValid() ? NodeOf(index)->path : ""; }

bool DiskFolderModel::IsDriveRoot(const QModelIndex& index) const {
  return index.isValid() && NodeOf(index)->drive != nullptr;
}

QModelIndex DiskFolderModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  Node* node = NodeOf(parent);
  if (row >= static_cast<int>(node->children.size())) return {};
  return createIndex(row, column, node->children[static_cast<size_t>(row)].get());
}

QModelIndex DiskFolderModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  Node* parent = NodeOf(child)->parent;
  if (parent == nullptr || parent == &root_) return {};
  return createIndex(parent->row, 0, parent);
}

int DiskFolderModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return 0;
  return static_cast<int>(NodeOf(parent)->children.size());
}

int DiskFolderModel::columnCount(const QModelIndex&) const { return 1; }

QVariant DiskFolderModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const Node* node = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole: return ToQString(node->name);
    case Qt::ToolTipRole:
      if (node->drive != nullptr) {
        return ToQString(node->drive->displayName + " (" + node->drive->kindName + ")");
      }
      return ToQString(node->path);
    case Qt::DecorationRole: return node->drive != nullptr ? DriveIcon(node->drive->driveType) : FolderIcon();
    default: return {};
  }
}

bool DiskFolderModel::NodeHasChildren(const Node& node) const {
  if (node.fetched) return !node.children.empty();
  if (!node.hasChildren) node.hasChildren = platform::HasChildren(fileSystem_, node.path, false);
  return *node.hasChildren;
}

bool DiskFolderModel::hasChildren(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return false;
  return NodeHasChildren(*NodeOf(parent));
}

bool DiskFolderModel::canFetchMore(const QModelIndex& parent) const {
  if (parent.isValid() && parent.column() != 0) return false;
  return !NodeOf(parent)->fetched;
}

void DiskFolderModel::fetchMore(const QModelIndex& parent) {
  Node* node = NodeOf(parent);
  if (node->fetched) return;
  node->fetched = true;
  platform::FolderChildren children = platform::ListChildren(fileSystem_, node->path, false);
  if (children.folders.empty()) {
    // The expand button goes away.
    node->hasChildren = false;
    emit dataChanged(parent, parent);
    return;
  }
  beginInsertRows(parent, 0, static_cast<int>(children.folders.size()) - 1);
  for (std::string& path : children.folders) {
    auto child = std::make_unique<Node>();
    child->name = platform::BaseNameOf(path);
    child->path = std::move(path);
    child->parent = node;
    child->row = static_cast<int>(node->children.size());
    node->children.push_back(std::move(child));
  }
  endInsertRows();
}

}  // namespace volumist::ui
