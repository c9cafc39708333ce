// What the window asks of its surroundings, injected so that tests never sit in a modal loop: the
// folder and file choosers, the launcher of files and pages, and the runner of the window's own
// dialogs. The Qt implementations are below; tests give recording ones.
#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

namespace volumist::ui {

class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  // The chosen folder's path, or nothing when the user cancels. `initial` is selected at first.
  virtual std::optional<std::string> ChooseFolder(QWidget* parent, const QString& prompt, const std::string& initial) = 0;
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // A file to read or to write, or nothing when the user cancels. `filter` as QFileDialog takes it.
  virtual std::optional<std::string> ChooseOpenFile(QWidget* parent, const QString& caption, const std::string& initial,
                                                    const QString& filter) = 0;
  virtual std::optional<std::string> ChooseSaveFile(QWidget* parent, const QString& caption, const std::string& initial,
                                                    const QString& filter) = 0;
};

// Hands files, folders and pages to the desktop. Nothing waits: each call returns at once and
// reports later, on the GUI thread, through `done` (true when the desktop took the item).
class Launcher {
 public:
  using Done = std::function<void(bool succeeded)>;
  virtual ~Launcher() = default;
  // Opens `url` (a "file://" URL or a web address) with the desktop's default application.
  virtual void Open(const std::string& url, Done done) = 0;
  // Shows the item at the absolute `path` in the desktop's file manager: a folder opened, a file
  // selected in its folder. Without a file manager that answers, opens the folder instead.
  virtual void ShowInFileManager(const std::string& path, bool isFolder, Done done) = 0;
};

class DialogRunner {
 public:
  virtual ~DialogRunner() = default;
  // Runs a dialog of the window modally; QDialog::Accepted or QDialog::Rejected.
  virtual int Run(QDialog& dialog) = 0;
};

class QtFolderChooser final : public FolderChooser {
 public:
  std::optional<std::string> ChooseFolder(QWidget* parent, const QString& prompt, const std::string& initial) override;
};

class QtFileChooser final : public FileChooser {
 public:
  std::optional<std::string> ChooseOpenFile(QWidget* parent, const QString& caption, const std::string& initial,
                                            const QString& filter) override;
  std::optional<std::string> ChooseSaveFile(QWidget* parent, const QString& caption, const std::string& initial,
                                            const QString& filter) override;
};

// The desktop's own launcher. Open runs `xdg-open URL` (one argument, no shell) and succeeds when
// it starts and exits with 0; QDesktopServices cannot tell, since it reports success as soon as
// its helper starts. The desktop has no separate "edit" handler: editing opens the file the same
// way. ShowInFileManager calls org.freedesktop.FileManager1 (ShowItems, or ShowFolders for a
// folder) on the session bus, waiting at most kFileManagerTimeoutMs for its answer without
// blocking, and otherwise opens the folder with Open.
class DesktopLauncher final : public Launcher {
 public:
  static constexpr int kFileManagerTimeoutMs = 2000;
  void Open(const std::string& url, Done done) override;
  void ShowInFileManager(const std::string& path, bool isFolder, Done done) override;
};

class ModalDialogRunner final : public DialogRunner {
 public:
  int Run(QDialog& dialog) override { return dialog.exec(); }
};

}  // namespace volumist::ui
