// What the window asks of its surroundings, injected so that tests never sit in a modal loop: the
// folder and file choosers, the launcher of files and pages, and the runner of the window's own
// dialogs. The Qt implementations are below; tests give recording ones.
#pragma once

#include <QDialog>
#include <QString>
#include <QWidget>
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

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Opens a file, a folder or a page with the desktop's handler. False when nothing could open it.
  virtual bool Open(const std::string& pathOrUrl) = 0;
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

class DesktopLauncher final : public Launcher {
 public:
  bool Open(const std::string& pathOrUrl) override;
};

class ModalDialogRunner final : public DialogRunner {
 public:
  int Run(QDialog& dialog) override { return dialog.exec(); }
};

}  // namespace volumist::ui
