// CDialogEnterDescription: "Enter description of volume:" with a multi-line field of at most 511
// bytes, a button that clears it ("Clear description."), "Save" and "Cancel".
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <optional>
#include <string>

#include "ui/services.h"

namespace volumist::ui {

class CDialogEnterDescription final : public QDialog {
  Q_OBJECT

 public:
  // The text to store on "Save", or nothing on "Cancel".
  static std::optional<std::string> Ask(QWidget* parent, DialogRunner& runner, const std::string& initial = {});

  CDialogEnterDescription(const std::string& initial, QWidget* parent);
  QPlainTextEdit* TextField() const { return text_; }
  QToolButton* ClearButton() const { return clear_; }
  QPushButton* SaveButton() const { return save_; }
  std::string Text() const;

 private:
  std::string original_;
  QString shown_;
  QPlainTextEdit* text_;
  QToolButton* clear_;
  QPushButton* save_;
};

}  // namespace volumist::ui
