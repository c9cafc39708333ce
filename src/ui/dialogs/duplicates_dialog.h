// DuplicatesDialog ("Find duplicates"): finds the copies of files over the volumes of the list (or
// within the selected volume) on a thread of its own, shows the groups as they end up (a group's
// row, then its files: path, volume, size, time), and ends with a jump to a file in the main window
// when the user asks for one. The rules (reading the form, captions, progress, the jump target) are
// browse/duplicates_rules.h.
//
//    Volumes: (o) All volumes  ( ) The selected volume only        [ Find ]
//    Compare: [By content, else by name and size  v]                [ Stop ]
//    Smallest file: [1      ]  [ ] Only copies on the same volume
//    [=========progress=========                                 ]
//    | Path                          | Volume | Size  | Modified   |
//    | v Same content (MD5 e98d...), 2 files            | 5 000 |    |
//    |     Docs/report.pdf           | Alpha  | 5 000 | 01.01.2010 |
//    12 groups, 30 files, 1.20 MB in extra copies     [ Jump ] [ Close ]
//
// While a search runs, "Stop" ends it; closing the dialog stops it and waits, which takes at most
// one record. The worker never touches a widget: its counters are polled on a timer, and its end
// is posted to the dialog. GUI thread only.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeView>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "browse/duplicates_rules.h"
#include "catalog/prompter.h"
#include "platform/file_system.h"
#include "search/duplicates.h"
#include "ui/dialogs/duplicates_model.h"
#include "ui/services.h"

namespace volumist::ui {

// What the dialog works with. Pointers must outlive the dialog.
struct DuplicatesDialogContext {
  std::vector<std::string> volumePaths;  // the volume list's files, in its order
  std::optional<size_t> selectedVolume;  // the list's selected entry, when there is one
  std::string selectedName;              // its volume's name
  Prompter* prompter = nullptr;          // the dialog's messages, on the GUI thread
  platform::FileSystem* fileSystem = nullptr;  // must be safe to use from the worker
  unsigned threads = 1;                  // volumes read at once
};

class DuplicatesDialog final : public QDialog {
  Q_OBJECT

 public:
  // Runs the dialog; the file the user jumps to, or nothing when it closes without a jump.
  static std::optional<browse::JumpTarget> Run(const DuplicatesDialogContext& context, DialogRunner& runner,
                                               QWidget* parent);

  explicit DuplicatesDialog(const DuplicatesDialogContext& context, QWidget* parent = nullptr);
  ~DuplicatesDialog() override;

  // The buttons' actions.
  void StartSearch();
  void StopSearch();
  void JumpToCurrent();

  bool Searching() const { return worker_.joinable(); }
  const std::optional<browse::JumpTarget>& JumpRequest() const { return jump_; }
  DuplicatesModel* Model() const { return model_; }
  QTreeView* Results() const { return results_; }
  QLineEdit* MinimumSize() const { return minimumSize_; }
  QComboBox* Compare() const { return compare_; }
  QCheckBox* WithinVolume() const { return within_; }
  QRadioButton* SelectedVolumeOnly() const { return selectedOnly_; }
  QPushButton* FindButton() const { return find_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* JumpButton() const { return jumpButton_; }
  QLabel* Status() const { return status_; }

  // Closing (the close box, Esc, "Close") stops a running search and waits for it.
  void reject() override;

 signals:
  // A search has ended (found, stopped, or failed to open a volume), its groups shown.
  void SearchFinished();

 private:
  // What the worker hands over at its end; read on the GUI thread after the join.
  struct Outcome {
    std::vector<DuplicateGroup> groups;
    DuplicateReport report;
  };

  void BuildControls();
  void ApplyStates();
  void ShowProgress();
  void Finish();
  browse::DuplicatesForm ReadForm() const;

  DuplicatesDialogContext context_;
  QRadioButton* allVolumes_ = nullptr;
  QRadioButton* selectedOnly_ = nullptr;
  QComboBox* compare_ = nullptr;
  QLineEdit* minimumSize_ = nullptr;
  QCheckBox* within_ = nullptr;
  QPushButton* find_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* jumpButton_ = nullptr;
  QPushButton* close_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QTreeView* results_ = nullptr;
  QLabel* status_ = nullptr;
  DuplicatesModel* model_ = nullptr;
  QTimer poll_;

  std::atomic<bool> stopFlag_ = false;
  std::unique_ptr<DuplicateProgress> counters_;
  std::unique_ptr<Outcome> outcome_;
  size_t volumeCount_ = 0;
  std::thread worker_;
  std::optional<browse::JumpTarget> jump_;
};

}  // namespace volumist::ui
