// The one form in which a path inside a volume is printed and read back: volumist-cli prints and
// takes it, and reports of changes and lost descriptions use it.
//
// A path names an item by the names that lead to it, joined by "/": the root folder of a folder
// source (named after the source; a drive source's top entries have none), then each folder and
// listed archive, then the item. An archive's members follow it as a folder's items follow the
// folder: "Src/docs/pack.zip/dir/member.txt". Within a name three things are escaped, so that any
// name reads back exactly and every path fits on one line:
//   "\\"    a backslash
//   "\/"    a slash that is part of the name
//   "\xHH"  one byte, two hexadecimal digits: control characters (0x00-0x1F, 0x7F, and the C1
//           controls U+0080-U+009F, byte by byte) and bytes that are not well-formed UTF-8
// Everything else stands for itself. Reading ignores empty components, so "/Src/docs/" is
// "Src/docs", and "" or "/" is the volume itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace volumist {

// `name` with its backslashes, slashes and control characters escaped.
std::string EscapeName(std::string_view name);
// Appends "/" (unless `path` is empty) and the escaped `name` to `path`.
void AppendName(std::string& path, std::string_view name);
// The escaped names joined by "/".
std::string JoinItemPath(const std::vector<std::string>& names);

// The names of a path as the commands print it. Nothing when an escape is malformed ("\" at the
// end, "\q", "\x" without two hexadecimal digits); `problem` then tells why.
std::optional<std::vector<std::string>> ParseItemPath(std::string_view path, std::string& problem);

}  // namespace volumist
