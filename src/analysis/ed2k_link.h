// eDonkey2000 links of catalogued files, built from the stored name, size and eDonkey hash without
// reading the file again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/catalog_record.h"
#include "catalog/prompter.h"

namespace volumist {

// "ed2k://|file|NAME|SIZE|HASH|/": the name as stored, the size in decimal digits and the hash as
// 32 upper-case hex digits. The name is kept as it is (spaces and UTF-8 included) except for the
// bytes that would break the link or change when a client decodes it: "|", "%" and control
// characters become "%XX".
std::string BuildEd2kLink(std::string_view fileName, uint64_t size, const SignatureBlock& signatures);

// The link of a catalogued item. Folders, archives' contents and files without an eDonkey hash
// get none: `prompter` then shows "This object hasn't MD4 signature for link creation.".
// `prompter` is used only during the call.
std::optional<std::string> Ed2kLinkOfItem(const CatalogRecord& record, const SignatureBlock* signatures,
                                          Prompter& prompter);

}  // namespace volumist
