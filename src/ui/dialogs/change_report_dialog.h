// The report at the end of a rescan: the volume, a summary of the counts, and every change as a
// line in a read-only list that a filter narrows and Copy puts on the clipboard.
#pragma once

#include <QDialog>
#include <QStringList>

#include "catalog/change_report.h"
#include "ui/services.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace volumist::ui {

class ChangeReportDialog final : public QDialog {
  Q_OBJECT

 public:
  static void Show(QWidget* parent, DialogRunner& runner, const ChangeReport& report);
  explicit ChangeReportDialog(const ChangeReport& report, QWidget* parent = nullptr);

  // The lines shown (those that contain the filter's text, in any case).
  QStringList ShownLines() const { return shown_; }
  QString Summary() const;
  // Puts the lines shown on the clipboard.
  void CopyShown();

 private:
  void ApplyFilter();

  QStringList lines_;
  QStringList shown_;
  QLabel* summary_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QPlainTextEdit* list_ = nullptr;
};

}  // namespace volumist::ui
