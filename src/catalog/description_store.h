// DescriptionStore: the descriptions of one volume. Stored descriptions are found through the index
// at the end of the volume file; edits collect in a temporary edits file of fixed 518-byte records
// (key, length, a 512-byte slot) until they are saved into the volume or dropped.
//
// Saving writes a complete new volume file beside the old one (header and tree copied byte for byte,
// so every key stays valid, then the merged descriptions and their index) and renames it over the
// old one: a crash or a full disk never leaves a volume whose header points at a broken index, and
// after a failed save the edits are still pending. The catalog (VolumeCatalog::SaveDescriptions)
// opens the new file and holds the volume's lock; the store writes the merge into it.
//
// Used by one thread at a time (the user-interface thread).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalog/prompter.h"
#include "catalog/record_key.h"
#include "catalog/volume_header.h"
#include "catalog/volume_writer.h"
#include "platform/buffered_reader.h"
#include "platform/file_system.h"

namespace volumist {

// Writes a description area and its index through `out`, from its logical position on: the count,
// the records one by one, then the index (its mark, the count and the pairs, in the order of the
// records). The header's descriptionIndexStart is the caller's to write.
class DescriptionAreaWriter {
 public:
  // Starts the area: its count, patched by Finish.
  explicit DescriptionAreaWriter(VolumeWriter& out);
  void Add(RecordKey key, std::string_view text);
  // Writes the index and the count; returns the index's file offset, or nothing when the area ends
  // past what a 32-bit offset can name.
  std::optional<uint64_t> Finish();
  size_t Count() const { return index_.size(); }

 private:
  VolumeWriter& out_;
  uint64_t countAt_;
  std::vector<std::pair<RecordKey, uint32_t>> index_;
};

// Reads the description records of `volumeFile` (whose header is `header`) in their stored order,
// from the area's start up to its index or the first record that cannot be read, and hands each
// one with a text to `visit`, which returns false to stop. False when a record could not be read.
bool ForEachStoredDescription(platform::File& volumeFile, const VolumeHeader& header,
                              const std::function<bool(RecordKey key, std::string_view text)>& visit);

class DescriptionStore {
 public:
  static constexpr uint32_t kMaxDescriptions = 524288;      // edits beyond this many are refused
  static constexpr uint32_t kMaxIndexEntries = 0x7FFFF;     // index entries read at most
  static constexpr size_t kMaxTextLength = 511;
  static constexpr size_t kEditRecordSize = 518;

  // `fileSystem` and `prompter` must outlive the store.
  DescriptionStore(platform::FileSystem& fileSystem, Prompter& prompter);
  ~DescriptionStore();
  DescriptionStore(const DescriptionStore&) = delete;
  DescriptionStore& operator=(const DescriptionStore&) = delete;

  // Reads the index of an open volume file and drops pending edits. `volumeFile` must stay open
  // until the next LoadIndex or Unload. A volume without a description area has no descriptions.
  // Returns false when the index is damaged: a description area without an index, an index that
  // does not start with its mark or does not end the file with its last pair, or a pair that points
  // outside the description area. The pairs are read all the same (a bad one finds no text).
  bool LoadIndex(platform::File& volumeFile, const VolumeHeader& header);
  // Reads the index again (the file was reopened), keeping pending edits. Returns as LoadIndex.
  bool ReloadIndex(platform::File& volumeFile, const VolumeHeader& header);
  // Forgets the volume file (it is being closed); pending edits stay.
  void Unload();

  // The description of `key`: a pending edit first, then the stored one. Nothing when there is
  // none. Never moves any reader of the tree.
  std::optional<std::string> GetDescription(RecordKey key);

  // Records an edit of `key` (an empty text removes the description when saved). Texts are cut to
  // 511 bytes at a character boundary. Refuses a new key when 524,288 descriptions are reached,
  // with "Too many descriptions. (Maximum is 524288 descriptions)". The edits file is made in
  // `directory` on the first edit.
  [[nodiscard]] bool SetDescription(RecordKey key, std::string_view text, const std::string& directory);

  bool HasPending() const { return !pending_.empty(); }
  // The texts of the pending edits with their keys, in order of first edit (an empty text removes a
  // description). An edit whose text cannot be read back is left out.
  std::vector<std::pair<RecordKey, std::string>> PendingTexts();
  void DiscardPending();
  size_t IndexSize() const { return index_.size(); }
  // The edits file, once there is one.
  const std::string* EditsFilePath() const { return edits_ ? &edits_->TemporaryPath() : nullptr; }
  uint32_t DescriptionCount() const { return descriptionCount_; }

  // Writes the volume `volumeFile` (whose header is `header`) with the pending edits merged into
  // `out`, from its start. New and changed descriptions come first, in order of first edit, then
  // the stored ones that were not edited, in their old order; empty ones are left out. Reports
  // nothing itself; pending edits stay (the caller clears them once the new file is in place).
  [[nodiscard]] bool WriteMerged(VolumeWriter& out, platform::File& volumeFile, const VolumeHeader& header);

 private:
  struct IndexEntry {
    RecordKey key;
    uint64_t offset;  // absolute file offset of the record
  };
  struct PendingEdit {
    RecordKey key;
    uint64_t offset;  // of its record in the edits file
  };
  std::optional<std::string> ReadPending(const PendingEdit& edit);
  bool ReadIndex(platform::File& volumeFile, const VolumeHeader& header);

  platform::FileSystem& fileSystem_;
  Prompter& prompter_;
  platform::File* volumeFile_ = nullptr;
  std::vector<IndexEntry> index_;  // sorted by key
  std::vector<PendingEdit> pending_;  // in order of first edit
  std::unordered_map<RecordKey, size_t> pendingByKey_;
  uint32_t descriptionCount_ = 0;
  std::unique_ptr<VolumeWriter> edits_;
};

}  // namespace volumist
