// ExportRun: one XML export at a time on a thread of its own, so the window keeps painting while a
// large volume is written and the user can stop it. The thread opens the loaded volume's file with
// a reader of its own, puts the pending description edits taken on the GUI thread into it (the
// document shows what the window shows), and runs the core's XmlExporter. Its messages go to a
// prompter that posts them to the GUI thread; how far it has come is read by the GUI thread from
// two counters, and its end is posted to the GUI thread.
//
// GUI thread only, but for the thread it starts.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "catalog/export_options.h"
#include "catalog/prompter.h"
#include "platform/file_system.h"
#include "search/search_engine.h"

namespace volumist::ui {

class ExportRun final {
 public:
  struct Outcome {
    bool written = false;  // the document replaced the output file
    bool stopped = false;  // the user stopped it; the output file is as it was
    uint64_t folders = 0;
    uint64_t files = 0;
  };

  // `fileSystem` and `prompter` (which must post from other threads, ThreadSafePrompter) must outlive
  // the run.
  ExportRun(platform::FileSystem& fileSystem, Prompter& prompter) : fileSystem_(fileSystem), prompter_(prompter) {}
  // Stops the export and waits for it.
  ~ExportRun();
  ExportRun(const ExportRun&) = delete;
  ExportRun& operator=(const ExportRun&) = delete;

  // Starts writing the document that `options` describe from the volume `file`. `finished` runs on
  // the GUI thread in the context of `receiver` (not at all when the receiver is deleted before).
  // False when an export still runs.
  bool Start(LoadedVolumeFile file, ExportOptions options, QObject* receiver, std::function<void(Outcome)> finished);
  // The export ends at the next step of its walk; the output file stays as it was.
  void RequestStop() { stop_ = true; }
  // Waits until the thread has ended (at once when none runs).
  void Wait();
  bool Started() const { return thread_.joinable(); }

  // Bytes of the volume's tree walked so far, and their total (0 until the walk has begun).
  uint64_t Done() const { return done_; }
  uint64_t Total() const { return total_; }

 private:
  platform::FileSystem& fileSystem_;
  Prompter& prompter_;
  std::thread thread_;
  std::atomic<bool> stop_ = false;
  std::atomic<uint64_t> done_ = 0;
  std::atomic<uint64_t> total_ = 0;
};

}  // namespace volumist::ui
