#include "ui/support/window_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "testing/tree_builder.h"
#include "testing/volume_fixture.h"

namespace volumist::ui::testing {

bool UiRecordingPrompter::AskYesNo(std::string_view text) {
  Record(Entry::kQuestion, text);
  if (answers.empty()) {
    ++unexpectedQuestions;
    qWarning("unexpected question: %.*s", static_cast<int>(text.size()), text.data());
    return false;
  }
  bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void UiRecordingPrompter::Record(Entry::Kind kind, std::string_view text) {
  entries.push_back({kind, std::string(text), QThread::currentThread() == QCoreApplication::instance()->thread()});
}

std::vector<std::string> UiRecordingPrompter::Errors() const {
  std::vector<std::string> texts;
  for (const Entry& entry : entries) {
    if (entry.kind == Entry::kError) texts.push_back(entry.text);
  }
  return texts;
}

std::vector<std::string> UiRecordingPrompter::Questions() const {
  std::vector<std::string> texts;
  for (const Entry& entry : entries) {
    if (entry.kind == Entry::kQuestion) texts.push_back(entry.text);
  }
  return texts;
}

int ScriptedDialogs::Run(QDialog& dialog) {
  ++runs;
  if (scripts.empty()) {
    ++unexpected;
    return QDialog::Rejected;
  }
  auto script = std::move(scripts.front());
  scripts.pop_front();
  dialog.setResult(QDialog::Rejected);
  script(dialog);
  return dialog.result();
}

std::optional<std::string> ScriptedFolders::ChooseFolder(QWidget*, const QString& prompt, const std::string& initial) {
  lastPrompt = prompt;
  lastInitial = initial;
  if (answers.empty()) return std::nullopt;
  auto answer = answers.front();
  answers.pop_front();
  return answer;
}

void GateFileSystem::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
}

void GateFileSystem::Open() {
  {
    std::lock_guard lock(mutex_);
    closed_ = false;
  }
  opened_.notify_all();
}

platform::OpenResult GateFileSystem::CreateExclusive(const std::string& path, uint32_t mode) {
  {
    std::unique_lock lock(mutex_);
    // Only workers wait: the GUI thread's own writes (saving descriptions) go through.
    if (closed_ && QThread::currentThread() != QCoreApplication::instance()->thread()) {
      ++waiting_;
      opened_.wait(lock, [this] { return !closed_; });
      --waiting_;
    }
  }
  return base_.CreateExclusive(path, mode);
}

WindowFixture::WindowFixture() {
  volumeDirectory = dir.File("volumes");
  SettingsLocations locations{dir.File("config"), volumeDirectory};
  settings = std::make_unique<ProgramSettings>(gate, locations);
  static_cast<void>(settings->Load());
  settings->ShowSplash = false;
  static_cast<void>(settings->EnterVolumeDirectory());
}

WindowFixture::~WindowFixture() {
  gate.Open();
  CloseWindow();
}

MainWindow& WindowFixture::Open(bool start) {
  WindowServices services;
  services.fileSystem = fileSystemOverride ? fileSystemOverride : &gate;
  services.prompter = &prompter;
  services.folderChooser = &folders;
  services.fileChooser = &files;
  services.launcher = launcherOverride ? launcherOverride : &launcher;
  services.dialogs = &dialogs;
  services.trayAvailable = [this] { return trayAvailable; };
  services.drives.isCdDrive = [](const std::string&) { return false; };
  services.drives.setDoor = [](bool, const std::string&) {};
  services.drives.isMediumPresent = [](const SourceEntry&) { return true; };
  services.drives.describeSource = [](const ScanSource&, SourceEntry&) {};
  services.scanHelperThreads = 1;
  services.searchThreads = searchThreads;
  services.dataFolders = dataFolders;
  services.volumePresence = volumePresence;
  services.watchMounts = watchMounts;
  services.listDrives = [this](uint32_t mask) {
    std::vector<DriveRow> listed;
    for (const DriveRow& drive : drives) {
      if (DriveFilterBit(drive.driveType) & mask) listed.push_back(drive);
    }
    return listed;
  };
  if (!realScanDialog) {
    services.editScanJob = [this](ScanJob&, ScanPage, QWidget*) {
      ++scanEditorCalls;
      return false;
    };
  }
  window = std::make_unique<MainWindow>(*settings, std::move(services));
  if (start) {
    window->Start();
    QTest::qWait(10);
  }
  return *window;
}

void WindowFixture::CloseWindow() {
  if (!window) return;
  if (window->IsScanning()) {
    window->Run(browse::Command::kStop);
    WaitForScanEnd();
  }
  window.reset();
}

std::string WindowFixture::WriteVolume(const std::string& fileName, const std::string& volumeName, int count) {
  ScanJob job = ::volumist::testing::MakeJob(volumeDirectory + "/" + fileName, volumeName, {true});
  ::volumist::testing::MemorySource source;
  for (int i = 0; i < count; ++i) {
    source.children.push_back(::volumist::testing::MemoryNode::File("file" + std::to_string(i), ".txt", 100 + i));
  }
  SilentPrompter quiet;
  if (!::volumist::testing::WriteVolume(job, {source}, quiet)) qWarning("could not write %s", fileName.c_str());
  return job.volumeFileName;
}

ScanJob WindowFixture::JobFor(const std::string& source, const std::string& fileName,
                              const std::string& volumeName) const {
  ScanJob job = settings->scanJob;
  job.mode = ScanMode::kNewVolume;
  job.multipleSources = false;
  job.volumeName = volumeName;
  job.volumeFileName = volumeDirectory + "/" + fileName;
  job.sources = {ScanSource{-1, "Tree", source, true}};
  job.scanAgain = false;
  job.descriptionPrompt = false;
  job.ejectAfterScan = false;
  return job;
}

std::string WindowFixture::MakeTree(const std::string& name, int count) {
  ::volumist::testing::TreeBuilder tree(dir.File(name));
  tree.Folder("sub");
  for (int i = 0; i < count; ++i) tree.File((i % 2 ? "sub/f" : "f") + std::to_string(i) + ".dat", 10 + i);
  return tree.root();
}

void WindowFixture::ChooseVolume(const std::string& path) {
  int row = window->VolumesModel()->RowOfPath(path);
  if (row < 0) qWarning("%s is not listed", path.c_str());
  window->Volumes()->List()->setCurrentIndex(window->VolumesModel()->index(row, 0));
}

bool WindowFixture::WaitForScanEnd(int milliseconds) {
  return QTest::qWaitFor([this] { return !window->IsScanning(); }, milliseconds);
}

}  // namespace volumist::ui::testing
