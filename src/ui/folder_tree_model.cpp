#include "ui/folder_tree_model.h"

#include "browse/folder_listing.h"
#include "ui/bridge/text.h"
#include "ui/icons.h"

namespace volumist::ui {

using browse::ItemRow;
using browse::RowKind;

FolderTreeModel::FolderTreeModel(QObject* parent) : QAbstractItemModel(parent) {
  volumeIcon_ = VolumeIcon();
  folderIcon_ = ItemKindIcon(RowKind::kFolder);
  sourceIcon_ = ItemKindIcon(RowKind::kSourceRoot);
  archiveIcon_ = ItemKindIcon(RowKind::kArchive);
}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::SetVolume(VolumeCatalog* volume) {
  beginResetModel();
  volume_ = volume != nullptr && volume->IsLoaded() ? volume : nullptr;
  suspended_ = false;
  byKey_.clear();
  top_.reset();
  if (volume_) {
    top_ = std::make_unique<Node>();
    top_->key = browse::kRootKey;
    top_->name = ToQString(volume_->Header().volumeName);
    top_->kind = RowKind::kSourceRoot;
    top_->mayHaveChildren = true;
    byKey_[top_->key] = top_.get();
  }
  endResetModel();
}

FolderTreeModel::Node* FolderTreeModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : nullptr;
}

QModelIndex FolderTreeModel::IndexOfNode(const Node* node) const {
  if (node == nullptr) return {};
  return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  if (!parent.isValid()) return row == 0 && top_ ? IndexOfNode(top_.get()) : QModelIndex();
  Node* node = NodeOf(parent);
  if (node == nullptr || row >= static_cast<int>(node->children.size())) return {};
  return IndexOfNode(node->children[static_cast<size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const {
  Node* node = NodeOf(child);
  return node ? IndexOfNode(node->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return top_ ? 1 : 0;
  if (parent.column() != 0) return 0;
  Node* node = NodeOf(parent);
  return node ? static_cast<int>(node->children.size()) : 0;
}

int FolderTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const {
  if (!parent.isValid()) return top_ != nullptr;
  Node* node = NodeOf(parent);
  if (node == nullptr) return false;
  return node->fetched ? !node->children.empty() : node->mayHaveChildren;
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const {
  Node* node = NodeOf(parent);
  return node != nullptr && !node->fetched && node->mayHaveChildren && volume_ != nullptr && !suspended_;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent) {
  Node* node = NodeOf(parent);
  if (node != nullptr) static_cast<void>(Fetch(node));
}

bool FolderTreeModel::Fetch(Node* node) {
  if (node->fetched) return true;
  if (volume_ == nullptr || suspended_) return false;
  std::optional<std::vector<ItemRow>> rows = browse::ReadSubfolders(*volume_, node->key);
  if (!rows) {
    // A folder that cannot be read shows no children rather than an expander that does nothing.
    node->fetched = true;
    node->mayHaveChildren = false;
    QModelIndex index = IndexOfNode(node);
    emit dataChanged(index, index);
    return false;
  }
  Fill(node, *rows);
  return true;
}

void FolderTreeModel::Fill(Node* node, const std::vector<ItemRow>& rows) {
  std::vector<const ItemRow*> containers;
  for (const ItemRow& row : rows) {
    bool container = row.kind == RowKind::kFolder || row.kind == RowKind::kSourceRoot || row.kind == RowKind::kArchive;
    // A damaged volume could list a folder twice or name an ancestor; each key has one node.
    if (container && byKey_.find(row.key) == byKey_.end()) containers.push_back(&row);
  }
  node->fetched = true;
  if (containers.empty()) {
    node->mayHaveChildren = false;
    QModelIndex index = IndexOfNode(node);
    emit dataChanged(index, index);
    return;
  }
  beginInsertRows(IndexOfNode(node), 0, static_cast<int>(containers.size()) - 1);
  for (const ItemRow* row : containers) {
    auto child = std::make_unique<Node>();
    child->key = row->key;
    child->name = ToQString(row->name);
    child->kind = row->kind;
    child->mayHaveChildren = row->hasSubfolders;
    child->parent = node;
    child->row = static_cast<int>(node->children.size());
    byKey_[child->key] = child.get();
    node->children.push_back(std::move(child));
  }
  endInsertRows();
}

void FolderTreeModel::ProvideChildren(RecordKey key, const std::vector<ItemRow>& rows) {
  auto found = byKey_.find(key);
  if (found == byKey_.end() || found->second->fetched) return;
  Fill(found->second, rows);
}

bool FolderTreeModel::IsLoaded(RecordKey key) const {
  auto found = byKey_.find(key);
  return found != byKey_.end() && found->second->fetched;
}

QModelIndex FolderTreeModel::LoadedIndexOf(RecordKey key) const {
  auto found = byKey_.find(key);
  return found == byKey_.end() ? QModelIndex() : IndexOfNode(found->second);
}

QModelIndex FolderTreeModel::IndexOf(RecordKey key) {
  if (QModelIndex loaded = LoadedIndexOf(key); loaded.isValid()) return loaded;
  if (volume_ == nullptr || suspended_) return {};
  std::optional<std::vector<ChainLink>> chain = browse::FolderChainOf(*volume_, key);
  if (!chain || !top_) return {};
  // From the top down: each link is a child of the node above it, loaded when it was not.
  Node* node = top_.get();
  for (const ChainLink& link : *chain) {
    if (!Fetch(node)) return {};
    auto found = byKey_.find(link.key);
    if (found == byKey_.end() || found->second->parent != node) return {};
    node = found->second;
  }
  return IndexOfNode(node);
}

RecordKey FolderTreeModel::KeyOf(const QModelIndex& index) const {
  Node* node = NodeOf(index);
  return node ? node->key : browse::kRootKey;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const {
  Node* node = NodeOf(index);
  if (node == nullptr) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return node->name;
    case Qt::DecorationRole:
      if (node == top_.get()) return volumeIcon_;
      if (node->kind == RowKind::kArchive) return archiveIcon_;
      return node->kind == RowKind::kSourceRoot ? sourceIcon_ : folderIcon_;
    case kKeyRole: return QVariant::fromValue(node->key);
    default: return {};
  }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace volumist::ui
