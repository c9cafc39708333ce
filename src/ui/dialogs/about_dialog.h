// The about box ("About Zarn Volumist..."): the program's icon, name, version and what it is.
#pragma once

#include <QDialog>

#include "ui/services.h"

namespace volumist::ui {

class AboutDialog final : public QDialog {
  Q_OBJECT

 public:
  static void Show(QWidget* parent, DialogRunner& runner);
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace volumist::ui
