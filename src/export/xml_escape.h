// EscapeXml: a text of the catalog made safe for an XML attribute value or element content.
//
// Text is UTF-8. "&", "<", ">" and the double quote become entity references; every character
// above 127 becomes a numeric reference to its code point, with at least three digits ("&#233;"
// for é), so the document is plain ASCII; a byte that is not part of valid UTF-8 becomes a
// reference to the byte's own value (its Latin-1 reading). Control characters (0 to 31) and the
// two non-characters U+FFFE and U+FFFF, which XML does not allow even as references, become one
// blank. The apostrophe stays: values are always written in double quotes. Nothing is cut.
#pragma once

#include <string>
#include <string_view>

namespace volumist {

std::string EscapeXml(std::string_view text);
// Appends the escaped form of `text` to `out`.
void AppendEscapedXml(std::string& out, std::string_view text);

}  // namespace volumist
