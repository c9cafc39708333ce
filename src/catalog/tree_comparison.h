// TreeComparison: compares the tree of a volume as it was (the old tree) with a tree written anew for
// the same sources (the new tree), finds the place of each old item in the new tree, and fills a
// ChangeReport.
//
// Items are matched by their path inside their source: a source of the new tree is paired with one of
// the old tree, the two sources' tops correspond (the root folder of a folder source matches the
// other's root whatever its name), and an item below a matched folder or archive matches the item of
// the same name below its counterpart. A folder matches only a folder; a file matches a file or an
// archive (listing a file as an archive, or no longer, does not make it another item). Where a name
// occurs twice in one folder (inside archives), the first unmatched one is taken. A removed file and
// an added one with the same size and an equal digest of a kind both carry (MD5 before MD4 before
// CRC-32) are one file moved; among several candidates one with the same name is preferred.
//
// The old tree is read once into an index (about 40 bytes and the name per item), the new tree once
// in file order; both are read through their files, from their tree start on, one source's key range
// at a time. A tree that cannot be read to the end of a source's range (a damaged record) fails the
// comparison.
//
// Used by one thread at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/change_report.h"
#include "catalog/record_key.h"
#include "platform/file_system.h"

namespace volumist {

// One source's stretch of a tree.
struct TreeSource {
  std::string name;
  std::string path;           // the source's root path, for the report
  bool isFolderSource = true;
  RecordKey startKey = 0;     // just after its source mark
  RecordKey endKey = 0;       // just past its last record
};

// How a source of the report came about. `oldSource` and `newSource` index the lists given to
// ReadOld and Compare.
struct SourcePairing {
  std::optional<size_t> oldSource;  // kRescanned, kKept, kDropped, kLeftOut
  std::optional<size_t> newSource;  // kRescanned, kNew, kKept
  SourceFate fate = SourceFate::kRescanned;
};

class TreeComparison {
 public:
  TreeComparison();
  ~TreeComparison();
  TreeComparison(const TreeComparison&) = delete;
  TreeComparison& operator=(const TreeComparison&) = delete;

  // The description keys of the old tree (any order): only these are looked up afterwards, so only
  // their items are remembered by key.
  void SetDescribedKeys(std::vector<RecordKey> keys);

  // Reads the sources of the old tree that `pairings` compare or remove (the kept ones are not
  // read) from `file`, whose key 0 lies at `treeStart`. `stop` (may be null) ends the reading early.
  // False on a damaged tree or a stop.
  [[nodiscard]] bool ReadOld(platform::File& file, uint64_t treeStart, const std::vector<TreeSource>& oldSources,
                             const std::vector<SourcePairing>& pairings, const std::atomic<bool>* stop = nullptr);

  // Reads the new tree and fills `report.sources`, one entry per pairing in their order. False on a
  // damaged tree or a stop.
  [[nodiscard]] bool Compare(platform::File& file, uint64_t treeStart, const std::vector<TreeSource>& newSources,
                             ChangeReport& report, const std::atomic<bool>* stop = nullptr);

  // After Compare: the description key, in the new tree, of the item whose description key in the
  // old tree is `oldKey` (one of SetDescribedKeys'); nothing when the item is gone. Kept sources
  // move as a whole; key 0, the volume, stays 0.
  std::optional<RecordKey> NewDescriptionKey(RecordKey oldKey) const;
  // The path in the old tree of the item whose description key is `oldKey`; empty when none.
  std::string OldPath(RecordKey oldKey) const;

 private:
  struct Index;
  std::unique_ptr<Index> index_;
};

}  // namespace volumist
