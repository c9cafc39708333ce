// The main of every Qt Test program: private configuration, data and runtime folders (the runtime
// one with mode 0700), the offscreen platform unless another is named, and a message handler that
// ends the run on any Qt warning about threads, timers or connections.
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
      volumist::ui::testing::InstallWarningGuard();            \
      TestClass test;                                          \
      status = QTest::qExec(&test, argc, argv);                \
    }                                                          \
    volumist::ui::testing::CleanUpTestEnvironment();           \
    return status;                                             \
  }
