// The "Find duplicates" dialog over the real window: the groups of three volumes with known copies
// (testing/duplicate_volumes.h) as group rows and file rows, the scope and options, a size that is
// not one, closing while the search runs, and the jump to a file of a group (in a folder, and
// inside a listed archive) in the main window.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "browse/duplicates_rules.h"
#include "testing/duplicate_volumes.h"
#include "ui/bridge/text.h"
#include "ui/browse_pane.h"
#include "ui/dialogs/duplicates_dialog.h"
#include "ui/item_list.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using Fixture = volumist::ui::testing::WindowFixture;

namespace {

// Runs the dialog from the command with `script` as the user's doing.
void RunDuplicates(Fixture& fixture, const std::function<void(DuplicatesDialog&)>& script) {
  fixture.dialogs.scripts.push_back([script](QDialog& dialog) {
    auto* duplicates = qobject_cast<DuplicatesDialog*>(&dialog);
    QVERIFY(duplicates != nullptr);
    script(*duplicates);
  });
  fixture.window->Run(Command::kFindDuplicates);
}

bool FindAndWait(DuplicatesDialog& dialog) {
  QSignalSpy finished(&dialog, &DuplicatesDialog::SearchFinished);
  dialog.StartSearch();
  return finished.wait(20000);
}

// Each group as "caption: volume path, volume path", from the model's rows.
std::vector<std::string> Shown(const DuplicatesModel& model) {
  std::vector<std::string> groups;
  for (int g = 0; g < model.rowCount(); ++g) {
    const QModelIndex group = model.index(g, DuplicatesModel::kPath);
    std::string text = ToBytes(group.data().toString()) + ":";
    for (int m = 0; m < model.rowCount(group); ++m) {
      text += " " + ToBytes(model.index(m, DuplicatesModel::kVolume, group).data().toString()) + " " +
              ToBytes(model.index(m, DuplicatesModel::kPath, group).data().toString());
    }
    groups.push_back(text);
  }
  return groups;
}

// The index of the file row whose path column reads `path`.
QModelIndex FileRow(const DuplicatesModel& model, const QString& path) {
  for (int g = 0; g < model.rowCount(); ++g) {
    const QModelIndex group = model.index(g, 0);
    for (int m = 0; m < model.rowCount(group); ++m) {
      const QModelIndex file = model.index(m, DuplicatesModel::kPath, group);
      if (file.data().toString() == path) return file;
    }
  }
  return {};
}

std::vector<std::string> ChainNames(BrowsePane& pane) {
  std::vector<std::string> names;
  for (const ChainLink& link : pane.CurrentChain()) names.push_back(link.name);
  return names;
}

}  // namespace

class DuplicatesDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }

  // The groups of the three volumes as the core finds them, largest first, each with its rule; a
  // name that is not UTF-8 shown with a replacement character.
  void ShowsTheGroupsOfAllVolumes() {
    Fixture fixture;
    fixture.Open();
    SilentPrompter quiet;
    QCOMPARE(::volumist::testing::WriteDuplicateVolumes(fixture.volumeDirectory, quiet).size(), size_t{3});
    fixture.window->Run(Command::kRefreshVolumes);
    bool ran = false;
    RunDuplicates(fixture, [&](DuplicatesDialog& dialog) {
      QAbstractItemModelTester tester(dialog.Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
      QVERIFY(dialog.FindButton()->isEnabled());
      QVERIFY(!dialog.StopButton()->isEnabled());
      QVERIFY(!dialog.JumpButton()->isEnabled());
      QVERIFY(FindAndWait(dialog));
      ran = true;
      const std::vector<std::string> expected = {
          "Same content (MD5 " + DigestHex(::volumist::testing::ContentOf("report").md5).substr(0, 8) +
              "...), 2 files: Alpha Source0/Docs/report.pdf Beta backup/rep-copy.pdf",
          "Same content (MD5 " + DigestHex(::volumist::testing::ContentOf("photo").md5).substr(0, 8) +
              "...), 3 files: Alpha Source0/Photos/img1.jpg Beta photo.jpg Gamma img-copy.jpg",
          "Same content (MD5 " + DigestHex(::volumist::testing::ContentOf("twice").md5).substr(0, 8) +
              "...), 2 files: Gamma twice1.dat Gamma sub/twice2.dat",
          "Same content (MD5 " + DigestHex(::volumist::testing::ContentOf("latin1").md5).substr(0, 8) +
              "...), 2 files: Alpha Source0/caf\uFFFD.txt Gamma sub/latin.txt",
          "Same name and size (no signatures), 2 files: Alpha Source0/notes.txt Beta notes.txt",
          "Same content (MD5 " + DigestHex(::volumist::testing::ContentOf("inner").md5).substr(0, 8) +
              "...), 2 files: Alpha Source0/pack.zip/inner.txt  (archive member) Beta inner-copy.txt",
      };
      QCOMPARE(Shown(*dialog.Model()), expected);
      QCOMPARE(ToBytes(dialog.Status()->text()), browse::SummaryText(6, 13, 5000 + 2 * 3000 + 600 + 450 + 100 + 40));
      QVERIFY(dialog.FindButton()->isEnabled());
      QVERIFY(!dialog.StopButton()->isEnabled());
      // A file's row enables the jump; a group's row does not.
      dialog.Results()->setCurrentIndex(dialog.Model()->index(0, 0));
      QVERIFY(!dialog.JumpButton()->isEnabled());
      dialog.Results()->setCurrentIndex(dialog.Model()->index(1, 0, dialog.Model()->index(0, 0)));
      QVERIFY(dialog.JumpButton()->isEnabled());
      dialog.reject();
    });
    QVERIFY(ran);
    QVERIFY(fixture.prompter.Errors().empty());
  }

  // The options of the form reach the search: the rule, the smallest size, copies on one volume,
  // the selected volume alone; a size that is not one is refused with its message.
  void OptionsAndScope() {
    Fixture fixture;
    fixture.Open();
    SilentPrompter quiet;
    const std::vector<std::string> paths = ::volumist::testing::WriteDuplicateVolumes(fixture.volumeDirectory, quiet);
    QCOMPARE(paths.size(), size_t{3});
    fixture.window->Run(Command::kRefreshVolumes);
    fixture.ChooseVolume(paths[2]);  // Gamma
    const struct {
      const char* name;
      int compare;  // the entry of the combo box
      const char* size;
      bool within;
      bool selectedOnly;
      int groups;
    } cases[] = {
        {"content only", 1, "1", false, false, 5},
        {"name and size", 2, "1", false, false, 3},
        {"from 1K on", 0, "1K", false, false, 2},
        {"zero-byte files too", 0, "0", false, false, 7},
        {"same volume only", 0, "1", true, false, 1},
        {"the selected volume", 0, "1", false, true, 1},
    };
    for (const auto& c : cases) {
      RunDuplicates(fixture, [&](DuplicatesDialog& dialog) {
        QVERIFY2(dialog.SelectedVolumeOnly()->isEnabled(), c.name);
        dialog.Compare()->setCurrentIndex(c.compare);
        dialog.MinimumSize()->setText(QString::fromLatin1(c.size));
        dialog.WithinVolume()->setChecked(c.within);
        dialog.SelectedVolumeOnly()->setChecked(c.selectedOnly);
        QVERIFY2(FindAndWait(dialog), c.name);
        QVERIFY2(dialog.Model()->GroupCount() == static_cast<size_t>(c.groups), c.name);
        dialog.reject();
      });
    }
    RunDuplicates(fixture, [&](DuplicatesDialog& dialog) {
      dialog.MinimumSize()->setText(QStringLiteral("ten"));
      dialog.StartSearch();
      QVERIFY(!dialog.Searching());
      dialog.reject();
    });
    QCOMPARE(fixture.prompter.Errors(), std::vector<std::string>{browse::duplicates_text::kBadSize});
  }

  // Closing while the search runs stops it and waits; the posted end is dropped with the dialog.
  void CloseWhileSearching() {
    Fixture fixture;
    fixture.Open();
    SilentPrompter quiet;
    QCOMPARE(::volumist::testing::WriteDuplicateVolumes(fixture.volumeDirectory, quiet).size(), size_t{3});
    fixture.window->Run(Command::kRefreshVolumes);
    RunDuplicates(fixture, [&](DuplicatesDialog& dialog) {
      dialog.StartSearch();
      dialog.reject();
      QVERIFY(!dialog.Searching());
      QVERIFY(dialog.FindButton() != nullptr);
    });
    QTest::qWait(50);  // the posted end, if any, reaches a dialog that is gone
    QVERIFY(fixture.prompter.Errors().empty());
  }

  // "Jump" loads the file's volume and selects its row, in a folder and inside a listed archive.
  void JumpSelectsTheFileInTheWindow() {
    const struct {
      const char* path;
      const char* volume;
      std::vector<std::string> folder;
      const char* item;
    } cases[] = {
        {"backup/rep-copy.pdf", "Beta", {"backup"}, "rep-copy.pdf"},
        {"Source0/pack.zip/inner.txt  (archive member)", "Alpha", {"Source0", "pack.zip"}, "inner.txt"},
        {"sub/twice2.dat", "Gamma", {"sub"}, "twice2.dat"},
    };
    for (const auto& c : cases) {
      Fixture fixture;
      fixture.Open();
      fixture.window->show();
      SilentPrompter quiet;
      QCOMPARE(::volumist::testing::WriteDuplicateVolumes(fixture.volumeDirectory, quiet).size(), size_t{3});
      fixture.window->Run(Command::kRefreshVolumes);
      bool selected = false;
      RunDuplicates(fixture, [&](DuplicatesDialog& dialog) {
        QVERIFY(FindAndWait(dialog));
        const QModelIndex row = FileRow(*dialog.Model(), QString::fromUtf8(c.path));
        selected = row.isValid();
        if (!selected) return;
        dialog.Results()->setCurrentIndex(row);
        dialog.JumpToCurrent();
      });
      QVERIFY2(selected, c.path);
      QVERIFY2(fixture.prompter.Errors().empty(), c.path);
      QCOMPARE(fixture.window->LoadedVolume()->Header().volumeName, std::string(c.volume));
      BrowsePane* pane = fixture.window->Browse();
      QCOMPARE(ChainNames(*pane), c.folder);
      const browse::ItemRow* row = pane->FileList()->CurrentRow();
      QVERIFY2(row != nullptr && row->name == c.item, c.path);
    }
  }
};

VOLUMIST_UI_TEST_MAIN(DuplicatesDialogTest)
#include "duplicates_dialog_test.moc"
