// XmlExporter: writes the content of a loaded volume, or of one folder or archive of it, as an XML
// document that other programs read.
//
// The document is streamed: the exporter walks the volume's records in their stored order through
// the volume's read handle, keeps the full path of the open folders and archives, and writes one
// element per folder, file and archive with the columns and sections the options choose. Every
// value is written either as an attribute of its item's start tag or as a child element of its own
// (ExportOptions::attributeForm), for the whole document. Lines end with CR LF and are not
// indented; texts are escaped by EscapeXml, so the document is plain ASCII and well-formed.
//
// The document goes to a temporary file beside the output path, and replaces the output file only
// when it was written and synced completely (platform/file_replacement.h: links followed, anything
// but a regular file refused); otherwise the output file stays as it was and the temporary file is
// removed. It can also be streamed (standard output), without a temporary file.
//
// Uses the volume's read handle: nothing else may read the volume during Run. Used by one thread
// at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog_record.h"
#include "catalog/export_options.h"
#include "catalog/prompter.h"
#include "catalog/volume_catalog.h"
#include "catalog/volume_writer.h"
#include "platform/file_system.h"

namespace volumist {

// True when the wrappers that `options` choose would leave the document without exactly one
// top-level element: neither ROOT nor VOLUME is written, and the CONTENT element is off (the items
// would stand side by side) or the TOTALS element would follow it. ROOT is then written.
bool NeedsRootElement(const ExportOptions& options);

class XmlExporter {
 public:
  // Output buffer: large writes keep the system calls few.
  static constexpr size_t kBufferSize = 1 << 20;

  // `volume`, `fileSystem` (for the output file) and `prompter` must outlive the exporter.
  //
  // The options used: outputPath; the five switches; columnEnabled and columnOrder (ids that name
  // no column, and repeated ids, are skipped); includeSubfolders; attributeForm; the three
  // wrappers (see NeedsRootElement); startPosition and startPath. format and exportFrom are the
  // caller's: it sets startPosition and includeSubfolders from the choice.
  //
  // startPosition 0 exports the whole volume, with paths starting at "\". Otherwise it is the key of
  // a folder or archive record, whose contents become the top-level items; its own record is not
  // written. Their paths start at startPath, which gets a closing "\" (or "/" for an archive) when
  // it has none; an empty startPath is made from the names of the record and the folders and
  // archives above it. An archive given as the start is exported with its entries even when
  // saveArchiveContent is off, and its folders are descended into even when includeSubfolders is
  // off, as for every folder inside an archive.
  XmlExporter(VolumeCatalog& volume, ExportOptions options, platform::FileSystem& fileSystem, Prompter& prompter);

  // Writes the whole document. False, with the output file untouched, when: the volume is not
  // loaded (nothing shown: the caller has said "Please, load some volume first."); the temporary
  // file cannot be created (its message is shown); the start position is not a folder or archive
  // of the volume, or a record cannot be read or contradicts the tree, which ends the walk
  // (kExportVolumeDamaged); or a write, the sync, the close or the rename fails
  // (kCouldNotWriteExport, also for an empty output path); or the output path names the volume file
  // itself (kExportWouldReplaceVolume), also through a link; or it names a folder or a special file
  // (kExportTargetNotRegular), which is refused before the walk.
  [[nodiscard]] bool Run();
  // Writes the whole document to `stream` in order (outputPath is not used). False as Run: the
  // volume is not loaded, is damaged, or a write fails (kCouldNotWriteExport).
  [[nodiscard]] bool Run(std::unique_ptr<platform::File> stream);

  // Told now and then during Run how many bytes of the volume's tree (or of the exported folder)
  // the walk has passed, of how many; returning false stops the export: Run then returns false
  // without a message, Stopped() is true, and the output file is as it was (a stream has what was
  // written so far). Called on the thread that runs the export.
  using Progress = std::function<bool(uint64_t done, uint64_t total)>;
  void SetProgress(Progress progress) { progress_ = std::move(progress); }
  bool Stopped() const { return stopped_; }

  // What the last Run counted: folders, files (archives included) and archives written.
  uint64_t FolderTotal() const { return folderTotal_; }
  uint64_t FileTotal() const { return fileTotal_; }
  uint64_t ArchiveTotal() const { return archiveTotal_; }

 private:
  // One open folder or archive of the walk.
  struct Level {
    size_t pathLength;  // the path's length before the level was pushed
    uint64_t end;       // file offset just past its folder end
    bool isArchive;
  };
  // Where the walk runs, and what lies above it.
  struct Start {
    uint64_t begin = 0;
    uint64_t limit = 0;
    std::string path;
    bool insideArchive = false;
  };

  // The document, written into `writer`; false (with the message shown) when the volume is damaged.
  bool WriteDocument(VolumeWriter& writer);
  std::optional<Start> FindStart();
  // Walks [begin, limit); false when the volume is damaged there.
  bool Walk(uint64_t position, uint64_t limit);
  // The end offset of a folder or archive just read, if it lies after the record and inside the
  // innermost open level (or the walk).
  std::optional<uint64_t> CheckedEnd(const NestingFields& nested, uint64_t limit) const;

  // The element writers; each writes both forms.
  void WriteDocumentHeader();
  void WriteDocumentFooter();
  void WriteContentStart();
  void WriteContentEnd();
  void WriteFolderStart(const FolderRecord& folder);
  void WriteLevelEnd(bool isArchive);
  void WriteFile(const FileRecord& file, RecordKey key);
  void WriteArchiveStart(const ArchiveRecord& archive);
  void WriteTotals();

  // NAME and the chosen columns of a file or archive; the description is stored under
  // `descriptionKey`, the item's own record under `key`.
  void WriteFileFields(const FileRecord& file, RecordKey key, RecordKey descriptionKey);
  void WriteSignatures(const FileRecord& file);
  void WriteMedia(const FileRecord& file);
  void WriteDescriptionField(RecordKey descriptionKey);
  void WriteSourceField(ExportColumn column, RecordKey key);

  // A value field in the document's form: ` NAME="value"` or `<NAME>value</NAME>` and a line end.
  void OpenField(std::string_view name);
  void CloseField(std::string_view name);
  void PlainField(std::string_view name, std::string_view value);
  void TextField(std::string_view name, std::string_view value);
  // ` NAME="value"` in every form (the media lines), escaped.
  void Attribute(std::string_view name, std::string_view value);
  void Put(std::string_view text) { out_->Write(text.data(), text.size()); }
  void PutEscaped(std::string_view text);
  void PutNumber(uint64_t value);

  VolumeCatalog& volume_;
  ExportOptions options_;
  platform::FileSystem& fileSystem_;
  Prompter& prompter_;
  // Column ids to write, in order, each once.
  std::vector<ExportColumn> columns_;

  VolumeWriter* out_ = nullptr;  // while Run writes
  std::string path_;             // the full path of the open level: "\Folder\archive.zip/"
  std::vector<Level> levels_;
  int archiveDepth_ = 0;         // open archives, counting one above the start
  std::string escaped_;          // the escape buffer
  FolderRecord folder_;
  FileRecord file_;
  ArchiveRecord archive_;
  uint64_t folderTotal_ = 0;
  uint64_t fileTotal_ = 0;
  uint64_t archiveTotal_ = 0;
  Progress progress_;
  bool stopped_ = false;
};

}  // namespace volumist
