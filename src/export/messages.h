// The fixed texts of the export, character for character.
#pragma once

namespace volumist::messages {

// Shown when the chosen wrappers would give the document more than one top-level element; ROOT is
// then written.
inline constexpr char kOnlyOneTopLevelElement[] =
    "Only one top level element is allowed in an XML document. <ROOT> tag will be enabled.";
// The document could not be written completely (a write, the sync, the close or the final rename
// failed); the file that was there before stays as it was.
inline constexpr char kCouldNotWriteExport[] = "Could not write the XML file. Access denied or write error.";
// The output path names the volume file being exported; it is left as it was.
inline constexpr char kExportWouldReplaceVolume[] = "The XML file cannot replace the volume file it is exported from.";
// The output path names a folder, a pipe, a device or a socket; it is left as it was.
inline constexpr char kExportTargetNotRegular[] =
    "The XML file name names a folder or a special file, which is never replaced. Nothing was exported.";
// A record of the volume could not be read or contradicts the tree; nothing was put in place.
inline constexpr char kExportVolumeDamaged[] =
    "The volume file is damaged or could not be read. Nothing was exported.";

// The lists other than XML (checksum manifests, links, CSV, JSON Lines): the same three failures.
inline constexpr char kCouldNotWriteList[] = "Could not write the list file. Access denied or write error.";
inline constexpr char kListWouldReplaceVolume[] = "The list file cannot replace the volume file it is made from.";
inline constexpr char kListTargetNotRegular[] =
    "The list file name names a folder or a special file, which is never replaced. Nothing was exported.";

}  // namespace volumist::messages
