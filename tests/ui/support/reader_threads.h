// A file system for the window's tests that notes which threads read each open file, and can hold
// back the reads of every thread but the GUI thread (a search known to be running) or slow them down
// (a search that runs while the window goes on reading).
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"

namespace volumist::ui::testing {

class ReaderThreads final : public platform::FileSystem {
 public:
  // Made on the GUI thread.
  explicit ReaderThreads(platform::FileSystem& base) : base_(base), gui_(std::this_thread::get_id()) {}

  // Reads from other threads wait while closed.
  void Close();
  void Open();
  // True once a thread other than the GUI thread waits at the closed gate.
  bool SomeoneWaits() const { return waiting_.load() > 0; }
  // Each read from another thread first sleeps this long.
  std::atomic<int> workerReadDelayMicroseconds{0};
  // Opens for reading that failed (a file gone).
  std::atomic<int> failedOpens{0};

  struct OpenFile {
    std::string path;
    std::set<std::thread::id> readers;
  };
  // Every file opened so far, in order of opening, with the threads that read it.
  std::vector<OpenFile> Files() const;
  std::thread::id GuiThread() const { return gui_; }

  platform::OpenResult OpenForRead(const std::string& path) override { return Wrap(path, base_.OpenForRead(path)); }
  platform::OpenResult OpenForUpdate(const std::string& path) override { return Wrap(path, base_.OpenForUpdate(path)); }
  platform::OpenResult CreateExclusive(const std::string& path, uint32_t mode) override {
    return base_.CreateExclusive(path, mode);
  }
  bool Rename(const std::string& from, const std::string& to) override { return base_.Rename(from, to); }
  platform::FileError RenameNoReplace(const std::string& from, const std::string& to) override {
    return base_.RenameNoReplace(from, to);
  }
  bool Remove(const std::string& path) override { return base_.Remove(path); }
  std::optional<platform::FileStatus> Status(const std::string& path) override { return base_.Status(path); }
  std::optional<platform::FileStatus> LinkStatus(const std::string& path) override { return base_.LinkStatus(path); }
  std::optional<std::string> ReadLink(const std::string& path) override { return base_.ReadLink(path); }
  std::optional<std::string> RealPath(const std::string& path) override { return base_.RealPath(path); }
  uint32_t NewFileMode() override { return base_.NewFileMode(); }
  std::optional<std::vector<platform::DirectoryItem>> ListDirectory(const std::string& path) override {
    return base_.ListDirectory(path);
  }
  bool CreateDirectory(const std::string& path) override { return base_.CreateDirectory(path); }
  std::optional<std::string> CurrentDirectory() override { return base_.CurrentDirectory(); }
  bool SetCurrentDirectory(const std::string& path) override { return base_.SetCurrentDirectory(path); }
  bool SyncDirectory(const std::string& directory) override { return base_.SyncDirectory(directory); }

 private:
  class Recorded;
  platform::OpenResult Wrap(const std::string& path, platform::OpenResult opened);
  void BeforeRead(size_t file);

  platform::FileSystem& base_;
  const std::thread::id gui_;
  mutable std::mutex mutex_;
  std::condition_variable opened_;
  bool closed_ = false;
  std::atomic<int> waiting_{0};
  std::vector<OpenFile> files_;
};

}  // namespace volumist::ui::testing
