// The selected item's commands: the desktop's handlers ("Execute File", "Edit File", "Open in
// Explorer"), the eDonkey2000 link, and the "Files" menu of the file list.
#include "analysis/ed2k_link.h"
#include "analysis/messages.h"
#include "browse/md5_check_file.h"
#include "browse/messages.h"
#include "catalog/folder_contents.h"
#include "ui/bridge/text.h"
#include "ui/dialogs/ed2k_dialog.h"
#include "ui/main_window.h"

namespace volumist::ui {

using browse::Command;

void MainWindow::RunItemCommand(Command command) {
  if (scanning_) return;
  if (!loaded_ || !loaded_->IsLoaded()) {
    // Properties says why it shows nothing; the other commands need an item.
    if (command == Command::kProperties) static_cast<void>(ShowProperties(std::nullopt));
    return;
  }
  const browse::ItemRow* row = browse_->SelectedRow();
  switch (command) {
    case Command::kExecuteFile: itemActions_->Run(ItemVerb::kOpen, loaded_.get(), row); break;
    case Command::kEditFile: itemActions_->Run(ItemVerb::kEdit, loaded_.get(), row); break;
    case Command::kOpenInExplorer: itemActions_->Run(ItemVerb::kExplore, loaded_.get(), row); break;
    case Command::kGetEd2kLink: ShowEd2kLink(); break;
    case Command::kCreateMd5CheckFile: CreateMd5CheckFile(); break;
    case Command::kProperties: static_cast<void>(ShowProperties(PropertiesItemOf(row))); break;
    default: break;
  }
}

std::optional<browse::PropertiesItem> MainWindow::PropertiesItemOf(const browse::ItemRow* row) {
  // Without a row the dialog shows the loaded volume alone.
  if (row == nullptr || row->kind == browse::RowKind::kNone) return std::nullopt;
  if (row->kind == browse::RowKind::kUp) {
    // The up entry stands for the folder shown, which it leaves; at the top there is none.
    if (row->containerKey == 0) return std::nullopt;
    std::optional<ContentItem> shown = ReadContentItem(*loaded_, row->containerKey);
    if (!shown) return std::nullopt;
    return browse::PropertiesItem{*shown, row->key, true};
  }
  std::optional<ContentItem> item = ReadContentItem(*loaded_, row->key);
  if (!item) return std::nullopt;
  return browse::PropertiesItem{*item, row->containerKey, false};
}

void MainWindow::CreateMd5CheckFile() {
  const std::vector<browse::ItemRow>& rows = browse_->FileList()->Model()->Rows();
  if (browse::MakeMd5CheckList(rows).files == 0) {
    prompter_.ShowError(messages::kNoMd5InList);
    return;
  }
  if (services_.fileChooser == nullptr) return;
  // Named after the folder shown, and in that folder on this computer when it is there.
  const std::vector<ChainLink>& chain = browse_->CurrentChain();
  std::string name = (chain.empty() ? loaded_->Header().volumeName : chain.back().name) + ".md5";
  if (!browse::IsSafePathComponent(name)) name = "checksums.md5";
  std::string initial = name;
  if (const browse::ItemRow* any = rows.empty() ? nullptr : &rows.front()) {
    browse::ItemRow folder;
    folder.kind = chain.empty() ? browse::RowKind::kUp : browse::RowKind::kFolder;
    folder.key = browse_->CurrentFolder();
    folder.containerKey = any->containerKey;
    browse::ItemLocation location =
        browse::LocateItem(*loaded_, folder, services_.drives.isMediumPresent, *services_.fileSystem);
    if (location.Found() && location.isFolder) initial = location.path + "/" + name;
  }
  std::optional<std::string> path = services_.fileChooser->ChooseSaveFile(
      this, ToQString(browse::Info(Command::kCreateMd5CheckFile).text), initial,
      QStringLiteral("MD5 check files (*.md5);;All files (*)"));
  if (!path) return;
  static_cast<void>(browse::WriteMd5CheckFile(*services_.fileSystem, prompter_, *path, rows));
}

void MainWindow::ShowEd2kLink() {
  const browse::ItemRow* row = browse_->SelectedRow();
  if (row == nullptr) {
    prompter_.ShowError(messages::kSelectItemFirst);
    return;
  }
  // The row holds the record's name with its extension, its size and its signatures.
  CatalogRecord record;
  record.name.Set(row->name);
  record.size.Set(row->size);
  const bool isFile = row->kind == browse::RowKind::kFile || row->kind == browse::RowKind::kArchive;
  const SignatureBlock* signatures = isFile && row->hasSignatures ? &row->signatures : nullptr;
  if (std::optional<std::string> link = Ed2kLinkOfItem(record, signatures, prompter_)) {
    CDialog_Edonkey2K::Show(this, *services_.dialogs, *link);
  }
}

void MainWindow::ShowFilesMenu(const QPoint& globalPosition) {
  if (scanning_) return;
  QMenu menu(this);
  for (QAction* action : actions_->FilesMenu()->actions()) menu.addAction(action);
  menu.addSeparator();
  browse_->FileList()->AddListEntries(menu);
  menu.exec(globalPosition);
}

}  // namespace volumist::ui
