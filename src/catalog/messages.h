// The fixed texts the catalog store shows to the user, character for character.
#pragma once

namespace volumist::messages {

inline constexpr char kCantCreateTemporaryFile[] = "Can't create temporary file. Access denied or write error.";
inline constexpr char kCouldNotWriteVolume[] =
    "Could not write to the 'Disk Ledger' file. Access denied or write error.";
inline constexpr char kCouldNotRenameTemporary[] =
    "Could not rename new volume file from temporary file. Access denied or write error.";
inline constexpr char kCouldNotOpenForAdding[] = "Could not open volume file for adding. Access denied or read error.";
inline constexpr char kCouldNotOpenVolume[] = "Could not open volume file. Access denied or read error.";
inline constexpr char kCouldNotOpenForRead[] = "Could not open volume file for read. Access denied or read error.";
inline constexpr char kBadVolumeCannotRename[] = "Bad volume file. Could not rename it.";
inline constexpr char kErrorWhenCopy[] = "Error when copy!";
inline constexpr char kTooManyDescriptions[] = "Too many descriptions. (Maximum is 524288 descriptions)";
inline constexpr char kCantSaveDescriptions[] = "Can't save new descriptions data to the volume!";
inline constexpr char kSaveDescriptionsQuestion[] =
    "You did changes of descriptions in current volume. Do you want to save them?";

// Asked before a volume file is rewritten by a new scan.
inline constexpr char kVolumeFileExists[] = "File of Disk Ledger already exists! Do you want to rewrite it?";

// Writing next to other writers.
// The file to write is a folder, a pipe, a device or a socket; nothing was written.
inline constexpr char kVolumeFileNotRegular[] =
    "The volume file is a folder or a special file, which is never replaced. Nothing was written.";
// Another writer (a scan, a description save, a rename) kept the volume file past the wait.
inline constexpr char kVolumeBusy[] =
    "Another writer is still changing this volume file. Nothing was written; please try again later.";
// The loaded volume was replaced by a new scan whose records differ, so the edits' keys no longer
// name the items they were made for.
inline constexpr char kVolumeReplacedMeanwhile[] =
    "The volume file was replaced by a new scan since it was loaded. The description changes were not saved.";
// Renaming could not write the name field; the cause follows the text.
inline constexpr char kCouldNotWriteVolumeName[] = "Could not write the new name into the volume file: ";

// A volume that opens but is damaged: what can be read is shown.
inline constexpr char kVolumeAreasApart[] =
    "The volume file is damaged: its header does not agree with itself (the tree does not end where the "
    "descriptions begin).";
inline constexpr char kDescriptionIndexDamaged[] =
    "The volume file is damaged: its description index cannot be read, so descriptions may be missing.";

// The volume list.
inline constexpr char kLoadSomeVolumeFirst[] = "Please, load some volume first.";
inline constexpr char kAskDeleteVolume[] = "Do you want to delete this volume file?";
inline constexpr char kCouldNotDeleteVolume[] = "Could not delete this volume file";
inline constexpr char kVolumeNameTooLong[] = "The volume name is too long: at most 255 bytes fit.";

// Comparing two volumes: a tree that cannot be read to its end.
inline constexpr char kCompareDamaged[] = "A volume file is damaged or could not be read. The volumes were not compared.";

}  // namespace volumist::messages
