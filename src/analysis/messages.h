// The fixed texts the file analysis shows to the user, character for character.
#pragma once

namespace volumist::messages {

inline constexpr char kSelectItemFirst[] = "Can not proceed. Please, select some folder or file first.";
inline constexpr char kNoMd4ForLink[] = "This object hasn't MD4 signature for link creation.";

}  // namespace volumist::messages
