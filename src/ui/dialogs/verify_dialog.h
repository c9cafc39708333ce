// "Verify this Volume...": compares the disk a volume was made from with the volume on a worker
// thread, showing a bar, the bytes read, the rate and the time left with a Stop button, then the
// summary and every difference as a line in a read-only list that a filter narrows and Copy puts on
// the clipboard.
//
// The worker opens the volume file on its own (the window's catalog stays the GUI thread's) and
// never speaks to the user: its end is posted to the dialog's thread. Closing the dialog stops the
// worker and waits for it (within one read of a block).
#pragma once

#include <QDialog>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "scan/verify.h"
#include "ui/services.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace volumist::ui {

class VerifyDialog final : public QDialog {
  Q_OBJECT

 public:
  // Makes the dialog, starts the verification and runs the dialog with `runner`.
  static void Show(QWidget* parent, DialogRunner& runner, const std::string& volumeFile, const std::string& volumeName,
                   VerifyJob job);

  VerifyDialog(std::string volumeFile, const std::string& volumeName, VerifyJob job, QWidget* parent = nullptr);
  ~VerifyDialog() override;
  VerifyDialog(const VerifyDialog&) = delete;
  VerifyDialog& operator=(const VerifyDialog&) = delete;

  // Starts the worker (once).
  void Start();
  // Asks the worker to stop; the differences found so far are shown when it ends.
  void Stop();
  bool IsRunning() const { return running_; }

  QString ProgressText() const;
  QString Summary() const;
  // The lines shown (those that contain the filter's text, in any case).
  QStringList ShownLines() const { return shown_; }
  void CopyShown();
  // The report once the verification has ended (nothing while it runs, or when the volume could
  // not be read).
  const std::optional<VerifyReport>& Report() const { return report_; }

  // Close: stops the worker first.
  void reject() override;

 signals:
  void Finished();

 private:
  void Poll();
  void Finish(std::shared_ptr<std::optional<VerifyReport>> report, const std::string& problem);
  void ApplyFilter();

  std::string volumeFile_;
  VerifyJob job_;
  VerifyCounters counters_;
  std::atomic<bool> stop_{false};
  std::jthread worker_;
  bool running_ = false;
  std::unique_ptr<VerifyProgressMeter> meter_;
  std::optional<VerifyReport> report_;

  QStringList lines_;
  QStringList shown_;
  QLabel* heading_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QLabel* progress_ = nullptr;
  QLabel* summary_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QPlainTextEdit* list_ = nullptr;
  QPushButton* stopButton_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace volumist::ui
