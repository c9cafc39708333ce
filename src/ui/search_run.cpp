#include "ui/search_run.h"

#include <QMetaObject>
#include <utility>

namespace volumist::ui {

SearchRun::SearchRun(platform::FileSystem& fileSystem, Prompter& prompter, unsigned threads)
    : fileSystem_(fileSystem), prompter_(prompter), threads_(threads == 0 ? 1 : threads) {}

SearchRun::~SearchRun() {
  RequestStop();
  Wait();
}

bool SearchRun::Start(const SearchCriteria& criteria, Sources sources, ResultCollector& results, QObject* receiver,
                      std::function<void()> finished, std::function<void()> lastStep) {
  if (thread_.joinable()) return false;
  // The copy is made while nothing runs; the thread reads it alone until Wait.
  criteria_ = criteria;
  criteria_.ClearStopRequest();
  sources_ = std::move(sources);
  thread_ = std::thread([this, &results, receiver, finished = std::move(finished), lastStep = std::move(lastStep)] {
    const LoadedVolumeFile* loaded = sources_.loaded ? &*sources_.loaded : nullptr;
    SearchAll(criteria_, results, loaded, sources_.volumePaths, fileSystem_, prompter_, threads_);
    if (lastStep && !criteria_.StopRequested()) lastStep();
    // Posted, never waited for: the GUI thread may be waiting for this thread right now. A queued
    // call whose receiver is deleted before it runs is dropped with the receiver.
    QMetaObject::invokeMethod(receiver, finished, Qt::QueuedConnection);
  });
  return true;
}

void SearchRun::RequestStop() { criteria_.RequestStop(); }

void SearchRun::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace volumist::ui
