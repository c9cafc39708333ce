// "Open in Explorer" on a session bus of the test's own (dbus-run-session), where the test owns
// org.freedesktop.FileManager1: files go to ShowItems, folders to ShowFolders, each as one file://
// URI; without the service the item's folder is opened instead.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>

#include "browse/locate_item.h"
#include "ui/support/browsing_fixture.h"
#include "ui/support/fake_xdg_open.h"
#include "ui/support/ui_test_main.h"

using namespace volumist;
using namespace volumist::ui;
using browse::Command;
using volumist::ui::testing::Browsing;
using volumist::ui::testing::FakeXdgOpen;

// What a file manager offers on the bus, recording what it was asked to show.
class FakeFileManager final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

 public:
  QStringList items;
  QStringList folders;

 public slots:
  void ShowItems(const QStringList& uris, const QString&) { items << uris; }
  void ShowFolders(const QStringList& uris, const QString&) { folders << uris; }
  void ShowItemProperties(const QStringList&, const QString&) {}
};

namespace {

constexpr char kService[] = "org.freedesktop.FileManager1";

std::optional<bool> Answer(const std::function<void(Launcher::Done)>& start) {
  std::optional<bool> answer;
  start([&answer](bool succeeded) { answer = succeeded; });
  static_cast<void>(QTest::qWaitFor([&answer] { return answer.has_value(); }, 10000));
  return answer;
}

}  // namespace

class FileManagerDbusTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void itemsAndFoldersReachTheFileManager();
  void withoutTheServiceTheFolderIsOpened();

 private:
  bool Own(FakeFileManager& manager);
  void Release();
};

void FileManagerDbusTest::initTestCase() {
  volumist::ui::testing::InstallWarningGuard();
  if (!QDBusConnection::sessionBus().isConnected()) QSKIP("no session bus of the test's own (dbus-run-session is missing)");
}

bool FileManagerDbusTest::Own(FakeFileManager& manager) {
  // A connection of its own, as a file manager would be another program on the bus.
  QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("file-manager"));
  return bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager, QDBusConnection::ExportAllSlots) &&
         bus.registerService(QLatin1String(kService));
}

void FileManagerDbusTest::Release() {
  QDBusConnection bus(QStringLiteral("file-manager"));
  bus.unregisterService(QLatin1String(kService));
  bus.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
  QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
}

void FileManagerDbusTest::itemsAndFoldersReachTheFileManager() {
  FakeFileManager manager;
  QVERIFY(Own(manager));
  FakeXdgOpen fake;
  DesktopLauncher launcher;
  QCOMPARE(Answer([&](Launcher::Done done) { launcher.ShowInFileManager("/tmp/a b/-rf", false, done); }),
           std::optional<bool>(true));
  QCOMPARE(Answer([&](Launcher::Done done) { launcher.ShowInFileManager("/tmp/folder", true, done); }),
           std::optional<bool>(true));
  QCOMPARE(manager.items, (QStringList{"file:///tmp/a%20b/-rf"}));
  QCOMPARE(manager.folders, (QStringList{"file:///tmp/folder"}));
  QVERIFY(fake.Log().isEmpty());

  // Through the window, for a present file of a volume.
  ::volumist::testing::TempDir disk;
  std::ofstream(disk.File("-rf")) << "x";
  const std::string root = std::filesystem::canonical(disk.path()).string();
  Browsing b(disk.path(), &launcher);
  b.Open("Extra");
  b.Select("-rf");
  b.window->Run(Command::kOpenInExplorer);
  QTRY_COMPARE(manager.items.size(), 2);
  QCOMPARE(manager.items.last(), QString::fromStdString(browse::FileUrl(root + "/-rf")));
  QTest::qWait(50);
  QVERIFY(b.fixture.prompter.entries.empty());
  Release();
}

void FileManagerDbusTest::withoutTheServiceTheFolderIsOpened() {
  QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(QLatin1String(kService)));
  FakeXdgOpen fake;
  DesktopLauncher launcher;
  QCOMPARE(Answer([&](Launcher::Done done) { launcher.ShowInFileManager("/tmp/a b/-rf", false, done); }),
           std::optional<bool>(true));
  QCOMPARE(fake.Log(), (QStringList{"1", "file:///tmp/a%20b"}));
}

VOLUMIST_UI_TEST_MAIN(FileManagerDbusTest)
#include "file_manager_dbus_test.moc"
