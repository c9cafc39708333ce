// Bytes of the core to QString and back, in this one place. The core's texts are UTF-8 bytes; a name
// that is not valid UTF-8 is shown with replacement characters, and is never written back unless the
// user edited it (EditedBytes), so that an unchanged name keeps its original bytes.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace volumist::ui {

QString ToQString(std::string_view bytes);
std::string ToBytes(const QString& text);

// The bytes to store for a text field that showed `original` as `shown`: the original bytes when the
// user left the text as shown, else the edited text's bytes.
std::string EditedBytes(const QString& edited, const QString& shown, const std::string& original);

// A tooltip made of plain lines, passed as rich text that keeps the lines and their leading blanks and
// shows "<Enter>" as a word, not as markup. Empty lines give an empty tip (none).
QString PlainToolTip(std::string_view lines);

}  // namespace volumist::ui
