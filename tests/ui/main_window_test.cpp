// The main window: its start, the volume list (loading, refresh, arrangement, directory, rename),
// the question about pending edits on loading and closing, the tray, and the settings at exit.
#include <QAbstractItemModelTester>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "browse/window_captions.h"
#include "catalog/configuration_format.h"
#include "catalog/messages.h"
#include "testing/temp_dir.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/rename_volume_dialog.h"

#include <filesystem>
#include "ui/program.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using Fixture = volumist::ui::testing::WindowFixture;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void startShowsTheListUnderTheTitle();
  void choosingAVolumeLoadsIt();
  void refreshKeepsTheSelectionByPathWithoutLoading();
  void arrangingMovesTheCheckMarkAndTheCaption();
  void aRefusedDirectoryKeepsTheOldOne();
  void renameRefusesNamesLongerThanTheField();
  void loadingAnotherVolumeAsksAndAFailedSaveKeepsTheOld();
  void closingWithPendingEditsAndAFailedSaveKeepsTheWindow();
  void minimisingWithoutATrayDoesNotHide();
  void minimisingWithATrayHidesUntilRestored();
  void settingsAreWrittenAtExit();
};

void MainWindowTest::startShowsTheListUnderTheTitle() {
  Fixture fixture;
  fixture.WriteVolume("b.vkt", "beta");
  fixture.WriteVolume("a.vkt", "Alpha");
  MainWindow& window = fixture.Open();
  QAbstractItemModelTester tester(window.VolumesModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QCOMPARE(window.windowTitle(), QStringLiteral("Zarn Volumist 1.6 Release "));
  QCOMPARE(window.minimumSize(), QSize(777, 400));
  QVERIFY(window.windowState().testFlag(Qt::WindowMaximized));
  QCOMPARE(window.VolumesModel()->rowCount(), 2);
  QCOMPARE(window.VolumesModel()->index(0, 0).data().toString(), QStringLiteral("Alpha"));
  QCOMPARE(window.VolumesModel()->index(1, 0).data().toString(), QStringLiteral("beta"));
  QCOMPARE(window.Volumes()->ArrangeButton()->text(), QStringLiteral("Arranged by: Name ASC"));
  QCOMPARE(window.LoadedVolume(), nullptr);
  QCOMPARE(window.Browse()->ListStatus()->text(), QStringLiteral("no volume loaded"));
  QCOMPARE(window.Statistics()->Texts().status, std::string("Idle."));
  QCOMPARE(window.Splash(), nullptr);
  // The splitter bars keep the tree and the list at least 250 pixels wide.
  QCOMPARE(window.Browse()->FolderTree()->minimumWidth(), 250);
  QCOMPARE(window.Browse()->FileList()->minimumWidth(), 250);
  QCOMPARE(fixture.prompter.entries.size(), size_t{0});
}

void MainWindowTest::choosingAVolumeLoadsIt() {
  Fixture fixture;
  std::string a = fixture.WriteVolume("a.vkt", "Alpha", 4);
  MainWindow& window = fixture.Open();
  QSignalSpy shown(&window, &MainWindow::VolumeShownChanged);
  fixture.ChooseVolume(a);
  QCOMPARE(shown.count(), 1);
  QVERIFY(window.LoadedVolume() != nullptr);
  QCOMPARE(window.LoadedVolume()->VolumeFilePath(), a);
  QCOMPARE(window.Statistics()->Texts().files, std::string("4"));
  QVERIFY(!window.Statistics()->Texts().fileSize.empty());
  QCOMPARE(window.Statistics()->Texts().status, std::string("Idle."));
  QVERIFY(!window.Browse()->DescriptionPane()->isReadOnly());
}

void MainWindowTest::refreshKeepsTheSelectionByPathWithoutLoading() {
  Fixture fixture;
  std::string m = fixture.WriteVolume("m.vkt", "Middle");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(m);
  VolumeCatalog* loaded = window.LoadedVolume();
  QVERIFY(loaded != nullptr);
  // Meanwhile the command-line tool writes a volume whose file comes first in the listing.
  std::string tree = fixture.MakeTree("tree", 2);
  QProcess cli;
  QStringList arguments = {"--dir", QString::fromStdString(fixture.volumeDirectory), "scan", "--name", "Aardvark",
                           "--file", "a.vkt", QString::fromStdString(tree)};
  cli.start(QStringLiteral(VOLUMIST_CLI_PATH), arguments);
  QVERIFY(cli.waitForFinished(30000));
  QCOMPARE(cli.exitCode(), 0);

  QSignalSpy shown(&window, &MainWindow::VolumeShownChanged);
  window.Run(Command::kRefreshVolumes);
  QCOMPARE(window.VolumesModel()->rowCount(), 2);
  QCOMPARE(window.VolumesModel()->index(0, 0).data().toString(), QStringLiteral("Aardvark"));
  // The selection stays on the file, now in the second row, and nothing was loaded again.
  QCOMPARE(window.Volumes()->SelectedRow(), window.VolumesModel()->RowOfPath(m));
  QCOMPARE(window.Volumes()->SelectedRow(), 1);
  QCOMPARE(window.LoadedVolume(), loaded);
  QCOMPARE(shown.count(), 0);
  QVERIFY(fixture.prompter.entries.empty());
}

void MainWindowTest::arrangingMovesTheCheckMarkAndTheCaption() {
  Fixture fixture;
  fixture.WriteVolume("a.vkt", "Alpha", 1);
  fixture.WriteVolume("b.vkt", "Beta", 30);
  MainWindow& window = fixture.Open();
  window.Run(Command::kArrangeSizeDescending);
  QCOMPARE(window.Volumes()->ArrangeButton()->text(), QStringLiteral("Arranged by: Size DESC"));
  int checked = 0;
  for (int i = 0; i < 6; ++i) checked += window.Actions().Action(browse::ArrangeCommand(i))->isChecked();
  QCOMPARE(checked, 1);
  QVERIFY(window.Actions().Action(Command::kArrangeSizeDescending)->isChecked());
  QCOMPARE(window.VolumesModel()->index(0, 0).data().toString(), QStringLiteral("Beta"));
}

void MainWindowTest::aRefusedDirectoryKeepsTheOldOne() {
  Fixture fixture;
  fixture.WriteVolume("a.vkt", "Alpha");
  MainWindow& window = fixture.Open();
  std::string before = fixture.settings->VolumeDirectory();
  ::volumist::testing::WriteFileBytes(fixture.dir.File("plain"), "not a folder");
  std::string tooLong = fixture.dir.path();
  while (tooLong.size() < 520) tooLong += "/" + std::string(120, 'x');
  std::filesystem::create_directories(tooLong);
  struct Case {
    const char* name;
    std::string path;
  } cases[] = {{"a plain file", fixture.dir.File("plain")}, {"missing", fixture.dir.File("gone")}, {"too long", tooLong}};
  for (const Case& c : cases) {
    fixture.prompter.entries.clear();
    fixture.folders.answers = {c.path};
    window.Run(Command::kChangeDirectory);
    QVERIFY2(fixture.prompter.Errors() == std::vector<std::string>{browse::text::kDirectoryNotUsable}, c.name);
    QCOMPARE(fixture.settings->VolumeDirectory(), before);
    QCOMPARE(window.VolumesModel()->rowCount(), 1);
  }
  QCOMPARE(fixture.folders.lastPrompt, QStringLiteral("Current folder is:"));
  QCOMPARE(fixture.folders.lastInitial, before);

  // A good folder is taken, from the button as from the menu, and its list shown.
  std::string other = fixture.dir.File("other");
  std::filesystem::create_directory(other);
  fixture.prompter.entries.clear();
  fixture.folders.answers = {other};
  window.Volumes()->DirectoryButton()->click();
  QVERIFY(fixture.prompter.entries.empty());
  QCOMPARE(fixture.settings->VolumeDirectory(), other);
  QCOMPARE(window.VolumesModel()->rowCount(), 0);
}

void MainWindowTest::renameRefusesNamesLongerThanTheField() {
  Fixture fixture;
  std::string a = fixture.WriteVolume("a.vkt", "Alpha");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(a);
  fixture.dialogs.scripts.push_back([&](QDialog& dialog) {
    auto& rename = static_cast<CDialogRenameVolume&>(dialog);
    QCOMPARE(rename.NameField()->text(), QStringLiteral("Alpha"));
    QCOMPARE(rename.NameField()->maxLength(), 32767);  // nothing is cut while typing
    rename.NameField()->setText(QString(128, QChar(0xE4)));  // 256 bytes in UTF-8
    rename.accept();
    QCOMPARE(rename.result(), int(QDialog::Rejected));  // still open
    QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{messages::kVolumeNameTooLong});
    rename.NameField()->setText(QString(127, QChar(0xE4)) + "z");  // 255 bytes
    rename.accept();
  });
  window.Run(Command::kRenameVolume);
  QCOMPARE(fixture.dialogs.runs, 1);
  std::string expected;
  for (int i = 0; i < 127; ++i) expected += "\xC3\xA4";
  expected += "z";
  QCOMPARE(window.LoadedVolume()->Header().volumeName, expected);
  QCOMPARE(window.VolumesModel()->index(0, 0).data().toString(), QString(127, QChar(0xE4)) + "z");
}

void MainWindowTest::loadingAnotherVolumeAsksAndAFailedSaveKeepsTheOld() {
  Fixture fixture;
  std::string a = fixture.WriteVolume("a.vkt", "Alpha");
  std::string b = fixture.WriteVolume("b.vkt", "Beta");
  MainWindow& window = fixture.Open();
  fixture.ChooseVolume(a);
  QVERIFY(window.SetDescription(0, "pending"));
  fixture.faults.failRename = true;
  fixture.prompter.answers = {true};
  fixture.ChooseVolume(b);
  QCOMPARE(fixture.prompter.Questions(), std::vector<std::string>{messages::kSaveDescriptionsQuestion});
  QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{messages::kCantSaveDescriptions});
  QCOMPARE(window.LoadedVolume()->VolumeFilePath(), a);
  QVERIFY(window.LoadedVolume()->HasPendingDescriptions());
  QCOMPARE(window.Volumes()->SelectedRow(), window.VolumesModel()->RowOfPath(a));

  // "No" lets the old volume go without its edits.
  fixture.faults.failRename = false;
  fixture.prompter.answers = {false};
  fixture.ChooseVolume(b);
  QCOMPARE(window.LoadedVolume()->VolumeFilePath(), b);
  VolumeCatalog reread(fixture.faults, fixture.prompter);
  QVERIFY(reread.OpenVolume(a));
  QVERIFY(!reread.GetDescription(0).has_value());
  QCOMPARE(fixture.prompter.unexpectedQuestions, 0);
}

void MainWindowTest::closingWithPendingEditsAndAFailedSaveKeepsTheWindow() {
  Fixture fixture;
  std::string a = fixture.WriteVolume("a.vkt", "Alpha");
  MainWindow& window = fixture.Open();
  window.show();
  fixture.ChooseVolume(a);
  // An edit in the description pane becomes pending when the pane loses the focus.
  window.Browse()->DescriptionPane()->setPlainText("typed");
  window.Browse()->CommitDescription();
  QVERIFY(window.Actions().Action(Command::kApply)->isEnabled());
  QVERIFY(window.Actions().Action(Command::kUndo)->isEnabled());
  fixture.faults.failRename = true;
  fixture.prompter.answers = {true};
  QVERIFY(!window.close());
  QVERIFY(window.isVisible());
  QVERIFY(window.LoadedVolume()->HasPendingDescriptions());
  QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{messages::kCantSaveDescriptions});
  // Undo drops the edits; then the window closes without a question.
  window.Run(Command::kUndo);
  QVERIFY(!window.Actions().Action(Command::kApply)->isEnabled());
  QCOMPARE(window.Browse()->DescriptionPane()->toPlainText(), QString());
  fixture.prompter.entries.clear();
  QVERIFY(window.close());
  QVERIFY(fixture.prompter.entries.empty());
}

void MainWindowTest::minimisingWithoutATrayDoesNotHide() {
  Fixture fixture;
  fixture.trayAvailable = false;
  MainWindow& window = fixture.Open();
  window.show();
  window.showMinimized();
  QTest::qWait(50);
  QVERIFY(window.isVisible());
  QVERIFY(!window.Tray()->InTray());
}

void MainWindowTest::minimisingWithATrayHidesUntilRestored() {
  Fixture fixture;
  fixture.trayAvailable = true;
  MainWindow& window = fixture.Open();
  window.show();
  window.showMinimized();
  QTRY_VERIFY(!window.isVisible());
  QVERIFY(window.Tray()->InTray());
  QCOMPARE(window.Tray()->Icon()->toolTip(), QStringLiteral("Zarn Volumist 1.6 Release "));
  QCOMPARE(window.Tray()->Menu()->actions().first()->text(), QStringLiteral("Restore"));
  // A click on the icon shows the window again.
  emit window.Tray()->Icon()->activated(QSystemTrayIcon::Trigger);
  QVERIFY(window.isVisible());
  QVERIFY(!window.Tray()->InTray());
  window.showMinimized();
  QTRY_VERIFY(!window.isVisible());
  window.Tray()->Menu()->actions().first()->trigger();
  QVERIFY(window.isVisible());
}

void MainWindowTest::settingsAreWrittenAtExit() {
  ::volumist::testing::TempDir dir;
  volumist::ui::testing::UiRecordingPrompter prompter;
  volumist::ui::testing::ScriptedDialogs dialogs;
  volumist::ui::testing::ScriptedFolders folders;
  WindowServices services;
  services.fileSystem = &platform::FileSystem::Default();
  services.prompter = &prompter;
  services.dialogs = &dialogs;
  services.folderChooser = &folders;
  services.trayAvailable = [] { return false; };
  SettingsLocations locations{dir.File("config"), dir.File("volumes")};
  {
    ProgramSession session(platform::FileSystem::Default(), locations, std::move(services));
    QVERIFY(session.Settings().ShowSplash);  // the default when there is no file
    session.Window().Start();
    QVERIFY(session.Window().Splash() != nullptr);
    QVERIFY(session.Window().Splash()->isVisible());
    dialogs.scripts.push_back([](QDialog& dialog) {
      static_cast<CDialog_Options&>(dialog).General()->SplashItem()->setCheckState(Qt::Unchecked);
      dialog.accept();
    });
    session.Window().Run(Command::kOptions);
    QVERIFY(session.Window().close());
    QVERIFY(session.Finish());
  }
  std::string bytes = ::volumist::testing::ReadFileBytes(dir.File("config/configuration.cfg"));
  QCOMPARE(bytes.size(), size_t{605});
  QCOMPARE(bytes.substr(0, 12), std::string("QVCT-CONFIGa"));
  QCOMPARE(static_cast<uint8_t>(bytes[config_format::kGeneralSwitchesOffset]) & 0x5, 0x1);  // tooltips, no splash
}

VOLUMIST_UI_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
