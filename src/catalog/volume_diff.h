// Comparing two volume files: the same disk scanned at two times, or a disk and its backup. The
// result is the change report a rescan makes (catalog/change_report.h), from the first volume (the
// old tree) to the second (the new tree), made by the comparison the rescan uses
// (catalog/tree_comparison.h): added, removed, changed (size, time, content where both hold a digest
// of one kind) and moved (a removed and an added file of the same size and digest).
//
// Sources are paired by name. When each volume holds exactly one source and their names differ,
// those two are paired (a backup scanned under another name). A source only in the first volume is
// reported as left out (everything in it removed), one only in the second as new (everything added).
// Nothing is written; descriptions are not compared.
#pragma once

#include <optional>
#include <string>

#include "catalog/change_report.h"
#include "catalog/prompter.h"
#include "catalog/source_list.h"
#include "catalog/tree_comparison.h"
#include "platform/file_system.h"

namespace volumist {

// Which source of the first volume goes with which of the second, as described above.
std::vector<SourcePairing> PairSources(const SourceList& first, const SourceList& second);

// The changes from `firstPath` to `secondPath`. Nothing on failure: a file that cannot be opened or
// is no volume ("Could not open volume file for read..." through `prompter`), or a tree that cannot
// be read (kCompareDamaged). The report's volumeName and volumeFile are the second volume's.
std::optional<ChangeReport> DiffVolumes(platform::FileSystem& fileSystem, Prompter& prompter,
                                        const std::string& firstPath, const std::string& secondPath);

}  // namespace volumist
