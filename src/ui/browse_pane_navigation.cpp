// Moving between the folders of the shown volume: opening a folder, Back, Forward, Up, Root, the
// rows' activation, and keeping the tree on the folder the list shows.
#include "ui/browse_pane.h"

namespace volumist::ui {

bool BrowsePane::OpenFolder(RecordKey key, bool fromHistory, bool fromTree) {
  if (volume_ == nullptr || suspended_) return false;
  // The pane's text belongs to the item it was filled for, in the folder shown until now.
  paneTimer_.stop();
  CommitDescription();
  std::optional<browse::FolderListing> listing = browse::ReadFolderListing(*volume_, key);
  if (!listing) return false;
  // The tree finds the node through the folder's chain whatever led here.
  static_cast<void>(fromHistory);
  history_.Opened(key);
  current_ = key;
  chain_ = std::move(listing->chain);
  // The tree's node gets the folders just read, so expanding it reads nothing again.
  treeModel_->ProvideChildren(key, listing->rows);
  if (!fromTree) SelectInTree(key);
  list_->SetRows(std::move(listing->rows), browse::FolderCaption(volume_->Header().volumeName, chain_));
  emit NavigationChanged();
  return true;
}

void BrowsePane::SelectInTree(RecordKey key) {
  // A folder never expanded before (Root then Back, a jump from the search) has its chain loaded
  // from the top, so the tree always shows the folder of the list.
  QModelIndex index = treeModel_->IndexOf(key);
  if (!index.isValid()) return;
  for (QModelIndex above = index.parent(); above.isValid(); above = above.parent()) tree_->expand(above);
  syncingTree_ = true;
  tree_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  syncingTree_ = false;
  tree_->scrollTo(index);
}

void BrowsePane::OnTreeCurrentChanged(const QModelIndex& current) {
  if (syncingTree_ || !current.isValid()) return;
  RecordKey key = treeModel_->KeyOf(current);
  if (key == current_ && !history_.BackStack().empty()) return;
  static_cast<void>(OpenFolder(key, false, true));
}

void BrowsePane::Back() {
  if (volume_ == nullptr || suspended_) return;
  if (std::optional<RecordKey> key = history_.Back()) static_cast<void>(OpenFolder(*key, true));
  emit NavigationChanged();
}

void BrowsePane::Forward() {
  if (volume_ == nullptr || suspended_) return;
  if (std::optional<RecordKey> key = history_.Forward()) static_cast<void>(OpenFolder(*key, true));
  emit NavigationChanged();
}

void BrowsePane::Up() {
  // The parent from the chain: a top folder's stored parent key names its source, not the root.
  if (volume_ == nullptr || suspended_ || current_ == browse::kRootKey) return;
  static_cast<void>(OpenFolder(browse::ParentFolderKey(chain_), false));
}

void BrowsePane::Root() {
  if (volume_ == nullptr || suspended_) return;
  static_cast<void>(OpenFolder(browse::kRootKey, false));
}

void BrowsePane::ActivateRow(int row) {
  const browse::ItemRow* item = list_->Model()->RowAt(row);
  if (item == nullptr || volume_ == nullptr || suspended_) return;
  switch (item->kind) {
    case browse::RowKind::kUp:
      // The key it leads to, taken before the list changes under it.
      Up();
      break;
    case browse::RowKind::kFolder:
    case browse::RowKind::kSourceRoot: {
      RecordKey key = item->key;
      static_cast<void>(OpenFolder(key, false));
      break;
    }
    case browse::RowKind::kFile:
    case browse::RowKind::kArchive:
      list_->SelectRow(row);
      if (runCommand) runCommand(ExplorerMode() ? browse::Command::kExecuteFile : browse::Command::kProperties);
      break;
    case browse::RowKind::kNone: break;
  }
}

}  // namespace volumist::ui
