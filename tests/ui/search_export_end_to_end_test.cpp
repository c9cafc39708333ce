// From a description to the exported document: describe a file, apply, search every volume for the
// description, jump to the file found, export its volume and read the document with an XML parser.
// A second run leaves the description pending: the search finds it all the same.
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QXmlStreamReader>
#include <functional>

#include "browse/search_dialog_rules.h"
#include "testing/volume_fixture.h"
#include "ui/bridge/text.h"
#include "ui/browse_pane.h"
#include "ui/dialogs/export_dialog.h"
#include "ui/dialogs/search_dialog.h"
#include "ui/item_list.h"
#include "ui/item_list_model.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using Fixture = volumist::ui::testing::WindowFixture;
using ::volumist::testing::MemoryNode;
using ::volumist::testing::MemorySource;

namespace {

std::string WriteVolume(Fixture& fixture, const std::string& fileName, const std::string& volumeName) {
  MemorySource drive;
  drive.children = {MemoryNode::Folder("Docs", {MemoryNode::File("note", ".txt", 10), MemoryNode::File("other", ".txt", 5)}),
                    MemoryNode::File("top", ".txt", 3)};
  ScanJob job = ::volumist::testing::MakeJob(fixture.volumeDirectory + "/" + fileName, volumeName, {false});
  SilentPrompter quiet;
  if (!::volumist::testing::WriteVolume(job, {drive}, quiet)) qWarning("could not write %s", fileName.c_str());
  return job.volumeFileName;
}

int RowOf(ItemList& list, const std::string& name) {
  for (int i = 0; i < list.Model()->rowCount(); ++i) {
    if (list.Model()->RowAt(i)->name == name) return i;
  }
  return -1;
}

// The DESCRIPTION attribute of the FILE element named `name`; nothing when there is none or the
// document is not well-formed.
std::optional<std::string> ExportedDescription(const std::string& path, const std::string& name) {
  QFile file(ToQString(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QXmlStreamReader reader(&file);
  std::optional<std::string> found;
  while (!reader.atEnd()) {
    reader.readNext();
    if (reader.isStartElement() && reader.name() == QLatin1String("FILE") &&
        reader.attributes().value(QLatin1String("NAME")) == ToQString(name)) {
      found = reader.attributes().value(QLatin1String("DESCRIPTION")).toString().toStdString();
    }
  }
  if (reader.hasError()) return std::nullopt;
  return found;
}

}  // namespace

class SearchExportEndToEndTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }

  void DescribeSearchJumpExport_data() {
    QTest::addColumn<bool>("apply");
    QTest::newRow("applied") << true;
    QTest::newRow("pending") << false;
  }

  void DescribeSearchJumpExport() {
    QFETCH(bool, apply);
    Fixture fixture;
    fixture.Open();
    fixture.window->show();
    const std::string alpha = WriteVolume(fixture, "alpha.vkt", "Alpha");
    const std::string beta = WriteVolume(fixture, "beta.vkt", "Beta");
    fixture.window->Run(Command::kRefreshVolumes);
    fixture.ChooseVolume(beta);

    // Describe Source0\Docs\note.txt of Beta.
    BrowsePane* pane = fixture.window->Browse();
    ItemList* list = pane->FileList();
    const int docsRow = RowOf(*list, "Docs");
    QVERIFY(docsRow >= 0);
    pane->ActivateRow(docsRow);
    list->SelectRow(RowOf(*list, "note.txt"));
    pane->RefreshPanes();
    pane->DescriptionPane()->setFocus();
    QTest::keyClicks(pane->DescriptionPane(), QStringLiteral("holiday receipt"));
    pane->CommitDescription();
    if (apply) fixture.window->Run(Command::kApply);
    QCOMPARE(fixture.window->LoadedVolume()->HasPendingDescriptions(), !apply);
    // Away from the file, to the top of the volume.
    fixture.window->Run(Command::kRoot);

    // Every volume, with descriptions, for the description's word.
    int found = -1;
    RunSearch(fixture, [&](SearchDialog& dialog) {
      QVERIFY(dialog.AllVolumesBox()->isChecked());
      dialog.MaskField()->setText(QStringLiteral("*"));
      dialog.OptionList()->item(static_cast<int>(browse::SearchOption::kGetDescriptions))->setCheckState(Qt::Checked);
      dialog.SizeTimePage()->DescriptionField()->setText(QStringLiteral("receipt"));
      QSignalSpy finished(&dialog, &SearchDialog::SearchFinished);
      dialog.StartSearch();
      QVERIFY(finished.wait(20000));
      found = dialog.Results()->Model()->rowCount();
      if (found != 1) return;
      const browse::ItemRow* row = dialog.Results()->Model()->RowAt(0);
      QCOMPARE(row->name, std::string("note.txt"));
      QCOMPARE(row->volume->name, std::string("Beta"));
      QCOMPARE(row->description, std::string("holiday receipt"));
      dialog.Results()->SelectRow(0);
      dialog.Jump();
    });
    QCOMPARE(found, 1);
    QVERIFY(fixture.prompter.Errors().empty());
    QCOMPARE(fixture.window->LoadedVolume()->Header().volumeName, std::string("Beta"));
    QVERIFY(pane->SelectedRow() != nullptr);
    QCOMPARE(pane->SelectedRow()->name, std::string("note.txt"));

    // The whole volume as XML; the description is in it.
    const std::string output = fixture.dir.path() + "/beta.xml";
    fixture.files.saveAnswers.push_back(output);
    fixture.dialogs.scripts.push_back([](QDialog& dialog) {
      auto* exportDialog = qobject_cast<CDialog_Export*>(&dialog);
      QVERIFY(exportDialog != nullptr);
      // Values as attributes: <FILE NAME="..." ... DESCRIPTION="...">.
      exportDialog->XmlPage()->AttributesRadio()->setChecked(true);
      exportDialog->Confirm();
    });
    fixture.window->Run(Command::kExportVolume);
    QVERIFY(QTest::qWaitFor([&] { return !fixture.window->IsExporting(); }, 20000));
    QCOMPARE(fixture.files.lastSaveInitial, fixture.volumeDirectory + "/Beta.xml");
    QCOMPARE(ExportedDescription(output, "note.txt"), std::optional<std::string>("holiday receipt"));
    QCOMPARE(ExportedDescription(output, "other.txt"), std::optional<std::string>(""));
    QVERIFY(fixture.prompter.Errors().empty());
    // The pending description is dropped when the window closes.
    if (!apply) fixture.prompter.answers.push_back(false);
  }

 private:
  static void RunSearch(Fixture& fixture, const std::function<void(SearchDialog&)>& script) {
    fixture.dialogs.scripts.push_back([script](QDialog& dialog) {
      auto* search = qobject_cast<SearchDialog*>(&dialog);
      QVERIFY(search != nullptr);
      script(*search);
    });
    fixture.window->Run(Command::kSearchAllVolumes);
  }
};

VOLUMIST_UI_TEST_MAIN(SearchExportEndToEndTest)
#include "search_export_end_to_end_test.moc"
