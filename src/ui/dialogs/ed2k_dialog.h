// CDialog_Edonkey2K: shows the eDonkey2000 link of a file, titled "EDonkey2000 Link ", in one
// read-only field that scrolls sideways, so the whole link can be selected and copied, with "OK".
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <string>

#include "ui/services.h"

namespace volumist::ui {

class CDialog_Edonkey2K final : public QDialog {
  Q_OBJECT

 public:
  static void Show(QWidget* parent, DialogRunner& runner, const std::string& link);
  CDialog_Edonkey2K(const std::string& link, QWidget* parent = nullptr);

  QLineEdit* LinkField() const { return field_; }

 private:
  QLineEdit* field_;
};

inline constexpr char kEd2kDialogTitle[] = "EDonkey2000 Link ";

}  // namespace volumist::ui
