// The fixed texts the browsing of a volume shows to the user, character for character.
#pragma once

namespace volumist::messages {

// Item actions ("Execute File", "Edit File", "Open in Explorer").
inline constexpr char kItemNotPresent[] = "Can not proceed. This folder or file is not present in this system.";
inline constexpr char kOperationUnsuccessful[] = "Operation completed unsuccessfully.";

}  // namespace volumist::messages
