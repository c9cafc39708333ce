// "Verify this Volume...": where the loaded volume's sources are now, then the verification dialog.
#include "browse/verify_text.h"
#include "ui/bridge/text.h"
#include "ui/dialogs/verify_dialog.h"
#include "ui/main_window.h"

namespace volumist::ui {

void MainWindow::VerifyLoadedVolume() {
  if (scanning_ || !loaded_ || !loaded_->IsLoaded()) return;
  const SourceList& sources = loaded_->Sources();
  VerifyJob job;
  job.sourcePaths.resize(sources.size());
  // The medium of each source is checked here, on the GUI thread that owns the drive services;
  // the worker gets the answers.
  std::vector<SourcePresence> presence(sources.size(), SourcePresence::kPresent);
  for (size_t i = 0; i < sources.size(); ++i) {
    const SourceEntry& entry = sources[i];
    const std::string recorded = entry.rootPath.Text();
    std::optional<platform::FileStatus> status = services_.fileSystem->Status(recorded);
    SourcePresence found = status && status->isDirectory ? SourcePresence::kPresent : SourcePresence::kMissing;
    if (found == SourcePresence::kPresent && services_.drives.checkMedium) found = services_.drives.checkMedium(entry);
    if (found != SourcePresence::kMissing) {
      presence[i] = found;
      continue;
    }
    std::optional<std::string> chosen = services_.folderChooser->ChooseFolder(
        this, ToQString(browse::VerifyWhereIsSourcePrompt(entry.sourceName.Text(), recorded)), recorded);
    if (chosen && !chosen->empty()) job.sourcePaths[i] = *chosen;
    presence[i] = SourcePresence::kMissing;  // only asked for a source left where it was recorded
  }
  // The worker reads the volume on its own: its sources are known by name and recorded path.
  struct Known {
    std::string name;
    std::string path;
    SourcePresence presence;
  };
  std::vector<Known> known;
  for (size_t i = 0; i < sources.size(); ++i) {
    known.push_back({sources[i].sourceName.Text(), sources[i].rootPath.Text(), presence[i]});
  }
  job.checkMedium = [known = std::move(known)](const SourceEntry& entry) {
    for (const Known& source : known) {
      if (source.name == entry.sourceName.Text() && source.path == entry.rootPath.Text()) return source.presence;
    }
    return SourcePresence::kPresent;
  };
  VerifyDialog::Show(this, *services_.dialogs, loaded_->VolumeFilePath(), loaded_->Header().volumeName, std::move(job));
}

}  // namespace volumist::ui
