// How the commands write JSON: through nlohmann::json, so every document parses, with one rule for
// texts taken from volumes, which may hold any byte.
//
// A text that is well-formed UTF-8 is written as it is. Any other text (a name from a disk written
// in another encoding, a cut description) is written in the escaped form of item paths: "\\" for a
// backslash, "\xHH" for each control byte and each byte that is not part of well-formed UTF-8, every
// other character for itself; and the object gets a member named after the text's member with
// "Escaped" appended, set to true ("name": "caf\\xE9", "nameEscaped": true). Readers that find the
// flag unescape the text to get the original bytes back; readers that don't still get valid JSON.
// Paths ("path", "folder") are always in the escaped form, so they carry no flag.
//
// Lists that can be long are written as JSON Lines: one complete object per line, written as soon
// as it is known, so output starts at once and a reader can stop at any line.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "catalog/catalog_time.h"

namespace volumist::cli {

// Objects keep their members in the order they are set, as the documented schemas list them.
using Json = nlohmann::ordered_json;

// Sets `object[key]` to `text`; text that is not well-formed UTF-8 (or holds control bytes other
// than tab, line feed and carriage return) is stored escaped and `object[key + "Escaped"]` is true.
void PutText(Json& object, const std::string& key, std::string_view text);

// `text` in the escaped form: "\\" for a backslash, "\xHH" for control bytes (C0 and DEL, and the C1
// controls byte by byte) and bytes that are not well-formed UTF-8.
std::string EscapeText(std::string_view text);

// True when `text` is written as it is: well-formed UTF-8 with no control byte other than tab,
// line feed and carriage return.
bool IsPlainText(std::string_view text);

// `seconds` since 1970-01-01 00:00 UTC as ISO 8601 text in UTC: "2024-03-09T14:05:00Z" (years
// before 1 or past 9999 keep their sign and digits: "-0001-12-31T00:00:00Z", "+10000-01-01T00:00:00Z").
std::string IsoTimeText(int64_t seconds);

// Sets `object[key]` to the seconds of `time` and `object[key + "Iso"]` to the same time as
// IsoTimeText.
void PutTime(Json& object, const std::string& key, CatalogTime time);
// The same for a time already in seconds.
void PutTime(Json& object, const std::string& key, int64_t seconds);

// `value` on one line of its own (JSON Lines).
void WriteJsonLine(std::ostream& out, const Json& value);

// `value` as one document indented by two spaces, followed by a line end.
void WriteJsonDocument(std::ostream& out, const Json& value);

}  // namespace volumist::cli
