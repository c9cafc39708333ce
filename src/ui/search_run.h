// SearchRun: one search at a time on a thread of its own, for the search dialog. The thread runs the
// core's SearchAll over its own copy of the criteria and hands the results to the window's
// collector. It opens every volume file it reads itself, the loaded volume's too, so the window
// goes on reading the loaded volume through its own handle meanwhile. Its messages (a volume that
// cannot be read) go to a prompter that posts them to the GUI thread and never waits, and its end is
// posted to the GUI thread, so the GUI thread may wait for it at any time without a deadlock.
//
// GUI thread only, but for the thread it starts.
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "catalog/prompter.h"
#include "catalog/search_criteria.h"
#include "platform/file_system.h"
#include "search/search_engine.h"
#include "search/search_result.h"

namespace volumist::ui {

class SearchRun final {
 public:
  // What a search reads, taken on the GUI thread when it starts.
  struct Sources {
    std::optional<LoadedVolumeFile> loaded;  // the loaded volume's file and its pending edits
    std::vector<std::string> volumePaths;    // the volume list, in its order
  };

  // `fileSystem` and `prompter` (which must post from other threads, ThreadSafePrompter) must outlive
  // the run. `threads`: how many volumes of an all-volumes search are read at once.
  SearchRun(platform::FileSystem& fileSystem, Prompter& prompter, unsigned threads);
  // Stops the search and waits for it.
  ~SearchRun();
  SearchRun(const SearchRun&) = delete;
  SearchRun& operator=(const SearchRun&) = delete;

  // Starts searching for `criteria` (copied) in `sources`, adding to `results`. `results` and
  // `receiver` must stay alive until Wait returns. Once the search has ended, `lastStep` (when set)
  // runs on the search thread unless a stop was requested (work on the complete results that the
  // GUI thread need not do; what it writes the GUI thread reads after Wait), and then `finished`
  // runs on the GUI thread in the context of `receiver` (not at all when the receiver is deleted
  // before). False when a search still runs.
  bool Start(const SearchCriteria& criteria, Sources sources, ResultCollector& results, QObject* receiver,
             std::function<void()> finished, std::function<void()> lastStep = {});
  // The user's stop: the search ends at the next record.
  void RequestStop();
  // Waits until the thread has ended (at once when none runs).
  void Wait();
  // A search was started and not waited for.
  bool Started() const { return thread_.joinable(); }

 private:
  platform::FileSystem& fileSystem_;
  Prompter& prompter_;
  unsigned threads_;
  SearchCriteria criteria_;  // the running search's copy; its stop flag is the one the search polls
  Sources sources_;
  std::thread thread_;
};

}  // namespace volumist::ui
