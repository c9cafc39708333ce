#include "export/xml_exporter.h"

#include <algorithm>
#include <charconv>

#include "analysis/media_format.h"
#include "analysis/mp3_values.h"
#include "analysis/video_info.h"
#include "catalog/folder_chain.h"
#include "catalog/messages.h"
#include "catalog/value_format.h"
#include "export/messages.h"
#include "export/xml_escape.h"

namespace volumist {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsFolderColumn(ExportColumn column) {
  // A folder has no extension, time or attributes.
  return column != ExportColumn::kType && column != ExportColumn::kDateTime && column != ExportColumn::kAttributes;
}

bool EndsWithSeparator(std::string_view path) { return !path.empty() && (path.back() == '\\' || path.back() == '/'); }

}  // namespace

bool NeedsRootElement(const ExportOptions& options) {
  return !options.writeRoot && !options.writeVolume && (!options.writeContent || options.saveTotals);
}

XmlExporter::XmlExporter(VolumeCatalog& volume, ExportOptions options, platform::FileSystem& fileSystem,
                         Prompter& prompter)
    : volume_(volume), options_(std::move(options)), fileSystem_(fileSystem), prompter_(prompter) {
  if (NeedsRootElement(options_)) options_.writeRoot = true;
  bool seen[kExportColumnCount] = {};
  for (uint8_t id : options_.columnOrder) {
    if (!options_.IsColumnEnabled(id) || seen[id - 1]) continue;
    seen[id - 1] = true;
    columns_.push_back(static_cast<ExportColumn>(id));
  }
}

bool XmlExporter::Run() {
  folderTotal_ = fileTotal_ = archiveTotal_ = 0;
  stopped_ = false;
  if (!volume_.IsLoaded()) return false;
  if (options_.outputPath.empty()) {
    prompter_.ShowError(messages::kCouldNotWriteExport);
    return false;
  }
  // Renaming the document over the volume being read would lose the catalog; through a link too.
  if (platform::WouldReplaceFile(fileSystem_, options_.outputPath, volume_.VolumeFilePath())) {
    prompter_.ShowError(messages::kExportWouldReplaceVolume);
    return false;
  }
  VolumeWriter writer(fileSystem_, prompter_, kBufferSize, VolumeWriter::kNoSizeLimit);
  switch (writer.OpenReplacing(options_.outputPath)) {
    case platform::FileError::kNone: break;
    case platform::FileError::kNotRegularFile: prompter_.ShowError(messages::kExportTargetNotRegular); return false;
    default: prompter_.ShowError(messages::kCantCreateTemporaryFile); return false;
  }
  if (!WriteDocument(writer)) return false;
  if (writer.Finish() == VolumeWriter::FinishResult::kDone) return true;
  prompter_.ShowError(messages::kCouldNotWriteExport);
  return false;
}

bool XmlExporter::Run(std::unique_ptr<platform::File> stream) {
  folderTotal_ = fileTotal_ = archiveTotal_ = 0;
  stopped_ = false;
  if (!volume_.IsLoaded()) return false;
  VolumeWriter writer(fileSystem_, prompter_, kBufferSize, VolumeWriter::kNoSizeLimit);
  writer.OpenStream(std::move(stream));
  if (!WriteDocument(writer)) return false;
  if (writer.Finish() == VolumeWriter::FinishResult::kDone) return true;
  prompter_.ShowError(messages::kCouldNotWriteExport);
  return false;
}

bool XmlExporter::WriteDocument(VolumeWriter& writer) {
  std::optional<Start> start = FindStart();
  if (!start) {
    prompter_.ShowError(messages::kExportVolumeDamaged);
    return false;
  }
  out_ = &writer;
  path_ = std::move(start->path);
  levels_.clear();
  archiveDepth_ = start->insideArchive ? 1 : 0;

  WriteDocumentHeader();
  WriteContentStart();
  bool walked = Walk(start->begin, start->limit);
  if (walked) {
    WriteContentEnd();
    WriteTotals();
    WriteDocumentFooter();
  }
  out_ = nullptr;
  if (stopped_) return false;  // the writer removes its temporary file
  if (!walked) {
    // The writer removes its temporary file.
    prompter_.ShowError(messages::kExportVolumeDamaged);
    return false;
  }
  return true;
}

std::optional<XmlExporter::Start> XmlExporter::FindStart() {
  const VolumeHeader& header = volume_.Header();
  Start start;
  if (options_.startPosition == 0) {
    start.begin = header.treeStart;
    start.limit = header.treeEnd;
    start.path = "\\";
    return start;
  }
  RecordReader& records = volume_.Records();
  // Reads the folder or archive record at `key`: its nesting fields and whether it is an archive.
  struct Container {
    NestingFields nesting;
    bool isArchive = false;
    uint64_t recordEnd = 0;
  };
  auto readContainer = [&](RecordKey key) -> std::optional<Container> {
    uint64_t offset = volume_.AbsoluteOffset(key);
    if (offset >= header.treeEnd) return std::nullopt;
    records.Seek(offset);
    RecordTag tag = records.ReadTag();
    Container container;
    if (tag.kind == RecordKind::kFolder) {
      if (!records.ReadFolderRecord(tag, folder_)) return std::nullopt;
      container.nesting = folder_;
    } else if (tag.kind == RecordKind::kArchive) {
      if (!records.ReadArchiveRecord(tag, archive_)) return std::nullopt;
      container.nesting = archive_;
      container.isArchive = true;
    } else {
      return std::nullopt;
    }
    container.recordEnd = records.Position();
    uint64_t end = volume_.AbsoluteOffset(container.nesting.endKey);
    if (end <= container.recordEnd || end > header.treeEnd) return std::nullopt;
    return container;
  };

  auto own = readContainer(options_.startPosition);
  if (!own) return std::nullopt;
  start.begin = own->recordEnd;
  start.limit = volume_.AbsoluteOffset(own->nesting.endKey);
  start.insideArchive = own->isArchive;
  // Up through the parents to learn whether the start lies inside an archive, and its path.
  std::optional<std::vector<ChainLink>> chain = ReadFolderChain(volume_, options_.startPosition);
  if (!chain) return std::nullopt;
  std::string chainPath;
  for (const ChainLink& link : *chain) {
    if (link.isArchive) start.insideArchive = true;
    chainPath += link.name + (link.isArchive ? "/" : "\\");
  }
  if (!options_.startPath.empty()) {
    start.path = options_.startPath;
    if (!EndsWithSeparator(start.path)) start.path += own->isArchive ? "/" : "\\";
  } else {
    start.path = "\\" + chainPath;
  }
  return start;
}

std::optional<uint64_t> XmlExporter::CheckedEnd(const NestingFields& nested, uint64_t limit) const {
  uint64_t end = volume_.AbsoluteOffset(nested.endKey);
  uint64_t container = levels_.empty() ? limit : levels_.back().end;
  if (end <= nested.contentOffset || end > container) return std::nullopt;
  return end;
}

bool XmlExporter::Walk(uint64_t position, uint64_t limit) {
  RecordReader& records = volume_.Records();
  const uint64_t treeStart = volume_.Header().treeStart;
  // Progress is told every kProgressStep bytes of records, which is a few thousand items.
  constexpr uint64_t kProgressStep = 256 * 1024;
  const uint64_t begin = position;
  uint64_t nextProgress = position;
  // Every step moves forward by at least one byte, so the walk ends even in a damaged volume.
  while (position < limit) {
    // After a failed write the rest would be lost anyway; the finish reports it.
    if (!out_->ok()) return true;
    if (progress_ && position >= nextProgress) {
      if (!progress_(position - begin, limit - begin)) {
        stopped_ = true;
        return false;
      }
      nextProgress = position + kProgressStep;
    }
    records.Seek(position);
    RecordTag tag = records.ReadTag();
    RecordKey key = static_cast<RecordKey>(position - treeStart);
    switch (tag.kind) {
      case RecordKind::kSourceMark:
        if (!records.ReadSourceMark()) return false;
        position = records.Position();
        break;
      case RecordKind::kDescriptionIndex:
        position += 1;
        break;
      case RecordKind::kFolder: {
        if (!records.ReadFolderRecord(tag, folder_)) return false;
        auto end = CheckedEnd(folder_, limit);
        if (!end) return false;
        WriteFolderStart(folder_);
        ++folderTotal_;
        if (!options_.includeSubfolders && archiveDepth_ == 0) {
          // Written without its contents.
          WriteLevelEnd(false);
          position = *end;
        } else {
          levels_.push_back({path_.size(), *end, false});
          path_ += folder_.name.Text();
          path_ += '\\';
          position = records.Position();
        }
        break;
      }
      case RecordKind::kArchive: {
        if (!records.ReadArchiveRecord(tag, archive_)) return false;
        auto end = CheckedEnd(archive_, limit);
        if (!end) return false;
        WriteArchiveStart(archive_);
        ++archiveTotal_;
        ++fileTotal_;
        if (!options_.saveArchiveContent) {
          WriteLevelEnd(true);
          position = *end;
        } else {
          levels_.push_back({path_.size(), *end, true});
          path_ += archive_.name.Text();
          path_ += archive_.extension.Text();
          path_ += '/';
          ++archiveDepth_;
          position = records.Position();
        }
        break;
      }
      case RecordKind::kFile:
        if (!records.ReadFileRecord(tag, file_)) return false;
        WriteFile(file_, key);
        ++fileTotal_;
        position = records.Position();
        break;
      case RecordKind::kFolderEnd:
        position += 1;
        // A folder end that closes nothing (the second end of a folder source's root) is passed over.
        if (!levels_.empty()) {
          const Level level = levels_.back();
          levels_.pop_back();
          path_.resize(level.pathLength);
          if (level.isArchive) --archiveDepth_;
          WriteLevelEnd(level.isArchive);
        }
        break;
      case RecordKind::kNone:
        // A zero tag ends the data; a tag that could not be read at all is a truncated or unreadable file.
        if (records.Position() == position) return false;
        position = limit;
        break;
      case RecordKind::kUnknown:
        return false;
    }
  }
  return levels_.empty() && !records.Input().HadError();
}

// Document.

void XmlExporter::WriteDocumentHeader() {
  Put("<?xml version=\"1.0\"?>\r\n");
  Put("<!-- Generated by Zarn Volumist Export Generator -->\r\n");
  if (options_.writeRoot) Put("<ROOT>\r\n");
  if (!options_.writeVolume) return;
  Put(options_.attributeForm ? "<VOLUME" : "<VOLUME>\r\n");
  const VolumeHeader& header = volume_.Header();
  TextField("NAME", header.volumeName);
  if (options_.saveVolumeInfo) {
    TextField("FILENAME", volume_.VolumeFilePath());
    Counters counters = header.counters.Snapshot();
    PlainField("FILES", std::to_string(counters.fileCount));
    PlainField("FOLDERS", std::to_string(counters.folderCount));
    PlainField("ARCHIVES", std::to_string(counters.archiveCount));
    PlainField("TOTAL_FILES", std::to_string(counters.totalFileCount));
    PlainField("TOTAL_FOLDERS", std::to_string(counters.totalFolderCount));
    PlainField("VOLUME_CONTENT_SIZE", FormatSizeDecimal(header.contentSize));
    PlainField("VOLUME_FILE_SIZE", FormatSizeDecimal(volume_.VolumeFileSize()));
    PlainField("VOLUME_FILE_TIME", FormatDateTime(volume_.VolumeFileTime()));
  }
  if (options_.attributeForm) Put(">\r\n");
}

void XmlExporter::WriteDocumentFooter() {
  if (options_.writeVolume) Put("</VOLUME>\r\n");
  if (options_.writeRoot) Put("</ROOT>\r\n");
}

void XmlExporter::WriteContentStart() {
  if (options_.writeContent) Put("<CONTENT>\r\n");
}

void XmlExporter::WriteContentEnd() {
  if (options_.writeContent) Put("</CONTENT>\r\n");
}

void XmlExporter::WriteTotals() {
  if (!options_.saveTotals) return;
  if (options_.attributeForm) {
    Put("<TOTALS TOTAL_FOLDERS=\"");
    PutNumber(folderTotal_);
    Put("\" TOTAL_FILES=\"");
    PutNumber(fileTotal_);
    Put("\" TOTAL_ARCHIVES=\"");
    PutNumber(archiveTotal_);
    Put("\"></TOTALS>\r\n");
    return;
  }
  Put("<TOTALS>\r\n<TOTAL_FOLDERS>");
  PutNumber(folderTotal_);
  Put("</TOTAL_FOLDERS>\r\n<TOTAL_FILES>");
  PutNumber(fileTotal_);
  Put("</TOTAL_FILES>\r\n<TOTAL_ARCHIVES>");
  PutNumber(archiveTotal_);
  Put("</TOTAL_ARCHIVES>\r\n</TOTALS>\r\n");
}

// Items.

void XmlExporter::WriteFolderStart(const FolderRecord& folder) {
  Put(options_.attributeForm ? "<FOLDER FolderType=\"DIRECTORY\"" : "<ITEM Type=\"Folder\">\r\n");
  TextField("NAME", folder.name.Text());
  for (ExportColumn column : columns_) {
    if (!IsFolderColumn(column)) continue;
    switch (column) {
      case ExportColumn::kSize: PlainField("SIZE", FormatSizeDecimal(folder.size)); break;
      case ExportColumn::kDescription: WriteDescriptionField(folder.selfKey); break;
      case ExportColumn::kFullPath: TextField("PATH", path_); break;
      default: WriteSourceField(column, static_cast<RecordKey>(folder.recordOffset - volume_.Header().treeStart));
    }
  }
  if (options_.attributeForm) Put(">\r\n");
}

void XmlExporter::WriteLevelEnd(bool isArchive) {
  if (!options_.attributeForm) {
    Put("</ITEM>\r\n");
  } else {
    Put(isArchive && !options_.saveArchiveContent ? "</FILE>\r\n" : "</FOLDER>\r\n");
  }
}

void XmlExporter::WriteFile(const FileRecord& file, RecordKey key) {
  Put(options_.attributeForm ? "<FILE" : "<ITEM Type=\"File\">\r\n");
  WriteFileFields(file, key, FileDescriptionKey(key));
  if (options_.attributeForm) Put(">\r\n");
  WriteSignatures(file);
  WriteMedia(file);
  Put(options_.attributeForm ? "</FILE>\r\n" : "</ITEM>\r\n");
}

void XmlExporter::WriteArchiveStart(const ArchiveRecord& archive) {
  if (options_.attributeForm) {
    Put(options_.saveArchiveContent ? "<FOLDER FolderType=\"ARCHIVE\"" : "<FILE ");
  } else {
    Put(options_.saveArchiveContent ? "<ITEM Type=\"Archive\">\r\n" : "<ITEM Type=\"File\">\r\n");
  }
  WriteFileFields(archive, static_cast<RecordKey>(archive.recordOffset - volume_.Header().treeStart), archive.selfKey);
  if (options_.attributeForm) Put(">\r\n");
  WriteSignatures(archive);
}

void XmlExporter::WriteFileFields(const FileRecord& file, RecordKey key, RecordKey descriptionKey) {
  // Records are read in normal mode: the base name, and the extension with its dot or empty.
  std::string_view extension = file.extension.Text();
  OpenField("NAME");
  PutEscaped(file.name.Text());
  PutEscaped(extension);
  CloseField("NAME");
  for (ExportColumn column : columns_) {
    switch (column) {
      case ExportColumn::kType:
        TextField("EXT", extension.empty() ? extension : extension.substr(1));
        break;
      case ExportColumn::kSize: PlainField("SIZE", FormatSizeDecimal(file.size)); break;
      case ExportColumn::kDateTime: PlainField("TIME", FormatDateTime(file.modifiedTime)); break;
      case ExportColumn::kAttributes: PlainField("ATTRIBUTES", FormatAttributes(file.signatures)); break;
      case ExportColumn::kDescription: WriteDescriptionField(descriptionKey); break;
      case ExportColumn::kFullPath: TextField("PATH", path_); break;
      default: WriteSourceField(column, key);
    }
  }
}

void XmlExporter::WriteDescriptionField(RecordKey descriptionKey) {
  std::optional<std::string> description = volume_.GetDescription(descriptionKey);
  TextField("DESCRIPTION", description ? std::string_view(*description) : std::string_view());
}

void XmlExporter::WriteSourceField(ExportColumn column, RecordKey key) {
  const SourceEntry* source = volume_.FindSourceForKey(key);
  switch (column) {
    case ExportColumn::kLabel: TextField("LABEL", source ? source->volumeLabel.Text() : std::string()); break;
    case ExportColumn::kFileSystem:
      TextField("FILESYSTEM", source ? source->fileSystemName.Text() : std::string());
      break;
    case ExportColumn::kSerial:
      PlainField("SERIAL", source ? FormatSerialNumber(source->serialNumber) : std::string());
      break;
    default: break;
  }
}

void XmlExporter::WriteSignatures(const FileRecord& file) {
  const SignatureBlock& block = file.signatures;
  if (!options_.saveSignatures || !file.tag.hasSignatures || !(block.hasCrc32 || block.hasMd4 || block.hasMd5)) {
    return;
  }
  // The same lines in both forms.
  Put("<SIGNATURES>\r\n");
  if (block.hasCrc32) {
    Put("<CRC32>");
    Put(FormatCrc32(block));
    Put("</CRC32>\r\n");
  }
  if (block.hasMd4) {
    Put("<MD4>");
    Put(FormatMd4(block));
    Put("</MD4>\r\n");
  }
  if (block.hasMd5) {
    Put("<MD5>");
    Put(FormatMd5(block));
    Put("</MD5>\r\n");
  }
  Put("</SIGNATURES>\r\n");
}

void XmlExporter::WriteMedia(const FileRecord& file) {
  const MediaInfo& media = file.mediaInfo;
  if (!options_.saveMedia || !file.tag.hasMediaInfo || !media.HasBody()) return;
  // Attribute lines in both forms; a picture gets an empty section.
  Put("<EXTRA_INFORMATION>\r\n");
  if (std::optional<VideoInfo> video = VideoInfo::Of(media)) {
    Put("<VIDEO");
    Attribute("FRAME_SIZE", FormatFrameSize(*video));
    Attribute("LENGTH", FormatVideoLength(*video));
    Attribute("FPS", FormatFrameRate(*video));
    Attribute("VIDEO_CODEC", video->VideoCodecName());
    Attribute("SAMPLE_RATE", FormatAudioSampleRate(*video));
    Attribute("BITRATE", FormatAudioKbps(*video));
    Attribute("CHANNELS", FormatChannels(*video));
    Attribute("AUDIO_CODEC", video->AudioCodecName());
    Put(">\r\n</VIDEO>\r\n");
  } else if (const Mp3Info* mp3 = media.Mp3()) {
    Put("<AUDIO");
    Attribute("TITLE", mp3->title);
    Attribute("ARTIST", mp3->artist);
    Attribute("ALBUM", mp3->album);
    Attribute("COMMENT", mp3->comment);
    Attribute("YEAR", mp3->year);
    Attribute("LENGTH", FormatPlayTime(mp3->lengthSeconds));
    // The plain number, without the mark of a variable bitrate.
    Attribute("BITRATE", std::to_string(Mp3Bitrate(*mp3).kbps));
    Attribute("FREQUENCY", std::to_string(Mp3SampleRate(*mp3)));
    Put(">\r\n</AUDIO>\r\n");
  }
  Put("</EXTRA_INFORMATION>\r\n");
}

// Fields.

void XmlExporter::OpenField(std::string_view name) {
  if (options_.attributeForm) {
    Put(" ");
    Put(name);
    Put("=\"");
  } else {
    Put("<");
    Put(name);
    Put(">");
  }
}

void XmlExporter::CloseField(std::string_view name) {
  if (options_.attributeForm) {
    Put("\"");
  } else {
    Put("</");
    Put(name);
    Put(">");
    Put(kLineEnd);
  }
}

void XmlExporter::PlainField(std::string_view name, std::string_view value) {
  OpenField(name);
  Put(value);
  CloseField(name);
}

void XmlExporter::TextField(std::string_view name, std::string_view value) {
  OpenField(name);
  PutEscaped(value);
  CloseField(name);
}

void XmlExporter::Attribute(std::string_view name, std::string_view value) {
  Put(" ");
  Put(name);
  Put("=\"");
  PutEscaped(value);
  Put("\"");
}

void XmlExporter::PutEscaped(std::string_view text) {
  escaped_.clear();
  AppendEscapedXml(escaped_, text);
  Put(escaped_);
}

void XmlExporter::PutNumber(uint64_t value) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  Put(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

}  // namespace volumist
