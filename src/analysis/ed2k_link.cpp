#include "analysis/ed2k_link.h"

#include "analysis/messages.h"
#include "catalog/value_format.h"

namespace volumist {
namespace {

std::string EscapeName(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(name.size());
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '|' || c == '%' || byte < 0x20 || byte == 0x7F) {
      text += '%';
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    } else {
      text += c;
    }
  }
  return text;
}

}  // namespace

std::string BuildEd2kLink(std::string_view fileName, uint64_t size, const SignatureBlock& signatures) {
  return "ed2k://|file|" + EscapeName(fileName) + "|" + FormatSizeDecimal(size) + "|" + FormatMd4(signatures) + "|/";
}

std::optional<std::string> Ed2kLinkOfItem(const CatalogRecord& record, const SignatureBlock* signatures,
                                          Prompter& prompter) {
  if (signatures == nullptr || !signatures->hasMd4) {
    prompter.ShowError(messages::kNoMd4ForLink);
    return std::nullopt;
  }
  return BuildEd2kLink(record.name.Text() + record.extension.Text(), record.size.Value(), *signatures);
}

}  // namespace volumist
