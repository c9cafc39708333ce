// The fixed texts the browsing of a volume shows to the user, character for character.
#pragma once

namespace volumist::messages {

// Item actions ("Execute File", "Edit File", "Open in Explorer").
inline constexpr char kItemNotPresent[] = "Can not proceed. This folder or file is not present in this system.";
inline constexpr char kOperationUnsuccessful[] = "Operation completed unsuccessfully.";

// "Create MD5 check file".
inline constexpr char kNoMd5InList[] = "No file of this list has an MD5 signature.";
inline constexpr char kMd5CheckFileNotWritten[] = "The MD5 check file could not be written.";

}  // namespace volumist::messages
