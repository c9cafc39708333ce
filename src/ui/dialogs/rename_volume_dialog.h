// CDialogRenameVolume: "Enter new name of volume:" with one edit field, OK and Cancel. A name longer
// than the volume file's name field (255 bytes) is refused with a message and the dialog stays open,
// so nothing is ever cut silently.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/prompter.h"
#include "ui/services.h"

namespace volumist::ui {

class CDialogRenameVolume final : public QDialog {
  Q_OBJECT

 public:
  // The new name's bytes, or nothing when the user cancels. An unchanged field gives back `current`'s
  // own bytes, also when they are not valid UTF-8.
  static std::optional<std::string> Ask(QWidget* parent, DialogRunner& runner, Prompter& prompter,
                                        const std::string& current);

  CDialogRenameVolume(Prompter& prompter, const std::string& current, QWidget* parent);
  QLineEdit* NameField() const { return name_; }
  std::string Name() const;

  void accept() override;

 private:
  Prompter& prompter_;
  std::string original_;
  QString shown_;
  QLineEdit* name_;
};

}  // namespace volumist::ui
