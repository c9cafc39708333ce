// The window opening a volume file named on its command line (as the desktop does for a .vkt file),
// and finding its help page in the build folder or in an installed copy's data folder.
#include <QAbstractItemModelTester>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "browse/locate_item.h"
#include "browse/messages.h"
#include "catalog/messages.h"
#include "testing/memory_tree.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using Fixture = volumist::ui::testing::WindowFixture;

namespace {

bool SameFolder(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

// The volume name of the list's selected row ("" when none is selected).
QString SelectedName(MainWindow& window) {
  int row = window.Volumes()->SelectedRow();
  return row < 0 ? QString() : window.VolumesModel()->index(row, 0).data().toString();
}

std::string WriteVolumeAt(const std::string& path, const std::string& name) {
  ::volumist::testing::MemorySource source;
  source.children.push_back(::volumist::testing::MemoryNode::File("only", ".txt", 42));
  SilentPrompter quiet;
  if (!::volumist::testing::WriteVolume(::volumist::testing::MakeJob(path, name, {true}), {source}, quiet)) {
    qWarning("could not write %s", path.c_str());
  }
  return path;
}

}  // namespace

class OpenVolumeFileTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void aFileOfTheActiveDirectoryIsLoadedAndSelected();
  void aFileElsewhereMakesItsFolderTheActiveDirectory();
  void whatIsNoVolumeChangesNothing();
  void helpIsFoundInTheFirstDataFolderThatHoldsIt();
};

void OpenVolumeFileTest::aFileOfTheActiveDirectoryIsLoadedAndSelected() {
  Fixture fixture;
  fixture.WriteVolume("a.vkt", "Alpha");
  std::string beta = fixture.WriteVolume("b.vkt", "Beta");
  MainWindow& window = fixture.Open();
  QAbstractItemModelTester tester(window.VolumesModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QVERIFY(window.OpenVolumeFile(beta));
  QVERIFY(window.LoadedVolume() != nullptr);
  QCOMPARE(window.LoadedVolume()->VolumeFilePath(), beta);
  QCOMPARE(SelectedName(window), QStringLiteral("Beta"));
  QVERIFY(SameFolder(fixture.settings->VolumeDirectory(), fixture.volumeDirectory));
  QCOMPARE(window.VolumesModel()->rowCount(), 2);
  // A name relative to the current directory, spelt through "..", is the same file.
  {
    ::volumist::testing::CurrentDirectoryGuard here(fixture.volumeDirectory);
    std::filesystem::path folder = std::filesystem::path(fixture.volumeDirectory).filename();
    QVERIFY(window.OpenVolumeFile("../" + folder.string() + "/a.vkt"));
  }
  QCOMPARE(SelectedName(window), QStringLiteral("Alpha"));
  QVERIFY(SameFolder(fixture.settings->VolumeDirectory(), fixture.volumeDirectory));
  QVERIFY(fixture.prompter.entries.empty());
}

void OpenVolumeFileTest::aFileElsewhereMakesItsFolderTheActiveDirectory() {
  Fixture fixture;
  fixture.WriteVolume("a.vkt", "Alpha");
  std::filesystem::create_directories(fixture.dir.File("old disks"));
  WriteVolumeAt(fixture.dir.File("old disks/one.vkt"), "One");
  std::string two = WriteVolumeAt(fixture.dir.File("old disks/two.vkt"), "Two");
  MainWindow& window = fixture.Open();
  QAbstractItemModelTester tester(window.VolumesModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QVERIFY(window.OpenVolumeFile(two));
  QCOMPARE(window.LoadedVolume()->VolumeFilePath(), two);
  QVERIFY(SameFolder(fixture.settings->VolumeDirectory(), fixture.dir.File("old disks")));
  // The list shows the volume among its neighbours, selected.
  QCOMPARE(window.VolumesModel()->rowCount(), 2);
  QCOMPARE(window.VolumesModel()->index(0, 0).data().toString(), QStringLiteral("One"));
  QCOMPARE(SelectedName(window), QStringLiteral("Two"));
  QVERIFY(fixture.prompter.entries.empty());
}

void OpenVolumeFileTest::whatIsNoVolumeChangesNothing() {
  Fixture fixture;
  std::string alpha = fixture.WriteVolume("a.vkt", "Alpha");
  std::filesystem::create_directories(fixture.dir.File("elsewhere/folder.vkt"));
  std::ofstream(fixture.dir.File("elsewhere/text.vkt")) << "not a volume at all, just some text";
  std::ofstream(fixture.dir.File("elsewhere/empty.vkt"));
  MainWindow& window = fixture.Open();
  QVERIFY(window.OpenVolumeFile(alpha));
  struct Case {
    std::string path;
    const char* why;
  };
  const Case cases[] = {
      {fixture.dir.File("elsewhere/missing.vkt"), "a missing file"},
      {fixture.dir.File("elsewhere/folder.vkt"), "a folder"},
      {fixture.dir.File("elsewhere/text.vkt"), "a text file"},
      {fixture.dir.File("elsewhere/empty.vkt"), "an empty file"},
  };
  for (const Case& c : cases) {
    fixture.prompter.entries.clear();
    QVERIFY2(!window.OpenVolumeFile(c.path), c.why);
    // One message, the same for every kind of file that is no readable volume.
    QTRY_COMPARE(fixture.prompter.Errors().size(), size_t{1});
    QVERIFY2(fixture.prompter.Errors().front() == messages::kCouldNotOpenForRead, c.why);
    // The loaded volume and the active directory stay.
    QVERIFY2(window.LoadedVolume() != nullptr, c.why);
    QCOMPARE(window.LoadedVolume()->VolumeFilePath(), alpha);
    QVERIFY2(SameFolder(fixture.settings->VolumeDirectory(), fixture.volumeDirectory), c.why);
    QCOMPARE(SelectedName(window), QStringLiteral("Alpha"));
  }
}

void OpenVolumeFileTest::helpIsFoundInTheFirstDataFolderThatHoldsIt() {
  struct Case {
    std::vector<const char*> holding;  // the data folders that hold help.htm
    const char* opened;                // the one opened; null: none, an error instead
  };
  const Case cases[] = {
      {{"bin", "share/zarn-volumist"}, "bin"},
      {{"share/zarn-volumist"}, "share/zarn-volumist"},
      {{}, nullptr},
  };
  for (const Case& c : cases) {
    Fixture fixture;
    for (const char* folder : {"bin", "share/zarn-volumist"}) std::filesystem::create_directories(fixture.dir.File(folder));
    for (const char* folder : c.holding) std::ofstream(fixture.dir.File(std::string(folder) + "/help.htm")) << "<html></html>";
    // A folder named help.htm is no page.
    if (c.holding.empty()) std::filesystem::create_directories(fixture.dir.File("bin/help.htm"));
    fixture.dataFolders = {fixture.dir.File("bin"), fixture.dir.File("share/zarn-volumist")};
    MainWindow& window = fixture.Open();
    window.Run(Command::kHelp);
    if (c.opened == nullptr) {
      QVERIFY(fixture.launcher.opened.empty());
      QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{messages::kOperationUnsuccessful});
    } else {
      QCOMPARE(fixture.launcher.opened,
               std::vector<std::string>{browse::FileUrl(fixture.dir.File(std::string(c.opened) + "/help.htm"))});
      QVERIFY(fixture.prompter.entries.empty());
    }
  }
}

VOLUMIST_UI_TEST_MAIN(OpenVolumeFileTest)
#include "open_volume_file_test.moc"
