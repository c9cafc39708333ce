// A stand-in for the desktop's xdg-open, first on PATH while it lives: it writes the number of its
// arguments and each argument on a line of its own to a log, and exits with the status the test
// chose, so the tests see exactly what the window hands to the desktop.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <string>

#include "testing/temp_dir.h"

namespace volumist::ui::testing {

class FakeXdgOpen {
 public:
  FakeXdgOpen();
  ~FakeXdgOpen();
  FakeXdgOpen(const FakeXdgOpen&) = delete;
  FakeXdgOpen& operator=(const FakeXdgOpen&) = delete;

  // The exit status of the next runs.
  void SetExitStatus(int status);
  // Every run so far: the argument count, then the arguments.
  QStringList Log() const;
  // Takes xdg-open off PATH altogether (it then cannot start).
  void Remove();

 private:
  ::volumist::testing::TempDir dir_;
  QByteArray oldPath_;
};

}  // namespace volumist::ui::testing
