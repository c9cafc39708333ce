// ManifestExporter: writes the items of a loaded volume, or of one folder or archive of it, as a
// list that other tools read: checksum manifests (`md5sum -c`, SFV), eDonkey2000 links, CSV, JSON
// Lines. The walk, the paths and the output file are the exporter's; what a line looks like is a
// ManifestRowWriter's (manifest_rows.h holds the core's, the command line adds JSON Lines).
//
// Which items reach the row writer:
// - kFilesOnDisk (checksum manifests, links): the files and archives that exist on the disk. Folders
//   are walked but not written; archive members are never written, since no tool can open them by
//   path. A row writer may still pass over an item (no signature of its kind, a name its format
//   cannot hold); the exporter counts those.
// - kAllItems (CSV, JSON): folders, files and archives; the members of listed archives when
//   ExportOptions::saveArchiveContent is on.
// Subfolders are descended into when ExportOptions::includeSubfolders is on (inside archives always).
//
// Paths. Every item gets two:
// - its disk path: the raw names from the source's root down to the item joined by "/", so a checksum
//   tool started in the source's root folder finds the file. In a volume of several sources the
//   source's name comes first (the path from a folder that holds the sources side by side).
// - its item path: the path language of catalog/item_path.h from the top of the volume, as
//   `volumist-cli ls` prints it (always valid UTF-8, one line).
//
// Output goes to a temporary file beside the output path that replaces it only when written and
// synced completely (platform/file_replacement.h), or to a stream (standard output).
//
// Uses the volume's read handle: nothing else may read the volume during Run. One thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/catalog_record.h"
#include "catalog/change_report.h"
#include "catalog/export_options.h"
#include "catalog/prompter.h"
#include "catalog/source_list.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"

namespace volumist {

// One item of the walk. The views and pointers are valid during the row writer's call only.
struct ManifestItem {
  ItemKind kind = ItemKind::kFile;
  bool inArchive = false;                 // a member of a listed archive
  const CatalogRecord* record = nullptr;  // name (the base name), extension (with its dot), size
  const FileRecord* file = nullptr;       // files and archives: time, attributes, signatures
  std::string_view name;                  // the whole name: base name and extension
  std::string_view diskPath;
  std::string_view itemPath;
  const SourceEntry* source = nullptr;    // null in a damaged volume
  const std::string* description = nullptr;  // when the row writer asked for descriptions and there is one

  // The item's signatures, when its record holds them.
  const SignatureBlock* Signatures() const {
    return file != nullptr && file->tag.hasSignatures ? &file->signatures : nullptr;
  }
};

// What a row writer did with an item.
enum class RowOutcome : uint8_t {
  kWritten,
  kNoSignature,   // the item holds no signature of the format's kind: left out
  kUnwritable,    // the format cannot hold the item's name (an SFV line break): left out
};

// Turns items into text. `out` is the exporter's buffer: rows are appended to it.
class ManifestRowWriter {
 public:
  enum class Scope : uint8_t { kFilesOnDisk, kAllItems };

  virtual ~ManifestRowWriter() = default;
  virtual Scope ItemScope() const = 0;
  virtual bool WantsDescriptions() const { return false; }
  // The lines before the first item.
  virtual void Begin(std::string& /*out*/) {}
  virtual RowOutcome Row(const ManifestItem& item, std::string& out) = 0;
};

// What the last Run did.
struct ManifestTotals {
  uint64_t written = 0;          // items written
  uint64_t noSignature = 0;      // left out: no signature of the format's kind
  uint64_t unwritable = 0;       // left out: a name the format cannot hold
  uint64_t archiveMembers = 0;   // kFilesOnDisk: members of listed archives, never written
  uint64_t outputBytes = 0;
};

class ManifestExporter {
 public:
  static constexpr size_t kBufferSize = 1 << 20;

  // `volume`, `fileSystem` and `prompter` must outlive the exporter. The options used: outputPath,
  // includeSubfolders, saveArchiveContent, startPosition (0: the whole volume; otherwise the key of
  // a folder or archive whose contents are written, not its own record).
  ManifestExporter(VolumeCatalog& volume, ExportOptions options, platform::FileSystem& fileSystem, Prompter& prompter);

  // Writes the whole list into the output file. False, with the output file as it was, when the
  // volume is not loaded (nothing shown); the output path is empty or a write, the sync or the
  // rename fails (kCouldNotWriteList); it names the volume file (kListWouldReplaceVolume), a folder
  // or a special file (kListTargetNotRegular); the temporary file cannot be made; the start is not
  // a folder or archive, or a record cannot be read (kExportVolumeDamaged).
  [[nodiscard]] bool Run(ManifestRowWriter& rows);
  // The same into `stream`, in order.
  [[nodiscard]] bool Run(ManifestRowWriter& rows, std::unique_ptr<platform::File> stream);

  const ManifestTotals& Totals() const { return totals_; }

 private:
  class Walk;
  bool WriteList(ManifestRowWriter& rows, VolumeWriter& writer);

  VolumeCatalog& volume_;
  ExportOptions options_;
  platform::FileSystem& fileSystem_;
  Prompter& prompter_;
  ManifestTotals totals_;
};

}  // namespace volumist
