// The export dialog over the real window: the choice each command presets, the column list's
// buttons, the ROOT message, the document written for the loaded volume (read back with an XML
// parser), and a failing output that shows the exporter's own message and nothing else.
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QXmlStreamReader>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <functional>
#include <set>

#include "browse/export_dialog_rules.h"
#include "browse/folder_listing.h"
#include "export/messages.h"
#include "export/xml_exporter.h"
#include "testing/volume_fixture.h"
#include "ui/bridge/text.h"
#include "ui/browse_pane.h"
#include "ui/dialogs/export_dialog.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using Fixture = volumist::ui::testing::WindowFixture;
using ::volumist::testing::MemoryNode;
using ::volumist::testing::MemorySource;

namespace {

// A volume of one drive source: Docs/{note.txt, Deep/inner.txt}, top.txt.
std::string WriteSmallVolume(Fixture& fixture, const std::string& fileName, const std::string& volumeName) {
  MemorySource drive;
  drive.children = {MemoryNode::Folder("Docs", {MemoryNode::File("note", ".txt", 10),
                                                MemoryNode::Folder("Deep", {MemoryNode::File("inner", ".txt", 4)})}),
                    MemoryNode::File("top", ".txt", 3)};
  ScanJob job = ::volumist::testing::MakeJob(fixture.volumeDirectory + "/" + fileName, volumeName, {false});
  SilentPrompter quiet;
  if (!::volumist::testing::WriteVolume(job, {drive}, quiet)) qWarning("could not write %s", fileName.c_str());
  return job.volumeFileName;
}

constexpr int64_t kSampleTime = 1262304000;  // 01.01.2010 00:00 UTC
// The volume file's own time: 02.01.2010 03:04 UTC.
constexpr int64_t kSampleFileTime = kSampleTime + 86400 + 3 * 3600 + 4 * 60;

// A volume of one folder source: Docs/note.txt (described), top.txt (with a CRC), every time fixed,
// the volume file's own time too.
std::string WriteSampleVolume(Fixture& fixture) {
  MemorySource folder;
  MemoryNode top = MemoryNode::File("top", ".txt", 3, kSampleTime + 60);
  top.hasSignatures = true;
  top.signatures.hasCrc32 = true;
  top.signatures.crc32 = 0x00C0FFEE;
  folder.children = {MemoryNode::Folder("Docs", {MemoryNode::File("note", ".txt", 10, kSampleTime)}), top};
  ScanJob job = ::volumist::testing::MakeJob(fixture.volumeDirectory + "/sample.vkt", "Sample <1>", {true});
  SilentPrompter quiet;
  if (!::volumist::testing::WriteVolume(job, {folder}, quiet)) qWarning("could not write the sample volume");
  {
    VolumeCatalog volume(platform::FileSystem::Default(), quiet);
    std::optional<ContentItem> note;
    if (!volume.OpenVolume(job.volumeFileName) ||
        !(note = ::volumist::testing::FindItem(volume, {"Source0", "Docs", "note.txt"})) ||
        !volume.SetDescription(note->DescriptionKey(), "first & only") || !volume.SaveDescriptions()) {
      qWarning("could not describe the sample volume");
    }
  }
  std::error_code error;
  std::filesystem::last_write_time(
      job.volumeFileName,
      std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(kSampleFileTime))), error);
  if (error) qWarning("could not set the sample volume's time");
  return job.volumeFileName;
}

// Local time is UTC while it lives.
class UtcZone {
 public:
  UtcZone() : old_(qgetenv("TZ")) {
    qputenv("TZ", "UTC");
    tzset();
  }
  ~UtcZone() {
    if (old_.isNull()) {
      qunsetenv("TZ");
    } else {
      qputenv("TZ", old_);
    }
    tzset();
  }
  UtcZone(const UtcZone&) = delete;
  UtcZone& operator=(const UtcZone&) = delete;

 private:
  QByteArray old_;
};

// The window over the small volume, loaded.
struct Loaded {
  Loaded() {
    fixture.Open();
    fixture.window->show();
    path = WriteSmallVolume(fixture, "small.vkt", "Small");
    fixture.window->Run(Command::kRefreshVolumes);
    fixture.ChooseVolume(path);
  }
  Fixture fixture;
  std::string path;
};

void RunExport(Fixture& fixture, Command command, const std::function<void(CDialog_Export&)>& script) {
  fixture.dialogs.scripts.push_back([script](QDialog& dialog) {
    auto* exportDialog = qobject_cast<CDialog_Export*>(&dialog);
    QVERIFY(exportDialog != nullptr);
    script(*exportDialog);
  });
  fixture.window->Run(command);
  // The document is written on a worker; its messages and its end are posted to this thread.
  QVERIFY(QTest::qWaitFor([&] { return !fixture.window->IsExporting(); }, 20000));
}

// The names of the document's files, in either form of its values, or nothing when the XML parser
// finds the document not well-formed.
std::optional<std::multiset<std::string>> FileNames(const std::string& path) {
  QFile file(ToQString(path));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QXmlStreamReader reader(&file);
  std::multiset<std::string> names;
  // Attribute form: <FILE NAME="...">; element form: <ITEM Type="File"><NAME>...</NAME>.
  bool inFileItem = false;
  while (!reader.atEnd()) {
    reader.readNext();
    if (!reader.isStartElement()) continue;
    if (reader.name() == QLatin1String("FILE")) {
      names.insert(reader.attributes().value(QLatin1String("NAME")).toString().toStdString());
    } else if (reader.name() == QLatin1String("ITEM")) {
      inFileItem = reader.attributes().value(QLatin1String("Type")) == QLatin1String("File");
    } else if (inFileItem && reader.name() == QLatin1String("NAME")) {
      names.insert(reader.readElementText().toStdString());
      inFileItem = false;
    }
  }
  if (reader.hasError()) return std::nullopt;
  return names;
}

// The names of the files below folder `key` of `volume` (with subfolders), as the browsing lists them.
void ListFiles(VolumeCatalog& volume, RecordKey key, bool subfolders, std::multiset<std::string>& names) {
  std::optional<browse::FolderListing> listing = browse::ReadFolderListing(volume, key);
  if (!listing) return;
  for (const browse::ItemRow& row : listing->rows) {
    if (row.kind == browse::RowKind::kFile) names.insert(row.name);
    if (subfolders && (row.kind == browse::RowKind::kFolder || row.kind == browse::RowKind::kSourceRoot)) {
      ListFiles(volume, row.key, true, names);
    }
  }
}

}  // namespace

class ExportDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }

  // Each entry opens the dialog with its choice; the "Export" button with the last one. Cancelling
  // keeps the stored options.
  void EachEntryPresetsItsChoice() {
    const struct {
      Command command;
      ExportFrom shown;
    } cases[] = {
        {Command::kExportVolume, ExportFrom::kFullVolume},
        {Command::kExportFolder, ExportFrom::kCurrentFolder},
        {Command::kExportFolderTree, ExportFrom::kCurrentFolderAndSubfolders},
        {Command::kExport, ExportFrom::kCurrentFolderAndSubfolders},  // the stored choice
    };
    Loaded loaded;
    loaded.fixture.settings->exportOptions.exportFrom = ExportFrom::kCurrentFolderAndSubfolders;
    const ExportOptions stored = loaded.fixture.settings->exportOptions;
    for (const auto& c : cases) {
      bool checked = false;
      bool searchOffered = true;
      RunExport(loaded.fixture, c.command, [&](CDialog_Export& dialog) {
        checked = dialog.FromRadio(c.shown)->isChecked();
        searchOffered = dialog.FromRadio(ExportFrom::kSearchResults)->isEnabled() || dialog.FileListRadio()->isEnabled();
        dialog.reject();
      });
      QVERIFY2(checked, QByteArray::number(static_cast<int>(c.command)).constData());
      QVERIFY(!searchOffered);
      QVERIFY(loaded.fixture.settings->exportOptions == stored);
    }
    QVERIFY(loaded.fixture.prompter.entries.empty());
  }

  // Without ROOT and VOLUME, totals on, the document would have two top-level elements: ROOT is
  // switched on with its message, and the document written has one root.
  void RootIsSwitchedOnWheneverTheDocumentNeedsIt() {
    Loaded loaded;
    const std::string output = loaded.fixture.dir.path() + "/out.xml";
    loaded.fixture.files.saveAnswers.push_back(output);
    bool rootShown = false;
    RunExport(loaded.fixture, Command::kExportVolume, [&](CDialog_Export& dialog) {
      dialog.XmlPage()->RootBox()->setChecked(false);
      dialog.XmlPage()->VolumeBox()->setChecked(false);
      dialog.XmlPage()->ContentBox()->setChecked(true);
      dialog.OptionList()->item(static_cast<int>(browse::ExportOption::kTotals))->setCheckState(Qt::Checked);
      dialog.Confirm();
      rootShown = dialog.XmlPage()->RootBox()->isChecked();
    });
    QVERIFY(rootShown);
    QCOMPARE(loaded.fixture.prompter.entries.size(), size_t{1});
    QCOMPARE(loaded.fixture.prompter.entries[0].text, std::string(messages::kOnlyOneTopLevelElement));
    QVERIFY(loaded.fixture.settings->exportOptions.writeRoot);
    QVERIFY(FileNames(output).has_value());
    // The chooser was asked for an XML file under the dialog's caption.
    QCOMPARE(loaded.fixture.files.lastSaveCaption, QLatin1String(browse::export_text::kExportCaption));
  }

  // The document holds the files of the part chosen, as the browsing lists them; the column list's
  // order and checks are kept for the next export.
  void TheDocumentHoldsThePartChosen() {
    const struct {
      Command command;
      bool subfolders;
      bool fromDocs;
    } cases[] = {
        {Command::kExportVolume, true, false},
        {Command::kExportFolder, false, true},
        {Command::kExportFolderTree, true, true},
    };
    for (const auto& c : cases) {
      Loaded loaded;
      BrowsePane* pane = loaded.fixture.window->Browse();
      VolumeCatalog& volume = *loaded.fixture.window->LoadedVolume();
      RecordKey docs = browse::kRootKey;
      if (c.fromDocs) {
        std::optional<browse::FolderListing> listing = browse::ReadFolderListing(volume, browse::kRootKey);
        QVERIFY(listing.has_value());
        for (const browse::ItemRow& row : listing->rows) {
          if (row.kind == browse::RowKind::kFolder && row.name == "Docs") docs = row.key;
        }
        QVERIFY(docs != browse::kRootKey);
        QVERIFY(pane->OpenFolder(docs, false));
      }
      const std::string output = loaded.fixture.dir.path() + "/part.xml";
      loaded.fixture.files.saveAnswers.push_back(output);
      std::vector<int> order;
      RunExport(loaded.fixture, c.command, [&](CDialog_Export& dialog) {
        // The path column up to the top: the row is moved, and stays moved.
        dialog.ColumnList()->setCurrentRow(5);
        for (int i = 0; i < 5; ++i) dialog.MoveUpButton()->click();
        dialog.MoveUpButton()->click();  // at the top: nothing moves
        for (const browse::ExportColumnRow& row : dialog.Form().columns) order.push_back(row.id);
        dialog.Confirm();
      });
      QVERIFY(!order.empty());
      QCOMPARE(order.front(), 6);
      QCOMPARE(static_cast<int>(loaded.fixture.settings->exportOptions.columnOrder[0]), 6);
      QVERIFY(loaded.fixture.prompter.entries.empty());
      std::optional<std::multiset<std::string>> names = FileNames(output);
      QVERIFY(names.has_value());
      std::multiset<std::string> expected;
      ListFiles(volume, docs, c.subfolders, expected);
      QVERIFY(!expected.empty());
      QCOMPARE(*names, expected);
    }
  }

  // The dialog confirmed as it opens, over the sample volume: the whole document, byte for byte.
  // The expected document is written with "\n" (the export ends every line with CR LF), with
  // {FILE} and {SIZE} for the volume file's path and size; times are shown in local time, here UTC.
  void TheDefaultExportOfASampleVolume() {
    const UtcZone utc;
    Fixture fixture;
    fixture.Open();
    fixture.window->show();
    const std::string path = WriteSampleVolume(fixture);
    fixture.window->Run(Command::kRefreshVolumes);
    fixture.ChooseVolume(path);
    QVERIFY(fixture.window->LoadedVolume() != nullptr);
    const std::string output = fixture.dir.path() + "/sample.xml";
    fixture.files.saveAnswers.push_back(output);
    RunExport(fixture, Command::kExportVolume, [](CDialog_Export& dialog) { dialog.Confirm(); });

    QByteArray expected = R"xml(<?xml version="1.0"?>
<!-- Generated by Zarn Volumist Export Generator -->
<ROOT>
<VOLUME>
<NAME>Sample &lt;1&gt;</NAME>
<FILENAME>{FILE}</FILENAME>
<FILES>2</FILES>
<FOLDERS>2</FOLDERS>
<ARCHIVES>0</ARCHIVES>
<TOTAL_FILES>2</TOTAL_FILES>
<TOTAL_FOLDERS>2</TOTAL_FOLDERS>
<VOLUME_CONTENT_SIZE>13</VOLUME_CONTENT_SIZE>
<VOLUME_FILE_SIZE>{SIZE}</VOLUME_FILE_SIZE>
<VOLUME_FILE_TIME>02.01.2010 03:04</VOLUME_FILE_TIME>
<CONTENT>
<ITEM Type="Folder">
<NAME>Source0</NAME>
<SIZE>13</SIZE>
<DESCRIPTION></DESCRIPTION>
<PATH>\</PATH>
<ITEM Type="Folder">
<NAME>Docs</NAME>
<SIZE>10</SIZE>
<DESCRIPTION></DESCRIPTION>
<PATH>\Source0\</PATH>
<ITEM Type="File">
<NAME>note.txt</NAME>
<EXT>txt</EXT>
<SIZE>10</SIZE>
<TIME>01.01.2010 00:00</TIME>
<ATTRIBUTES>----</ATTRIBUTES>
<DESCRIPTION>first &amp; only</DESCRIPTION>
<PATH>\Source0\Docs\</PATH>
</ITEM>
</ITEM>
<ITEM Type="File">
<NAME>top.txt</NAME>
<EXT>txt</EXT>
<SIZE>3</SIZE>
<TIME>01.01.2010 00:01</TIME>
<ATTRIBUTES>----</ATTRIBUTES>
<DESCRIPTION></DESCRIPTION>
<PATH>\Source0\</PATH>
<SIGNATURES>
<CRC32>00c0ffee</CRC32>
</SIGNATURES>
</ITEM>
</ITEM>
</CONTENT>
<TOTALS>
<TOTAL_FOLDERS>2</TOTAL_FOLDERS>
<TOTAL_FILES>2</TOTAL_FILES>
<TOTAL_ARCHIVES>0</TOTAL_ARCHIVES>
</TOTALS>
</VOLUME>
</ROOT>
)xml";
    expected.replace("\n", "\r\n");
    expected.replace("{FILE}", QByteArray::fromStdString(path));
    expected.replace("{SIZE}", QByteArray::number(static_cast<qulonglong>(std::filesystem::file_size(path))));
    QFile written(ToQString(output));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), expected);
    QVERIFY(fixture.prompter.entries.empty());
  }

  // A name typed without an extension is written with ".xml"; a file already there under that name
  // is replaced only when the user says so, and otherwise the dialog stays open.
  void ANameWithoutExtensionGetsXml() {
    const struct {
      const char* name;
      bool existing;
      std::deque<bool> answers;
      bool written;
    } cases[] = {
        {"new file", false, {}, true},
        {"replace: yes", true, {true}, true},
        {"replace: no", true, {false}, false},
    };
    for (const auto& c : cases) {
      Loaded loaded;
      const std::string typed = loaded.fixture.dir.path() + "/listing";
      const std::string output = typed + ".xml";
      if (c.existing) {
        QFile old(ToQString(output));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
      }
      loaded.fixture.files.saveAnswers.push_back(typed);
      loaded.fixture.prompter.answers = c.answers;
      bool stayed = false;
      RunExport(loaded.fixture, Command::kExportVolume, [&](CDialog_Export& dialog) {
        dialog.Confirm();
        stayed = dialog.result() == 0;
        if (stayed) dialog.reject();
      });
      QCOMPARE(stayed, !c.written);
      QCOMPARE(loaded.fixture.prompter.Questions().size(), size_t{c.existing ? 1u : 0u});
      QCOMPARE(loaded.fixture.prompter.unexpectedQuestions, 0);
      QVERIFY2(!QFile::exists(ToQString(typed)), c.name);
      QFile written(ToQString(output));
      QVERIFY(written.open(QIODevice::ReadOnly));
      QCOMPARE(written.readAll() == "old", !c.written);
      if (c.written) QVERIFY(FileNames(output).has_value());
    }
  }

  // A large export is written on a worker while the window goes on: its progress window stops it,
  // and the file that was at the output path stays as it was, with nothing left beside it.
  void StopKeepsTheOldDocument() {
    Fixture fixture;
    fixture.Open();
    fixture.window->show();
    std::vector<MemoryNode> files;
    for (int i = 0; i < 100000; ++i) files.push_back(MemoryNode::File("file" + std::to_string(i), ".dat", i));
    MemorySource drive;
    drive.children = {MemoryNode::Folder("Many", std::move(files))};
    ScanJob job = ::volumist::testing::MakeJob(fixture.volumeDirectory + "/large.vkt", "Large", {false});
    SilentPrompter quiet;
    QVERIFY(::volumist::testing::WriteVolume(job, {drive}, quiet));
    fixture.window->Run(Command::kRefreshVolumes);
    fixture.ChooseVolume(job.volumeFileName);
    QDir outputFolder(ToQString(fixture.dir.path() + "/out"));
    QVERIFY(outputFolder.mkpath("."));
    const std::string output = fixture.dir.path() + "/out/large.xml";
    ::volumist::testing::WriteFileBytes(output, "old document");
    fixture.files.saveAnswers.push_back(output);
    fixture.dialogs.scripts.push_back([](QDialog& dialog) {
      auto* exportDialog = qobject_cast<CDialog_Export*>(&dialog);
      QVERIFY(exportDialog != nullptr);
      exportDialog->Confirm();
    });
    fixture.window->Run(Command::kExportVolume);
    QVERIFY(fixture.window->IsExporting());
    auto* progress = fixture.window->findChild<QProgressDialog*>();
    QVERIFY(progress != nullptr);
    QVERIFY(!progress->accessibleName().isEmpty());
    auto* stop = progress->findChild<QPushButton*>();
    QVERIFY(stop != nullptr);
    QCOMPARE(stop->text(), QStringLiteral("Stop"));
    stop->click();
    QVERIFY(QTest::qWaitFor([&] { return !fixture.window->IsExporting(); }, 20000));
    QCOMPARE(::volumist::testing::ReadFileBytes(output), std::string("old document"));
    QCOMPARE(outputFolder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"large.xml"});
    QVERIFY(fixture.prompter.Errors().empty());
    // The next export of the same volume runs to its end.
    fixture.files.saveAnswers.push_back(output);
    RunExport(fixture, Command::kExportVolume, [](CDialog_Export& dialog) { dialog.Confirm(); });
    const std::string document = ::volumist::testing::ReadFileBytes(output);
    QVERIFY(document.find("file99999.dat") != std::string::npos);
    QVERIFY(fixture.prompter.Errors().empty());
  }

  // An output that cannot be written shows the exporter's own message and no other; nothing is left
  // at the output path.
  void AFailingOutputShowsTheExportersMessage() {
    const struct {
      const char* name;
      bool refuseCreate;
      std::string file;  // below the temporary folder
    } cases[] = {
        {"folder missing", false, "/missing/out.xml"},
        {"file creation refused", true, "/out.xml"},
    };
    for (const auto& c : cases) {
      Loaded loaded;
      const std::string output = loaded.fixture.dir.path() + c.file;
      // What the exporter itself says for this output.
      std::vector<std::string> expected;
      {
        volumist::ui::testing::UiRecordingPrompter own;
        loaded.fixture.faults.failCreate = c.refuseCreate;
        VolumeCatalog volume(loaded.fixture.faults, own);
        QVERIFY(volume.OpenVolume(loaded.path));
        ExportOptions options = loaded.fixture.settings->exportOptions;
        options.outputPath = output;
        XmlExporter exporter(volume, options, loaded.fixture.faults, own);
        QVERIFY(!exporter.Run());
        expected = own.Errors();
        loaded.fixture.faults.failCreate = false;
      }
      QVERIFY2(!expected.empty(), c.name);
      loaded.fixture.files.saveAnswers.push_back(output);
      loaded.fixture.faults.failCreate = c.refuseCreate;
      RunExport(loaded.fixture, Command::kExportVolume, [&](CDialog_Export& dialog) { dialog.Confirm(); });
      loaded.fixture.faults.failCreate = false;
      QCOMPARE(loaded.fixture.prompter.Errors(), expected);
      for (const auto& entry : loaded.fixture.prompter.entries) QVERIFY(entry.kind != decltype(entry.kind)::kInfo);
      QVERIFY(!QFile::exists(ToQString(output)));
    }
  }
};

VOLUMIST_UI_TEST_MAIN(ExportDialogTest)
#include "export_dialog_test.moc"
