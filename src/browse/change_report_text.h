// The texts the window shows for a ChangeReport: one summary line and the lines of its lists, which
// the report dialog filters and copies.
#pragma once

#include <string>
#include <vector>

#include "catalog/change_report.h"

namespace volumist::browse {

// "3 added (1 folder, 2 files), 1 removed, 2 changed, 1 moved; 5 descriptions kept, 1 lost".
std::string ChangeSummary(const ChangeReport& report);

// Each source as a line "Source NAME (PATH): FATE", then one line per item: "Added PATH",
// "Removed PATH", "Changed PATH (size, time, content)", "Moved OLDPATH -> PATH", folders with a
// trailing "/"; then "Description lost: PATH: TEXT" for each lost description (its line ends shown
// as blanks) and where the lost descriptions were kept.
std::vector<std::string> ChangeLines(const ChangeReport& report);

}  // namespace volumist::browse
