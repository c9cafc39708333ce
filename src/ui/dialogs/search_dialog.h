// SearchDialog ("Search"): sets the window's search criteria, runs the search on a thread of its own
// (SearchRun), shows the results as they arrive in an ItemList of the search column sets, and ends
// with a jump to a result in the main window when the user asks for one. The criteria and the
// results belong to the window, so both are there again the next time the dialog opens. The
// controls show a browse::SearchForm; reading it into the criteria, the resets and the states of the
// buttons are browse/search_dialog_rules.h.
//
//    All or part of the file name: (mask: ...)                                [ Search  ]
//   [*.mp3                                   ]  +-By Size...-+-By Audio-+-By..+ [ Stop    ]
//    Options:                                   | page (search_pages.h)     | [ Jump    ]
//   [x] Case sensitive ...                      |                           | [ Clear   ]
//   [ ] Look in all volumes                     +---------------------------+ [Reset All]
//    Stop searching when found: Maximum: [1000] items                         [ Close   ]
//   [=====progress=====                                                     ]
//   [ Main ][ Audio ][ Video ][ Signatures ]                          [Arrange]
//   | results                                                                 |
//   Total found: 12 files                                         12 345 678
//
// While a search runs only "Stop" and the close box act; the close box (and Esc) stop the search
// and wait for it, which takes at most one record. Results are appended as they arrive, a slice at a
// time so the window stays responsive, and sorted once the search is over. GUI thread only.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "browse/search_dialog_rules.h"
#include "browse/search_result_rows.h"
#include "catalog/column_set.h"
#include "catalog/prompter.h"
#include "catalog/search_criteria.h"
#include "platform/file_system.h"
#include "ui/dialogs/search_pages.h"
#include "ui/item_list.h"
#include "ui/search_run.h"
#include "ui/services.h"

namespace volumist::ui {

// What the dialog works with. Every pointer must outlive the dialog.
struct SearchDialogContext {
  SearchCriteria* criteria = nullptr;               // the window's; "Search" and "Jump" store into it
  browse::SearchResultRows* results = nullptr;      // the window's; shown on opening
  std::array<ColumnSet, kViewCount>* columnSets = nullptr;  // the search views' column sets
  Prompter* prompter = nullptr;        // the dialog's messages, on the GUI thread
  Prompter* workerPrompter = nullptr;  // the search's messages: posted to the GUI thread, never waited for
  platform::FileSystem* fileSystem = nullptr;
  unsigned threads = 1;  // volumes of an all-volumes search read at once
  bool showToolTips = true;
  std::optional<std::string> volumeName;  // the loaded volume's, for the caption
  std::optional<std::string> folderPath;  // the scope folder's path, while the search is limited to it
  CatalogTime now;                        // what the date pickers show when their bound is not set
  // What a search reads, taken when it starts: the loaded volume's file and edits, the volume list.
  std::function<SearchRun::Sources()> sources;
};

class SearchDialog final : public QDialog {
  Q_OBJECT

 public:
  // Runs the dialog; the result the user jumps to, or nothing when the dialog closes without a jump.
  static std::optional<browse::JumpTarget> Run(const SearchDialogContext& context, DialogRunner& runner,
                                               QWidget* parent);

  SearchDialog(const SearchDialogContext& context, QWidget* parent = nullptr);
  ~SearchDialog() override;

  // The buttons' actions.
  void StartSearch();
  void StopSearch();
  void Jump();
  void ClearResults();
  void ResetAll();

  bool Searching() const { return searching_; }
  const std::optional<browse::JumpTarget>& JumpRequest() const { return jump_; }
  // The controls as they are now, and shown anew.
  browse::SearchForm Form() const;
  void ShowForm(const browse::SearchForm& form);

  QLineEdit* MaskField() const { return mask_; }
  QListWidget* OptionList() const { return options_; }
  QCheckBox* AllVolumesBox() const { return allVolumes_; }
  QLineEdit* MaximumField() const { return maximum_; }
  QTabWidget* CriteriaTabs() const { return tabs_; }
  CPage_Search_SDDesr* SizeTimePage() const { return sizeTime_; }
  CPage_Search_Audio* AudioPage() const { return audio_; }
  CPage_Search_Signatures* SignaturesPage() const { return signatures_; }
  QPushButton* SearchButton() const { return search_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* JumpButton() const { return jumpButton_; }
  QPushButton* ClearButton() const { return clear_; }
  QPushButton* ResetAllButton() const { return resetAll_; }
  QPushButton* CloseButton() const { return close_; }
  QProgressBar* Progress() const { return progress_; }
  ItemList* Results() const { return list_; }
  // The status text ("Total found: %ld files"), shown as the results list's caption.
  QString StatusText() const;
  QTimer* RefreshTimer() { return &refreshTimer_; }
  QTimer* ProgressTimer() { return &progressTimer_; }
  QTimer* CountTimer() { return &countTimer_; }

  // Esc and the close box: a running search is stopped and waited for first.
  void reject() override;

 signals:
  // The search's end was handled: every result is in the list, sorted, and the buttons are idle.
  void SearchFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void ApplyToolTips();
  void UpdateCaption();
  void ApplyControls();
  // Reads the form into the criteria with the maximum's and the size's messages; false when the size
  // cannot be read (the dialog stays).
  bool ReadCriteria();
  void CheckMaximumField();
  // Appends a slice of the rows that arrived; goes on in the next turn of the event loop while
  // more are waiting, and ends the search's handling once it is over and every row is shown.
  void TakeRows();
  void OnSearchEnded();
  void ShowCount();
  void ShowResultsMenu(const QPoint& globalPosition);

  SearchDialogContext context_;
  SearchRun run_;
  bool searching_ = false;
  bool ended_ = false;        // the search has ended; rows may still be waiting to be shown
  size_t shownRows_ = 0;      // rows of the collector that the list shows
  // The rows' sorted order for the list's column and direction when the search started, made on
  // the search thread once every row had arrived (read here after the thread has ended).
  std::optional<std::vector<uint32_t>> endOrder_;
  ColumnId endOrderColumn_ = ColumnId::kName;
  browse::SortOrder endOrderDirection_ = browse::SortOrder::kAscending;
  int progressStep_ = 0;
  std::optional<browse::JumpTarget> jump_;
  // The mask as it was filled and what the edit showed for it: a name that is not valid UTF-8 keeps
  // its bytes unless the user edits it.
  std::string maskBytes_;
  QString shownMask_;

  QLineEdit* mask_;
  QListWidget* options_;
  QCheckBox* allVolumes_;
  QLineEdit* maximum_;
  QTabWidget* tabs_;
  CPage_Search_SDDesr* sizeTime_;
  CPage_Search_Audio* audio_;
  CPage_Search_Signatures* signatures_;
  QPushButton* search_;
  QPushButton* stop_;
  QPushButton* jumpButton_;
  QPushButton* clear_;
  QPushButton* resetAll_;
  QPushButton* close_;
  QProgressBar* progress_;
  ItemList* list_;
  QTimer refreshTimer_;
  QTimer progressTimer_;
  QTimer countTimer_;
  QTimer sliceTimer_;  // the next slice of rows, in the next turn of the event loop
};

}  // namespace volumist::ui
