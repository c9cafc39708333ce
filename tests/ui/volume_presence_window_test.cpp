// The volume list's presence marks: computed off the GUI thread, shown as the volume's icon and
// read out as "Present" / "Absent", refreshed with the list and after a mount change; a watcher
// destroyed while its worker runs neither waits for long nor calls back.
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <mutex>

#include "testing/temp_dir.h"
#include "ui/icons.h"
#include "ui/presence_watcher.h"
#include "ui/support/ui_test_main.h"
#include "ui/support/window_fixture.h"

using namespace volumist;
using namespace volumist::ui;
using Fixture = volumist::ui::testing::WindowFixture;

namespace {

// Presence answers a test can change; records whether they were asked on the GUI thread.
struct ScriptedPresence {
  std::mutex mutex;
  PresenceMap answers;
  std::atomic<int> calls{0};
  std::atomic<bool> askedOnGuiThread{false};

  void Set(const std::string& file, VolumePresence presence) {
    std::lock_guard lock(mutex);
    answers[file] = presence;
  }
  PresenceSource Source() {
    return [this](const std::vector<std::string>& files, std::stop_token) {
      if (QThread::currentThread() == qApp->thread()) askedOnGuiThread = true;
      ++calls;
      std::lock_guard lock(mutex);
      PresenceMap result;
      for (const std::string& file : files) {
        if (auto found = answers.find(file); found != answers.end()) result[file] = found->second;
      }
      return result;
    };
  }
};

QString MarkOf(MainWindow& window, const std::string& file) {
  VolumeListModel& model = *window.VolumesModel();
  return model.index(model.RowOfPath(file), 0).data(VolumeListModel::kPresenceRole).toString();
}

}  // namespace

class VolumePresenceWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { volumist::ui::testing::InstallWarningGuard(); }
  void marksComeFromTheWorkerAndFollowRefreshes();
  void aFolderSourceCreatedAndRemoved();
  void aMountChangeAsksAgain();
  void aRealMountIsNoticed();
  void destroyingTheWatcherStopsItsWorker();
};

void VolumePresenceWindowTest::marksComeFromTheWorkerAndFollowRefreshes() {
  ScriptedPresence presence;
  Fixture fixture;
  const std::string here = fixture.WriteVolume("here.vkt", "Here");
  const std::string away = fixture.WriteVolume("away.vkt", "Away");
  const std::string half = fixture.WriteVolume("half.vkt", "Half");
  presence.Set(here, VolumePresence::kPresent);
  presence.Set(away, VolumePresence::kAbsent);
  presence.Set(half, VolumePresence::kPartly);
  fixture.volumePresence = presence.Source();
  MainWindow& window = fixture.Open();
  VolumeListModel& model = *window.VolumesModel();
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

  QTRY_COMPARE(MarkOf(window, here), QStringLiteral("Present"));
  QCOMPARE(MarkOf(window, away), QStringLiteral("Absent"));
  QCOMPARE(MarkOf(window, half), QStringLiteral("Partly present"));
  QVERIFY(!presence.askedOnGuiThread);

  // The mark is the icon, and the text a screen reader gives after the file and size.
  struct Row {
    std::string file;
    VolumePresence presence;
    QString spoken;
  } rows[] = {{here, VolumePresence::kPresent, QStringLiteral("Present")},
              {away, VolumePresence::kAbsent, QStringLiteral("Absent")},
              {half, VolumePresence::kPartly, QStringLiteral("Partly present")}};
  for (const Row& row : rows) {
    QModelIndex index = model.index(model.RowOfPath(row.file), 0);
    QVERIFY(index.data(Qt::AccessibleDescriptionRole).toString().endsWith(QStringLiteral(", ") + row.spoken));
    const QIcon icon = qvariant_cast<QIcon>(index.data(Qt::DecorationRole));
    QCOMPARE(icon.pixmap(16).toImage(), VolumePresenceIcon(row.presence).pixmap(16).toImage());
    QVERIFY(icon.pixmap(16).toImage() != VolumeIcon().pixmap(16).toImage());
  }

  // The disk comes and goes; the list's refresh asks again.
  presence.Set(here, VolumePresence::kAbsent);
  presence.Set(away, VolumePresence::kPresent);
  const int before = presence.calls;
  window.Run(browse::Command::kRefreshVolumes);
  QTRY_COMPARE(MarkOf(window, away), QStringLiteral("Present"));
  QCOMPARE(MarkOf(window, here), QStringLiteral("Absent"));
  QVERIFY(presence.calls > before);
  QCOMPARE(fixture.prompter.entries.size(), size_t{0});
}

void VolumePresenceWindowTest::aFolderSourceCreatedAndRemoved() {
  Fixture fixture;
  const std::string tree = fixture.MakeTree("photos", 3);
  MainWindow& window = fixture.Open();
  QVERIFY(window.StartScan(fixture.JobFor(tree, "photos.vkt", "Photos")));
  QVERIFY(fixture.WaitForScanEnd());
  const std::string file = fixture.volumeDirectory + "/photos.vkt";
  QVERIFY(window.VolumesModel()->RowOfPath(file) >= 0);
  QTRY_COMPARE(MarkOf(window, file), QStringLiteral("Present"));

  std::filesystem::remove_all(tree);
  window.Run(browse::Command::kRefreshVolumes);
  QTRY_COMPARE(MarkOf(window, file), QStringLiteral("Absent"));
}

void VolumePresenceWindowTest::aMountChangeAsksAgain() {
  ScriptedPresence presence;
  PresenceWatcher watcher(presence.Source(), true);
  QSignalSpy updated(&watcher, &PresenceWatcher::Updated);
  presence.Set("/v/a.vkt", VolumePresence::kAbsent);
  watcher.Refresh({"/v/a.vkt"});
  QVERIFY(updated.wait());
  QCOMPARE(watcher.Presence().at("/v/a.vkt"), VolumePresence::kAbsent);

  // What a mount does to the watcher: the same files are asked about again.
  presence.Set("/v/a.vkt", VolumePresence::kPresent);
  watcher.Recheck();
  QVERIFY(updated.wait());
  QCOMPARE(watcher.Presence().at("/v/a.vkt"), VolumePresence::kPresent);

  // Asked twice while the worker runs: one more answer, for the newest list.
  watcher.Refresh({"/v/a.vkt"});
  watcher.Refresh({"/v/a.vkt", "/v/b.vkt"});
  presence.Set("/v/b.vkt", VolumePresence::kPartly);
  QTRY_VERIFY(!watcher.IsWorking() && watcher.Presence().contains("/v/b.vkt"));
  QCOMPARE(watcher.Presence().at("/v/b.vkt"), VolumePresence::kPartly);
}

// A tmpfs mounted and unmounted in a mount namespace of the test's own, so nothing outside sees it.
void VolumePresenceWindowTest::aRealMountIsNoticed() {
  if (geteuid() != 0) QSKIP("mounting a file system needs root");
  if (unshare(CLONE_NEWNS) != 0) QSKIP("no mount namespace of its own for this process");
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) QSKIP("the mounts cannot be made private");
  ScriptedPresence presence;
  PresenceWatcher watcher(presence.Source(), true);
  QSignalSpy updated(&watcher, &PresenceWatcher::Updated);
  watcher.Refresh({"/v/a.vkt"});
  QVERIFY(updated.wait());
  ::volumist::testing::TempDir dir;
  for (bool mounting : {true, false}) {
    const int asked = presence.calls;
    if (mounting) {
      if (mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=64k") != 0) QSKIP("tmpfs cannot be mounted here");
    } else {
      QCOMPARE(umount(dir.path().c_str()), 0);
    }
    QVERIFY(updated.wait());
    QVERIFY(presence.calls > asked);
  }
}

void VolumePresenceWindowTest::destroyingTheWatcherStopsItsWorker() {
  std::atomic<bool> started{false};
  std::atomic<bool> stopped{false};
  auto watcher = std::make_unique<PresenceWatcher>(
      [&](const std::vector<std::string>&, std::stop_token stop) {
        started = true;
        while (!stop.stop_requested()) QThread::msleep(1);
        stopped = true;
        return PresenceMap{{"/v/a.vkt", VolumePresence::kPresent}};
      },
      false);
  int updates = 0;
  connect(watcher.get(), &PresenceWatcher::Updated, this, [&] { ++updates; });
  watcher->Refresh({"/v/a.vkt"});
  QTRY_VERIFY(started);
  watcher.reset();
  QVERIFY(stopped);
  QTest::qWait(50);  // a posted answer would arrive now
  QCOMPARE(updates, 0);
}

VOLUMIST_UI_TEST_MAIN(VolumePresenceWindowTest)
#include "volume_presence_window_test.moc"
