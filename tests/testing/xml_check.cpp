#include "testing/xml_check.h"

#include "testing/run_command.h"

namespace volumist::testing {

std::string XmlParseErrors(const std::string& path) {
  CommandResult result = RunCommand("/bin/sh", {"-c", "exec xmllint --noout \"$0\"", path});
  if (result.exitStatus == 0 && result.err.empty()) return {};
  if (result.exitStatus == 127) return "xmllint is not installed (scripts/install-deps.sh installs it)";
  return "xmllint exit " + std::to_string(result.exitStatus) + ": " + result.err;
}

std::string XmlString(const std::string& path, const std::string& xpath) {
  CommandResult result = RunCommand("/bin/sh", {"-c", "exec xmllint --xpath \"$1\" \"$0\"", path, xpath});
  // xmllint ends the value with a line end of its own.
  if (result.exitStatus == 0 && result.out.ends_with('\n')) result.out.pop_back();
  return result.exitStatus == 0 ? result.out : "<xmllint exit " + std::to_string(result.exitStatus) + ": " + result.err + ">";
}

}  // namespace volumist::testing
