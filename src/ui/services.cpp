#include "ui/services.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

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

bool DesktopLauncher::Open(const std::string& pathOrUrl) {
  QString text = ToQString(pathOrUrl);
  QUrl url = text.startsWith('/') ? QUrl::fromLocalFile(text) : QUrl(text);
  return QDesktopServices::openUrl(url);
}

}  // namespace volumist::ui
