// The main of every Qt Test program: private configuration, data and runtime folders (the runtime
// one with mode 0700) and the offscreen platform unless another is named. Each test class calls
// InstallWarningGuard in its initTestCase (Qt Test installs its own message handler when it starts,
// and the guard must come after it): it ends the run on any Qt warning about threads, timers or
// connections.
#pragma once

#include <QApplication>
#include <QTest>

namespace volumist::ui::testing {

// Makes the folders and sets the environment; called before the QApplication exists.
void PrepareTestEnvironment();
// Removes the folders again.
void CleanUpTestEnvironment();
void InstallWarningGuard();

}  // namespace volumist::ui::testing

#define VOLUMIST_UI_TEST_MAIN(TestClass)                       \
  int main(int argc, char** argv) {                            \
    volumist::ui::testing::PrepareTestEnvironment();           \
    int status = 0;                                            \
    {                                                          \
      QApplication application(argc, argv);                    \
      TestClass test;                                          \
      status = QTest::qExec(&test, argc, argv);                \
    }                                                          \
    volumist::ui::testing::CleanUpTestEnvironment();           \
    return status;                                             \
  }
