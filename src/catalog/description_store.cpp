#include "catalog/description_store.h"

#include <algorithm>
#include <cstring>

#include "catalog/coding.h"
#include "catalog/messages.h"
#include "catalog/utf8.h"
#include "catalog/volume_format.h"

namespace volumist {
namespace {

constexpr size_t kSlotSize = 512;
constexpr uint64_t kDescriptionIndexOffsetField = 22;  // descriptionIndexStart in the header

// Reads a description record (key, length, text) at `offset`; nothing past the end or when the
// length is above 512.
struct StoredRecord {
  RecordKey key;
  std::string text;
};
std::optional<StoredRecord> ReadRecord(platform::BufferedReader& in, uint64_t offset) {
  in.Seek(offset);
  FieldReader fields(in);
  StoredRecord record;
  record.key = fields.U32();
  size_t length = fields.U16();
  if (!fields.ok() || length > format::kDescriptionMaxStoredLength) return std::nullopt;
  record.text.resize(length);
  fields.Bytes(record.text.data(), length);
  if (!fields.ok()) return std::nullopt;
  return record;
}

}  // namespace

DescriptionStore::DescriptionStore(platform::FileSystem& fileSystem, Prompter& prompter)
    : fileSystem_(fileSystem), prompter_(prompter) {}

DescriptionStore::~DescriptionStore() = default;

void DescriptionStore::DiscardPending() {
  pending_.clear();
  pendingByKey_.clear();
  edits_.reset();  // deletes the edits file
  descriptionCount_ = static_cast<uint32_t>(index_.size());
}

void DescriptionStore::Unload() {
  volumeFile_ = nullptr;
  index_.clear();
}

bool DescriptionStore::LoadIndex(platform::File& volumeFile, const VolumeHeader& header) {
  DiscardPending();
  bool intact = ReadIndex(volumeFile, header);
  descriptionCount_ = static_cast<uint32_t>(index_.size());
  return intact;
}

bool DescriptionStore::ReloadIndex(platform::File& volumeFile, const VolumeHeader& header) {
  return ReadIndex(volumeFile, header);
}

bool DescriptionStore::ReadIndex(platform::File& volumeFile, const VolumeHeader& header) {
  index_.clear();
  volumeFile_ = &volumeFile;
  platform::BufferedReader in(volumeFile);
  const uint64_t fileSize = in.Size();
  // A volume without descriptions ends at the start of its description area.
  if (header.descriptionsStart >= fileSize) return true;
  // The area holds its count before any record, and the index follows it.
  if (header.descriptionIndexStart < uint64_t{header.descriptionsStart} + 4 || header.descriptionIndexStart >= fileSize) {
    return false;
  }
  in.Seek(header.descriptionIndexStart);
  FieldReader fields(in);
  if (fields.U8() != format::kTagDescriptionIndex) return false;
  const uint32_t storedCount = fields.U32();
  if (!fields.ok()) return false;
  // The index ends the file: its mark, its count and the pairs, nothing after them.
  bool intact = fileSize - header.descriptionIndexStart == 5 + uint64_t{storedCount} * 8;
  uint32_t count = std::min(storedCount, kMaxIndexEntries);
  // Never trust the count beyond what the file can hold.
  count = static_cast<uint32_t>(std::min<uint64_t>(count, in.Remaining() / 8));
  index_.reserve(count);
  // A record takes its key and length (6 bytes) between the area's count and the index.
  const uint64_t areaLength = header.descriptionIndexStart - header.descriptionsStart;
  for (uint32_t i = 0; i < count && fields.ok(); ++i) {
    RecordKey key = fields.U32();
    uint32_t offset = fields.U32();
    if (!fields.ok()) break;
    // Such a pair is kept, as every pair is: reading it finds no record of its key, so no text.
    if (offset < 4 || uint64_t{offset} + 6 > areaLength) intact = false;
    index_.push_back({key, uint64_t{header.descriptionsStart} + offset});
  }
  std::stable_sort(index_.begin(), index_.end(), [](const IndexEntry& a, const IndexEntry& b) { return a.key < b.key; });
  return intact;
}

std::optional<std::string> DescriptionStore::ReadPending(const PendingEdit& edit) {
  if (!edits_ || !edits_->Flush()) return std::nullopt;
  uint8_t head[6];
  auto got = edits_->File()->ReadAt(edit.offset, std::as_writable_bytes(std::span(head)));
  if (!got || *got != sizeof head) return std::nullopt;
  size_t length = DecodeFixed(head + 4, 2);
  if (length > format::kDescriptionMaxStoredLength) return std::nullopt;
  std::string text(length, '\0');
  got = edits_->File()->ReadAt(edit.offset + 6, std::as_writable_bytes(std::span(text.data(), length)));
  if (!got || *got != length) return std::nullopt;
  return text;
}

std::vector<std::pair<RecordKey, std::string>> DescriptionStore::PendingTexts() {
  std::vector<std::pair<RecordKey, std::string>> texts;
  texts.reserve(pending_.size());
  for (const PendingEdit& edit : pending_) {
    if (std::optional<std::string> text = ReadPending(edit)) texts.emplace_back(edit.key, std::move(*text));
  }
  return texts;
}

std::optional<std::string> DescriptionStore::GetDescription(RecordKey key) {
  if (auto found = pendingByKey_.find(key); found != pendingByKey_.end()) {
    auto text = ReadPending(pending_[found->second]);
    if (text && text->empty()) return std::nullopt;
    return text;
  }
  if (volumeFile_ == nullptr || index_.empty()) return std::nullopt;
  auto entry = std::lower_bound(index_.begin(), index_.end(), key,
                                [](const IndexEntry& e, RecordKey k) { return e.key < k; });
  if (entry == index_.end() || entry->key != key) return std::nullopt;
  platform::BufferedReader in(*volumeFile_, 1024);
  auto record = ReadRecord(in, entry->offset);
  if (!record || record->key != key || record->text.empty()) return std::nullopt;
  return std::move(record->text);
}

bool DescriptionStore::SetDescription(RecordKey key, std::string_view text, const std::string& directory) {
  if (!edits_) {
    edits_ = std::make_unique<VolumeWriter>(fileSystem_, prompter_);
    if (!edits_->OpenTemporary(directory)) {
      edits_.reset();
      return false;
    }
  }
  text = text.substr(0, Utf8CutLength(text, kMaxTextLength));
  uint64_t offset;
  auto found = pendingByKey_.find(key);
  if (found != pendingByKey_.end()) {
    offset = pending_[found->second].offset;
  } else {
    if (descriptionCount_ >= kMaxDescriptions) {
      prompter_.ShowError(messages::kTooManyDescriptions);
      return false;
    }
    ++descriptionCount_;
    offset = edits_->LogicalPosition();
    pendingByKey_.emplace(key, pending_.size());
    pending_.push_back({key, offset});
  }
  uint8_t record[kEditRecordSize];
  EncodeFixed(record, key, 4);
  EncodeFixed(record + 4, text.size(), 2);
  std::memset(record + 6, '-', kSlotSize);
  std::memcpy(record + 6, text.data(), text.size());
  record[6 + text.size()] = '\0';
  if (offset == edits_->LogicalPosition()) {
    edits_->Write(record, sizeof record);
  } else {
    edits_->PatchAt(offset, record, sizeof record);
  }
  // Each edit goes to the file at once: it is the user's typing.
  return edits_->Flush();
}

DescriptionAreaWriter::DescriptionAreaWriter(VolumeWriter& out) : out_(out), countAt_(out.LogicalPosition()) {
  out_.WriteU32(0);
}

void DescriptionAreaWriter::Add(RecordKey key, std::string_view text) {
  index_.emplace_back(key, static_cast<uint32_t>(out_.LogicalPosition() - countAt_));
  out_.WriteU32(key);
  out_.WriteU16(static_cast<uint16_t>(text.size()));
  out_.Write(text.data(), text.size());
}

std::optional<uint64_t> DescriptionAreaWriter::Finish() {
  const uint64_t indexStart = out_.LogicalPosition();
  if (indexStart > 0xFFFFFFFFu) return std::nullopt;
  out_.WriteU8(format::kTagDescriptionIndex);
  out_.WriteU32(static_cast<uint32_t>(index_.size()));
  for (const auto& [key, offset] : index_) {
    out_.WriteU32(key);
    out_.WriteU32(offset);
  }
  uint8_t field[4];
  EncodeFixed(field, index_.size(), 4);
  out_.PatchAt(countAt_, field, 4);
  return indexStart;
}

bool ForEachStoredDescription(platform::File& volumeFile, const VolumeHeader& header,
                              const std::function<bool(RecordKey key, std::string_view text)>& visit) {
  // The stored records follow the count, up to the index.
  platform::BufferedReader in(volumeFile);
  uint64_t position = uint64_t{header.descriptionsStart} + 4;
  while (position + 6 <= header.descriptionIndexStart) {
    auto record = ReadRecord(in, position);
    if (!record) return false;
    position = in.Position();
    if (!record->text.empty() && !visit(record->key, record->text)) return true;
  }
  return true;
}

bool DescriptionStore::WriteMerged(VolumeWriter& out, platform::File& volumeFile, const VolumeHeader& header) {
  // Header, sources and tree stay byte for byte, so every key stays valid.
  if (!out.CopyFrom(volumeFile, 0, header.descriptionsStart)) return false;
  DescriptionAreaWriter area(out);
  for (const PendingEdit& edit : pending_) {
    auto text = ReadPending(edit);
    if (!text) return false;
    if (!text->empty()) area.Add(edit.key, *text);
  }
  // A record that cannot be read ends the stored ones, as it always did: what came before is kept.
  static_cast<void>(ForEachStoredDescription(volumeFile, header, [&](RecordKey key, std::string_view text) {
    if (!pendingByKey_.count(key)) area.Add(key, text);
    return true;
  }));
  std::optional<uint64_t> indexStart = area.Finish();
  if (!indexStart) return false;
  uint8_t field[4];
  EncodeFixed(field, *indexStart, 4);
  out.PatchAt(kDescriptionIndexOffsetField, field, 4);
  return out.Flush();
}

}  // namespace volumist
