// VolumeCatalog: one volume, either loaded for viewing or being written by a scan.
//
// A loaded volume keeps only its header, its sources and one open read handle; the tree is read on
// demand, record by record, through Records() positioned by key. A volume being written is filled
// by CreateVolume or AddToVolume through a temporary file that replaces the target only when
// complete (platform/file_replacement.h).
//
// Several writers of one volume file, in this process or others, never lose each other's changes:
// a writer that reads the file, changes it and writes it back (AddToVolume, SaveDescriptions,
// SetVolumeName) holds the file's exclusive lock from its read to its write, and a second writer
// waits for it (at most LockWait(), then it fails with "Another writer is still changing this
// volume file...") and then works on the new content. Reading a volume never takes a lock.
//
// Thread use: the five header counters may be read from any thread (they carry their own lock), and
// RequestStop may be called from any thread. Everything else belongs to one thread at a time: the
// scan worker while the volume is written, the user-interface thread otherwise.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog/catalog_time.h"
#include "catalog/content_writer.h"
#include "catalog/description_store.h"
#include "catalog/prompter.h"
#include "catalog/record_reader.h"
#include "catalog/scan_job.h"
#include "catalog/size_value.h"
#include "catalog/source_list.h"
#include "catalog/volume_header.h"
#include "platform/buffered_reader.h"
#include "platform/file_replacement.h"
#include "platform/file_system.h"

namespace volumist {

// What opening found wrong in a volume whose header could be read. Readers go on with what they can
// read; a front end tells the user (DamageMessage).
enum class VolumeDamage : uint8_t {
  kNone,
  kAreasApart,        // the tree does not end where the description area starts
  kDescriptionIndex,  // the description index is damaged (DescriptionStore::LoadIndex)
};

class VolumeCatalog {
 public:
  // `fileSystem` and `prompter` must outlive the catalog.
  VolumeCatalog(platform::FileSystem& fileSystem, Prompter& prompter);
  ~VolumeCatalog();
  VolumeCatalog(const VolumeCatalog&) = delete;
  VolumeCatalog& operator=(const VolumeCatalog&) = delete;

  // Opens a volume file for viewing: checks the magic, reads the header and the sources, takes the
  // file's size and time and, when asked, loads the description index (dropping pending edits). On
  // failure shows "Could not open volume file for read..." (unless quiet). A volume that opens but
  // is damaged says so in Damage(); nothing is shown.
  [[nodiscard]] bool OpenVolume(const std::string& path, bool loadDescriptions = true);
  // The damage found by the last open (kNone after a failed one).
  VolumeDamage Damage() const { return damage_; }
  // Closes the volume. With `askToSave` and pending description edits, first asks "You did changes of
  // descriptions in current volume. Do you want to save them?" and saves on Yes. Pending edits are
  // dropped.
  void CloseVolume(bool askToSave = false);

  // Descriptions: key 0 is the volume, a folder's or archive's selfKey, a file's key plus 1.
  std::optional<std::string> GetDescription(RecordKey key) { return descriptions_.GetDescription(key); }
  // Records an edit (see DescriptionStore::SetDescription); the volume then has pending descriptions.
  [[nodiscard]] bool SetDescription(RecordKey key, std::string_view text);
  // Merges the pending edits into the volume file, which is replaced as a whole, and reopens it.
  // The merge works on the file as it is when the save takes its lock, so changes that other
  // writers made since the volume was loaded are kept (sources added, descriptions saved, the
  // name); a file replaced by a new scan whose tree is not the loaded one's fails with "The volume
  // file was replaced by a new scan...". On failure (also with nothing pending) shows "Can't save
  // new descriptions data to the volume!"; the edits stay pending and the volume stays as it was.
  [[nodiscard]] bool SaveDescriptions();
  // Drops the pending edits and reopens the volume.
  void DiscardDescriptions();
  bool HasPendingDescriptions() const { return descriptions_.HasPending(); }
  // The pending edits' texts by key (DescriptionStore::PendingTexts).
  std::vector<std::pair<RecordKey, std::string>> PendingDescriptionTexts() { return descriptions_.PendingTexts(); }
  const DescriptionStore& Descriptions() const { return descriptions_; }

  // Writes a new volume file for `job` (target job.volumeFileName, relative to the current directory
  // or absolute) with the contents `contents` produces, and opens it unless the catalog stays closed.
  // A target that is a folder or a special file is refused before anything is written. When a file
  // has the target's name at the end, job.existingFile decides: it is replaced, or the user is asked
  // "File of Disk Ledger already exists! Do you want to rewrite it?", or the volume takes the next
  // free default name (VolumeFilePath, Header().volumeName and NextVolumeCounter tell which).
  [[nodiscard]] bool CreateVolume(const ScanJob& job, ContentWriter& contents);
  // Appends the job's sources to the volume file job.volumeFileName, keeping all it holds, under the
  // file's lock for the whole scan. The job's options are first merged with the volume's
  // (MergeOptions).
  [[nodiscard]] bool AddToVolume(ScanJob& job, ContentWriter& contents);

  // Rewrites the 256-byte name field of this volume's file in place, under the file's lock. Names of
  // more than 255 bytes are refused. On a bad file shows "Bad volume file. Could not rename it.";
  // when the file cannot be written, "Could not write the new name into the volume file: " and why.
  [[nodiscard]] bool SetVolumeName(const std::string& newName);

  // Reads the first 10 bytes of `file` and compares them with the magic.
  static bool ValidateMagic(platform::File& file);

  // Record access while loaded.
  RecordReader& Records() { return *records_; }
  uint64_t AbsoluteOffset(RecordKey key) const { return uint64_t{header_.treeStart} + key; }
  void SeekToKey(RecordKey key) { records_->Seek(AbsoluteOffset(key)); }
  const SourceEntry* FindSourceForKey(RecordKey key) const { return sources_.FindSourceForKey(key); }

  const std::string& VolumeFilePath() const { return volumeFilePath_; }
  bool IsLoaded() const { return isLoaded_; }
  bool IsBeingWritten() const { return isBeingWritten_; }
  VolumeHeader& Header() { return header_; }
  const VolumeHeader& Header() const { return header_; }
  const SourceList& Sources() const { return sources_; }
  SizeValue VolumeFileSize() const { return volumeFileSize_; }
  CatalogTime VolumeFileTime() const { return volumeFileTime_; }

  // A volume that was just written is not reopened.
  void SetStaysClosed(bool value) { staysClosed_ = value; }
  // A failed open shows no message.
  void SetQuiet(bool value) { isQuiet_ = value; }
  // How long a write waits for another writer's lock on the volume file.
  void SetLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }
  std::chrono::milliseconds LockWait() const { return lockWait_; }
  // After CreateVolume: the volume counter that follows the default name the volume took (it moves
  // on when another scan took the job's default name meanwhile); the job's counter otherwise.
  uint32_t NextVolumeCounter() const { return nextVolumeCounter_; }

  void RequestStop() { stopRequested_.store(true, std::memory_order_relaxed); }
  bool StopRequested() const { return stopRequested_.load(std::memory_order_relaxed); }
  // The flag itself, for a writer that polls it while it writes this volume.
  const std::atomic<bool>& StopFlag() const { return stopRequested_; }

  platform::FileSystem& FileSystem() { return fileSystem_; }
  Prompter& GetPrompter() { return prompter_; }

 private:
  // Closes the file and forgets the header; pending description edits stay.
  void Reset();
  bool ReadHeaderAndSources(platform::File& file);
  // Starts `writer` on the new version of `target`; on failure shows why.
  bool OpenReplacing(VolumeWriter& writer, const std::string& target, bool lockTarget);
  // Puts the written volume in place; `target` and the header's name follow a move to the next free
  // default name.
  bool FinishWrite(VolumeWriter& writer, ExistingVolumeFile existingFile, uint32_t volumeCounter, std::string& target);
  bool FailWrite(VolumeWriter& writer);

  platform::FileSystem& fileSystem_;
  Prompter& prompter_;
  std::string volumeFilePath_;
  std::unique_ptr<platform::File> file_;
  std::unique_ptr<platform::BufferedReader> input_;
  std::unique_ptr<RecordReader> records_;
  bool isLoaded_ = false;
  bool isBeingWritten_ = false;
  bool staysClosed_ = false;
  bool isQuiet_ = false;
  std::chrono::milliseconds lockWait_ = platform::kDefaultLockWait;
  uint32_t nextVolumeCounter_ = 0;
  std::atomic<bool> stopRequested_{false};
  VolumeDamage damage_ = VolumeDamage::kNone;
  VolumeHeader header_;
  SourceList sources_;
  SizeValue volumeFileSize_{0};
  CatalogTime volumeFileTime_;
  DescriptionStore descriptions_;
};

// The text that tells the user of `damage` (empty for kNone).
const char* DamageMessage(VolumeDamage damage);

// Reads the header and the source list of a volume file: false for a wrong magic or a header whose
// areas do not lie in order inside the file.
bool ReadVolumeHeader(platform::File& file, VolumeHeader& header, SourceList& sources);

// Completes a volume file being written through `writer` once its tree (and description area) is
// written: cuts the file at the writer's logical end, then writes the header fields known only now
// (offsets, counters, options, content size) and every source's key range in place.
void PatchHeaderAndSourceKeys(VolumeWriter& writer, const VolumeHeader& header, const SourceList& sources);

// What WriteVolumeName did.
struct VolumeNameWrite {
  bool isVolume = true;                              // false: the file is not a volume file
  platform::FileError error = platform::FileError::kNone;  // why it could not be locked or written
  bool ok() const { return isVolume && error == platform::FileError::kNone; }
};
// Writes `name` into the name field of the volume file at `path` (links followed), in place, holding
// the file's lock (waiting at most `lockWait` for another writer). Nothing is shown.
VolumeNameWrite WriteVolumeName(platform::FileSystem& fileSystem, const std::string& path, const std::string& name,
                                std::chrono::milliseconds lockWait = platform::kDefaultLockWait);
// Shows why a WriteVolumeName failed: "Bad volume file. Could not rename it.", "Another writer is
// still changing this volume file...", or "Could not write the new name into the volume file: "
// with the cause.
void ShowVolumeNameFailure(Prompter& prompter, const VolumeNameWrite& result);

}  // namespace volumist
