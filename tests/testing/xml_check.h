// Reading exported documents with a real XML parser (xmllint of libxml2), so that tests prove a
// document well-formed and see its values as any XML reader sees them.
#pragma once

#include <string>

namespace volumist::testing {

// Parses the document at `path`. Empty when it is well-formed; otherwise the parser's complaint
// (or a note that xmllint could not be run).
std::string XmlParseErrors(const std::string& path);

// The string value of an XPath expression over the document at `path` (such as
// "string(//FILE[1]/@NAME)"), with references resolved, as UTF-8.
std::string XmlString(const std::string& path, const std::string& xpath);

}  // namespace volumist::testing
