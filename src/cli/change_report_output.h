// How the commands print a change report (catalog/change_report.h) as text: `rescan` for what a new
// scan changed, `diff` for what differs between two volume files. One line per item, tab-separated:
//
//   added     KIND  PATH
//   removed   KIND  PATH
//   changed   KIND  PATH  WHAT        WHAT: "size", "time", "content", joined by ","
//   moved     KIND  OLDPATH  PATH
//
// and the counts as "key: value" lines. Paths are in the form of catalog/item_path.h.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "catalog/change_report.h"

namespace volumist::cli {

// The "size,time,content" words of kChanged* bits.
std::string ChangeWords(uint8_t changes);

// "N folder(s), M file(s)".
std::string CountsText(const ChangeCounts& counts);

// The item lines of one source: added, removed, changed, moved, each list in its order.
void PrintChangeItems(std::ostream& out, const SourceChanges& source);

// "added: ...", "removed: ...", "changed: N", "moved: N".
void PrintChangeCounts(std::ostream& out, const ChangeReport& report);

}  // namespace volumist::cli
