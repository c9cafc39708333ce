#include "ui/services.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileDialog>
#include <QProcess>
#include <memory>

#include "browse/locate_item.h"

#include "ui/bridge/text.h"

namespace volumist::ui {
namespace {

std::optional<std::string> Chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return ToBytes(path);
}

}  // namespace

std::optional<std::string> QtFolderChooser::ChooseFolder(QWidget* parent, const QString& prompt,
                                                         const std::string& initial) {
  return Chosen(QFileDialog::getExistingDirectory(parent, prompt, ToQString(initial), QFileDialog::ShowDirsOnly));
}

std::optional<std::string> QtFileChooser::ChooseOpenFile(QWidget* parent, const QString& caption,
                                                         const std::string& initial, const QString& filter) {
  return Chosen(QFileDialog::getOpenFileName(parent, caption, ToQString(initial), filter));
}

std::optional<std::string> QtFileChooser::ChooseSaveFile(QWidget* parent, const QString& caption,
                                                         const std::string& initial, const QString& filter) {
  return Chosen(QFileDialog::getSaveFileName(parent, caption, ToQString(initial), filter));
}

void DesktopLauncher::Open(const std::string& url, Done done) {
  // Not parented and deleted only once it has ended: a helper that waits for the application it
  // started is never killed with the window.
  auto* process = new QProcess();
  auto reported = std::make_shared<bool>(false);
  auto report = [process, reported, done](bool succeeded) {
    if (*reported) return;
    *reported = true;
    process->deleteLater();
    if (done) done(succeeded);
  };
  QObject::connect(process, &QProcess::finished, process, [report](int exitCode, QProcess::ExitStatus status) {
    report(status == QProcess::NormalExit && exitCode == 0);
  });
  QObject::connect(process, &QProcess::errorOccurred, process, [report](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) report(false);
  });
  process->setProgram(QStringLiteral("xdg-open"));
  process->setArguments({ToQString(url)});
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  process->start(QIODevice::NotOpen);
}

void DesktopLauncher::ShowInFileManager(const std::string& path, bool isFolder, Done done) {
  std::string folder = path;
  if (!isFolder) {
    size_t slash = folder.find_last_of('/');
    folder = slash == 0 || slash == std::string::npos ? std::string("/") : folder.substr(0, slash);
  }
  auto fallBack = [this, folder, done] { Open(browse::FileUrl(folder), done); };
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    fallBack();
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), isFolder ? QStringLiteral("ShowFolders") : QStringLiteral("ShowItems"));
  call << QStringList{QString::fromLatin1(browse::FileUrl(path))} << QString();
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kFileManagerTimeoutMs));
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, fallBack, done] {
    watcher->deleteLater();
    if (watcher->isError()) {
      fallBack();
    } else if (done) {
      done(true);
    }
  });
}

}  // namespace volumist::ui
