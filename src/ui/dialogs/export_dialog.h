// CDialog_Export ("Export generator v1.1"): what part of the loaded volume to export, which columns
// and sections in which order, the XML form, and then the output file. It edits a copy of the
// window's ExportOptions through a browse::ExportForm (browse/export_dialog_rules.h); confirming reads
// the form, switches ROOT on with its message when the document would otherwise have several
// top-level elements, and asks for the file. The export itself is the caller's (XmlExporter).
//
//   + Export from: --------------------+ + Columns: -----------+ + Options: ------------------+
//   | Directly from volume (unsorted): | | [x] Type        [^] | | [ ] Save arhives content   |
//   |  (o) Full volume content         | | [x] Size        [v] | | [x] Save volume information|
//   |  ( ) Current folder              | | ...             [R] | | ...                        |
//   |  ( ) Current folder + subfolders | +---------------------+ +----------------------------+
//   | Directly from files list ...     |
//   |  ( ) Current folder    (off)     |   Export to... (choose the format for export):
//   | Directly from search list ...    |  [XML]
//   |  ( ) Search results    (off)     |  | CPage_Export_XML                                  |
//   +----------------------------------+           [Set Filename & Export] [Cancel]
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <array>
#include <string>

#include "browse/export_dialog_rules.h"
#include "catalog/export_options.h"
#include "catalog/prompter.h"
#include "ui/services.h"

namespace volumist::ui {

// The XML page: the three wrappers and the form of the values.
class CPage_Export_XML final : public QWidget {
  Q_OBJECT

 public:
  explicit CPage_Export_XML(QWidget* parent = nullptr);
  void Show(const browse::ExportForm& form);
  void Read(browse::ExportForm& form) const;

  QCheckBox* RootBox() const { return root_; }
  QCheckBox* VolumeBox() const { return volume_; }
  QCheckBox* ContentBox() const { return content_; }
  QRadioButton* AttributesRadio() const { return attributes_; }
  QRadioButton* TagsRadio() const { return tags_; }

 private:
  QCheckBox* root_;
  QCheckBox* volume_;
  QCheckBox* content_;
  QRadioButton* attributes_;
  QRadioButton* tags_;
};

// What the dialog asks of its surroundings. Every pointer must outlive the dialog.
struct ExportDialogServices {
  Prompter* prompter = nullptr;          // the ROOT message
  FileChooser* fileChooser = nullptr;    // the output file
  std::string initialFile;               // the name the file chooser proposes
  bool searchResultsAvailable = false;   // "Search results" is offered only then
};

class CDialog_Export final : public QDialog {
  Q_OBJECT

 public:
  // Runs the dialog on `options` (its "Export from" preset by the command). When the user confirms
  // and names a file, `options` takes every choice and the file (outputPath) and the result is true;
  // otherwise `options` is left as it was.
  static bool Edit(ExportOptions& options, const ExportDialogServices& services, DialogRunner& runner,
                   QWidget* parent);

  CDialog_Export(const ExportOptions& options, const ExportDialogServices& services, QWidget* parent = nullptr);

  // The options as confirmed (valid once the dialog was accepted).
  const ExportOptions& Options() const { return options_; }
  browse::ExportForm Form() const;
  void ShowForm(const browse::ExportForm& form);

  // "Set Filename && Export": reads the form, shows the ROOT message when it switches ROOT on, and
  // asks for the file; accepted with a file, rejected when the chooser is cancelled.
  void Confirm();
  // The column list's buttons on the selected row.
  void MoveColumn(bool up);
  void ResetColumns();

  QRadioButton* FromRadio(ExportFrom from) const { return from_[static_cast<size_t>(from)]; }
  QRadioButton* FileListRadio() const { return fileList_; }
  QListWidget* ColumnList() const { return columns_; }
  QToolButton* MoveUpButton() const { return moveUp_; }
  QToolButton* MoveDownButton() const { return moveDown_; }
  QToolButton* ResetColumnsButton() const { return resetColumns_; }
  QListWidget* OptionList() const { return optionsList_; }
  QTabWidget* FormatTabs() const { return formats_; }
  CPage_Export_XML* XmlPage() const { return xml_; }
  QPushButton* ExportButton() const { return export_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  void ShowColumns(const browse::ExportForm& form, int selected);

  ExportOptions options_;
  ExportDialogServices services_;
  bool searchResultsAvailable_;
  std::array<QRadioButton*, 4> from_{};
  QRadioButton* fileList_;
  QListWidget* columns_;
  QToolButton* moveUp_;
  QToolButton* moveDown_;
  QToolButton* resetColumns_;
  QListWidget* optionsList_;
  QTabWidget* formats_;
  CPage_Export_XML* xml_;
  QPushButton* export_;
  QPushButton* cancel_;
};

}  // namespace volumist::ui
