#include "ui/item_actions.h"

#include "analysis/messages.h"
#include "browse/messages.h"

namespace volumist::ui {

ItemActions::ItemActions(Launcher& launcher, Prompter& prompter, platform::FileSystem& fileSystem,
                         browse::MediumCheck isMediumPresent, QObject* context)
    : launcher_(launcher),
      prompter_(prompter),
      fileSystem_(fileSystem),
      isMediumPresent_(std::move(isMediumPresent)),
      context_(context) {}

Launcher::Done ItemActions::Report() {
  QPointer<QObject> context = context_;
  Prompter* prompter = &prompter_;
  return [context, prompter](bool succeeded) {
    if (!succeeded && context) prompter->ShowError(messages::kOperationUnsuccessful);
  };
}

void ItemActions::Run(ItemVerb verb, VolumeCatalog* volume, const browse::ItemRow* row) {
  if (volume == nullptr || !volume->IsLoaded()) return;
  if (row == nullptr || row->kind == browse::RowKind::kNone) {
    prompter_.ShowError(messages::kSelectItemFirst);
    return;
  }
  browse::ItemLocation location = browse::LocateItem(*volume, *row, isMediumPresent_, fileSystem_);
  if (!location.Found()) {
    prompter_.ShowError(messages::kItemNotPresent);
    return;
  }
  if (verb == ItemVerb::kExplore) {
    launcher_.ShowInFileManager(location.path, location.isFolder, Report());
  } else {
    launcher_.Open(browse::FileUrl(location.path), Report());
  }
}

void ItemActions::ShowHelp(const std::vector<std::string>& dataFolders) {
  for (const std::string& folder : dataFolders) {
    std::string path = platform::JoinPath(folder, kHelpFileName);
    std::optional<platform::FileStatus> status = fileSystem_.Status(path);
    if (status && status->isRegularFile) {
      launcher_.Open(browse::FileUrl(path), Report());
      return;
    }
  }
  prompter_.ShowError(messages::kOperationUnsuccessful);
}

}  // namespace volumist::ui
