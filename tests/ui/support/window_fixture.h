// What the window tests share: a recording prompter for the GUI thread, scripted dialogs and
// choosers, a file system whose operations a test can hold back, and a window over its own settings
// and volume directory.
#pragma once

#include <QDialog>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "catalog/prompter.h"
#include "testing/fault_file_system.h"
#include "testing/temp_dir.h"
#include "ui/main_window.h"
#include "ui/services.h"

namespace volumist::ui::testing {

class UiRecordingPrompter final : public Prompter {
 public:
  struct Entry {
    enum Kind { kError, kInfo, kQuestion } kind;
    std::string text;
    bool onGuiThread;
  };
  void ShowError(std::string_view text) override { Record(Entry::kError, text); }
  void ShowInfo(std::string_view text) override { Record(Entry::kInfo, text); }
  bool AskYesNo(std::string_view text) override;

  std::vector<std::string> Errors() const;
  std::vector<std::string> Questions() const;

  std::vector<Entry> entries;
  std::deque<bool> answers;
  int unexpectedQuestions = 0;

 private:
  void Record(Entry::Kind kind, std::string_view text);
};

// Runs each dialog with the next script instead of a modal loop; the script fills the dialog and
// accepts or rejects it. A dialog without a script is rejected and counted.
class ScriptedDialogs final : public DialogRunner {
 public:
  int Run(QDialog& dialog) override;
  std::deque<std::function<void(QDialog&)>> scripts;
  int unexpected = 0;
  int runs = 0;
};

class ScriptedFolders final : public FolderChooser {
 public:
  std::optional<std::string> ChooseFolder(QWidget*, const QString& prompt, const std::string& initial) override;
  std::deque<std::optional<std::string>> answers;
  QString lastPrompt;
  std::string lastInitial;
};

// Answers file choices from queues (none left: the user cancels) and keeps what it was asked.
class ScriptedFiles final : public FileChooser {
 public:
  std::optional<std::string> ChooseOpenFile(QWidget*, const QString&, const std::string&, const QString&) override {
    return Next(openAnswers);
  }
  std::optional<std::string> ChooseSaveFile(QWidget*, const QString& caption, const std::string& initial,
                                            const QString&) override {
    lastSaveCaption = caption;
    lastSaveInitial = initial;
    return Next(saveAnswers);
  }
  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;
  QString lastSaveCaption;
  std::string lastSaveInitial;

 private:
  static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// Records what the window hands to the desktop and answers at once with `succeeds`.
class RecordingLauncher final : public Launcher {
 public:
  void Open(const std::string& url, Done done) override {
    opened.push_back(url);
    if (done) done(succeeds);
  }
  void ShowInFileManager(const std::string& path, bool isFolder, Done done) override {
    shown.push_back({path, isFolder});
    if (done) done(succeeds);
  }
  std::vector<std::string> opened;
  std::vector<std::pair<std::string, bool>> shown;
  bool succeeds = true;
};

// Passes everything to a fault file system, but holds back the creation of files by worker threads
// while closed, so that a test can look at the window while its scan is known to be running.
class GateFileSystem final : public platform::FileSystem {
 public:
  explicit GateFileSystem(platform::FileSystem& base) : base_(base) {}
  void Close();
  void Open();
  // True once a thread waits at the closed gate.
  bool SomeoneWaits() const { return waiting_.load() > 0; }

  platform::OpenResult OpenForRead(const std::string& path) override { return base_.OpenForRead(path); }
  platform::OpenResult OpenForUpdate(const std::string& path) override { return base_.OpenForUpdate(path); }
  platform::OpenResult CreateExclusive(const std::string& path, uint32_t mode) override;
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
  platform::FileSystem& base_;
  std::mutex mutex_;
  std::condition_variable opened_;
  bool closed_ = false;
  std::atomic<int> waiting_{0};
};

// A window over fresh settings whose volume directory and configuration live in a temporary folder.
class WindowFixture {
 public:
  WindowFixture();
  ~WindowFixture();

  // Builds the window (not shown yet), then Start()s it.
  MainWindow& Open(bool start = true);
  MainWindow& Window() { return *window; }
  void CloseWindow();

  // Writes a volume file into the volume directory with `files` small files; returns its path.
  std::string WriteVolume(const std::string& fileName, const std::string& volumeName, int count = 3);
  // A job that scans `source` into a new volume file `fileName` of the volume directory.
  ScanJob JobFor(const std::string& source, const std::string& fileName, const std::string& volumeName) const;
  // Makes a folder tree of `files` files below the temporary folder; returns its path.
  std::string MakeTree(const std::string& name, int count);
  // Selects the list row of `path` as a click would.
  void ChooseVolume(const std::string& path);
  // Waits (processing events) until the window's scan has ended; false on a time-out.
  bool WaitForScanEnd(int milliseconds = 30000);

  ::volumist::testing::TempDir dir;
  std::string volumeDirectory;
  ::volumist::testing::FaultFileSystem faults;
  GateFileSystem gate{faults};
  UiRecordingPrompter prompter;
  ScriptedDialogs dialogs;
  ScriptedFolders folders;
  ScriptedFiles files;
  RecordingLauncher launcher;
  // When set, the window hands items to this launcher instead (the desktop's own, in its tests).
  Launcher* launcherOverride = nullptr;
  // When set, the window reads and writes through this file system instead of `gate`.
  platform::FileSystem* fileSystemOverride = nullptr;
  // How many volumes a search of all volumes reads at once.
  unsigned searchThreads = 2;
  bool trayAvailable = false;
  int scanEditorCalls = 0;
  // With true, the scan commands open the real scan dialog (run by `dialogs`) instead of counting.
  bool realScanDialog = false;
  // The folders searched for help.htm (none: the program's folder, then ../share/zarn-volumist).
  std::vector<std::string> dataFolders;
  // What the scan dialog lists as the machine's drives.
  std::vector<DriveRow> drives;
  // Whether the listed volumes' disks are mounted (none: the system's mounts), and whether the
  // window watches the mount table.
  PresenceSource volumePresence;
  bool watchMounts = false;
  std::unique_ptr<ProgramSettings> settings;
  std::unique_ptr<MainWindow> window;
};

}  // namespace volumist::ui::testing
