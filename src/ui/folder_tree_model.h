// FolderTreeModel: the folder tree of the loaded volume, read level by level. The one top node is
// the volume itself (key 0); below each node are its folders and listed archives, read from the
// volume file the first time the node is expanded (canFetchMore / fetchMore) and never again.
// Whether a node has children comes from its record (the folder end's flag), so nothing is read to
// draw an expander.
//
// Opening a folder elsewhere (Back, Root then Back, a jump from the search) goes through IndexOf,
// which reads the folder's chain and loads every node on the way from the top, so the tree can
// always select the folder the list shows.
//
// GUI thread only. The volume must stay open while it is set; SetVolume(nullptr) forgets it.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "browse/item_row.h"
#include "catalog/volume_catalog.h"

namespace volumist::ui {

class FolderTreeModel final : public QAbstractItemModel {
  Q_OBJECT

 public:
  enum Role { kKeyRole = Qt::UserRole + 1 };

  explicit FolderTreeModel(QObject* parent = nullptr);
  ~FolderTreeModel() override;

  // Starts over with the top node of `volume` (null: an empty tree). Nothing is read yet.
  void SetVolume(VolumeCatalog* volume);
  // Stops reading: the nodes stay as they are, and none is loaded any more until SetVolume.
  void Suspend() { suspended_ = true; }

  // The node of the folder `key`, loading the nodes on the way from the top when needed; an invalid
  // index when the volume has no such folder.
  QModelIndex IndexOf(RecordKey key);
  // The node of `key` if it is loaded already.
  QModelIndex LoadedIndexOf(RecordKey key) const;
  RecordKey KeyOf(const QModelIndex& index) const;
  // Gives a node that was never expanded the children the file list just read for it, so that
  // expanding it reads nothing. `rows` are the folder's rows.
  void ProvideChildren(RecordKey key, const std::vector<browse::ItemRow>& rows);
  bool IsLoaded(RecordKey key) const;

  // QAbstractItemModel.
  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Node {
    RecordKey key = 0;
    QString name;
    browse::RowKind kind = browse::RowKind::kFolder;
    bool mayHaveChildren = false;
    bool fetched = false;
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
  };

  Node* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOfNode(const Node* node) const;
  void Fill(Node* node, const std::vector<browse::ItemRow>& rows);
  bool Fetch(Node* node);

  VolumeCatalog* volume_ = nullptr;
  bool suspended_ = false;
  std::unique_ptr<Node> top_;
  std::unordered_map<RecordKey, Node*> byKey_;
  QIcon volumeIcon_;
  QIcon folderIcon_;
  QIcon sourceIcon_;
  QIcon archiveIcon_;
};

}  // namespace volumist::ui
