#include "ui/bridge/text.h"

namespace volumist::ui {

QString ToQString(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) { return text.toUtf8().toStdString(); }

std::string EditedBytes(const QString& edited, const QString& shown, const std::string& original) {
  return edited == shown ? original : ToBytes(edited);
}

QString PlainToolTip(std::string_view lines) {
  if (lines.empty()) return {};
  return QStringLiteral("<p style='white-space:pre'>") + ToQString(lines).toHtmlEscaped() + QStringLiteral("</p>");
}

}  // namespace volumist::ui
