// The selected item's commands: the desktop's handlers ("Execute File", "Edit File", "Open in
// Explorer"), the eDonkey2000 link, and the "Files" menu of the file list.
#include "analysis/ed2k_link.h"
#include "analysis/messages.h"
#include "ui/dialogs/ed2k_dialog.h"
#include "ui/main_window.h"

namespace volumist::ui {

using browse::Command;

void MainWindow::RunItemCommand(Command command) {
  if (scanning_ || !loaded_ || !loaded_->IsLoaded()) return;
  const browse::ItemRow* row = browse_->SelectedRow();
  switch (command) {
    case Command::kExecuteFile: itemActions_->Run(ItemVerb::kOpen, loaded_.get(), row); break;
    case Command::kEditFile: itemActions_->Run(ItemVerb::kEdit, loaded_.get(), row); break;
    case Command::kOpenInExplorer: itemActions_->Run(ItemVerb::kExplore, loaded_.get(), row); break;
    case Command::kGetEd2kLink: ShowEd2kLink(); break;
    case Command::kProperties:
    case Command::kCreateMd5CheckFile:
    default:
      // The properties dialog is opened from here once it exists; the check file has no format yet.
      break;
  }
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
