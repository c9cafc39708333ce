// The row writers of the lists the core makes (see manifest_exporter.h for the walk):
//
// - md5: the lines `md5sum -c` checks, "HASH  PATH", 32 lower-case hex digits, two spaces, the disk
//   path. A path holding a backslash, a line feed or a carriage return is written as md5sum writes it:
//   the line starts with "\" and the path has "\\", "\n", "\r" for them.
// - sfv: "PATH CRC32" lines (8 upper-case hex digits) after a comment header ("; " lines), as
//   cksfv reads them. A path with a line break, or that starts with ";" (a comment), cannot be
//   written and is left out (RowOutcome::kUnwritable).
// - ed2k: one "ed2k://|file|NAME|SIZE|HASH|/" link per line (analysis/ed2k_link.h).
// - csv: RFC 4180: a header row, fields separated by commas, a field holding a comma, a quote or a
//   line break enclosed in quotes with its quotes doubled, CR LF line ends, UTF-8. Columns: Kind
//   (folder, file, archive), Name, then the chosen export columns in their order under their
//   names (Type is the extension without its dot, Size in bytes, Date/Time as the XML export writes
//   it, Attributes "rahs", Description, Full path the item path of catalog/item_path.h, Label,
//   File system, Serial), then CRC32, MD4, MD5 when signatures are chosen (empty where the item
//   has none). Texts that are not well-formed UTF-8 (names, descriptions, labels) get U+FFFD for
//   each byte that is not; the Full path keeps every byte (as "\xHH"), so the original name can be
//   read back from it.
//
// The checksum lists and the links write files on the disk only and leave out those without the
// signature they need (RowOutcome::kNoSignature).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "catalog/export_options.h"
#include "export/manifest_exporter.h"

namespace volumist {

enum class ManifestFormat : uint8_t { kMd5, kSfv, kEd2k, kCsv };

// The row writer of `format`. The options choose the CSV's columns (columnEnabled, columnOrder,
// saveSignatures); `volumeName` goes into the SFV's comment header.
std::unique_ptr<ManifestRowWriter> MakeManifestRows(ManifestFormat format, const ExportOptions& options,
                                                    std::string_view volumeName);

// Appends `text` to `out`, each byte that is not part of well-formed UTF-8 as U+FFFD.
void AppendValidUtf8(std::string& out, std::string_view text);

// Appends `field` to `out` as one CSV field (RFC 4180 quoting when needed).
void AppendCsvField(std::string& out, std::string_view field);

// Appends `path` to `out` as md5sum writes a file name; true when the line must start with "\".
bool NeedsMd5Escape(std::string_view path);
void AppendMd5EscapedPath(std::string& out, std::string_view path);

}  // namespace volumist
