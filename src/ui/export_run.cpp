#include "ui/export_run.h"

#include <QMetaObject>
#include <utility>

#include "catalog/volume_catalog.h"
#include "export/xml_exporter.h"

namespace volumist::ui {

ExportRun::~ExportRun() {
  RequestStop();
  Wait();
}

bool ExportRun::Start(LoadedVolumeFile file, ExportOptions options, QObject* receiver,
                      std::function<void(Outcome)> finished) {
  if (thread_.joinable()) return false;
  stop_ = false;
  done_ = 0;
  total_ = 0;
  thread_ = std::thread([this, file = std::move(file), options = std::move(options), receiver,
                         finished = std::move(finished)]() mutable {
    Outcome outcome;
    VolumeCatalog volume(fileSystem_, prompter_);
    // A file that cannot be opened has shown its message.
    if (volume.OpenVolume(file.path)) {
      bool edited = true;
      for (const auto& [key, text] : file.pending) edited = edited && volume.SetDescription(key, text);
      if (edited) {
        XmlExporter exporter(volume, std::move(options), fileSystem_, prompter_);
        exporter.SetProgress([this](uint64_t done, uint64_t total) {
          total_ = total;
          done_ = done;
          return !stop_;
        });
        outcome.written = exporter.Run();
        outcome.stopped = exporter.Stopped();
        outcome.folders = exporter.FolderTotal();
        outcome.files = exporter.FileTotal();
      }
      // The edits live on in the window's volume; this reader's copy is dropped unsaved.
      volume.DiscardDescriptions();
      volume.CloseVolume(false);
    }
    // Posted, never waited for: the GUI thread may be waiting for this thread right now.
    QMetaObject::invokeMethod(receiver, [finished = std::move(finished), outcome] { finished(outcome); },
                              Qt::QueuedConnection);
  });
  return true;
}

void ExportRun::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace volumist::ui
