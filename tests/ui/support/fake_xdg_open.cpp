#include "ui/support/fake_xdg_open.h"

#include <sys/stat.h>

#include <QFile>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace volumist::ui::testing {

FakeXdgOpen::FakeXdgOpen() : oldPath_(qgetenv("PATH")) {
  std::filesystem::create_directory(dir_.File("bin"));
  std::string script = dir_.File("bin/xdg-open");
  std::ofstream(script) << "#!/bin/sh\n"
                           "log=\"" << dir_.File("log") << "\"\n"
                           "printf '%s\\n' \"$#\" >> \"$log\"\n"
                           "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$log\"; done\n"
                           "exit \"$(cat \"" << dir_.File("status") << "\" 2>/dev/null || echo 0)\"\n";
  chmod(script.c_str(), 0755);
  qputenv("PATH", QByteArray::fromStdString(dir_.File("bin")) + ":" + oldPath_);
}

FakeXdgOpen::~FakeXdgOpen() { qputenv("PATH", oldPath_); }

void FakeXdgOpen::SetExitStatus(int status) { std::ofstream(dir_.File("status")) << status << "\n"; }

QStringList FakeXdgOpen::Log() const {
  QFile file(QString::fromStdString(dir_.File("log")));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QString text = QString::fromUtf8(file.readAll());
  return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void FakeXdgOpen::Remove() {
  std::filesystem::remove(dir_.File("bin/xdg-open"));
  qputenv("PATH", QByteArray::fromStdString(dir_.File("bin")));
}

}  // namespace volumist::ui::testing
