// The texts the window shows for a verification: its progress while it runs, then one summary line
// and the lines of its differences, which the dialog filters and copies.
#pragma once

#include <string>
#include <vector>

#include "scan/verify.h"

namespace volumist::browse {

// "Read 1.20 GB of 3.40 GB at 95.3 MB/s, 0:00:24 left" (the time once a rate is known); "Comparing
// 1200 of 5000 items" when there is nothing to read.
std::string VerifyProgressText(const VerifyProgress& progress);
// After the end: "Read 1.39 MB from 8 files." ("Nothing was read." when no file was).
std::string VerifyReadText(const VerifyReport& report);
// The bar's position, 0 to 1000: the bytes read of those to read, else the items compared.
int VerifyProgressPermille(const VerifyProgress& progress);

// "Everything matches: 120 items compared, 3 files read." or "2 changed, 1 content changed,
// 0 missing, 0 unreadable, 1 new; 117 the same." and "Stopped: " before it when stopped.
std::string VerifySummary(const VerifyReport& report);

// Each source that was not simply verified as a line ("Source NAME (PATH) is absent: nothing of it
// was compared", "Source NAME (PATH) is on another disk"), then one line per difference: "Changed
// PATH (size 10 -> 12, time)", "Content changed PATH (md5)", "Missing PATH", "New PATH",
// "Unreadable PATH (read error at offset 4096)", folders with a trailing "/".
std::vector<std::string> VerifyLines(const VerifyReport& report);

// What the folder chooser asks when a source's recorded path is absent: "Where is source NAME now?
// (recorded at PATH)".
std::string VerifyWhereIsSourcePrompt(const std::string& name, const std::string& recordedPath);

}  // namespace volumist::browse
