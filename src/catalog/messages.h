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

// The volume list.
inline constexpr char kLoadSomeVolumeFirst[] = "Please, load some volume first.";
inline constexpr char kAskDeleteVolume[] = "Do you want to delete this volume file?";
inline constexpr char kCouldNotDeleteVolume[] = "Could not delete this volume file";
inline constexpr char kVolumeNameTooLong[] = "The volume name is too long: at most 255 bytes fit.";

}  // namespace volumist::messages
