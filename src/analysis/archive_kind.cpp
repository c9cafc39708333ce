#include "analysis/archive_kind.h"

#include <cctype>
#include <cstring>

namespace volumist {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A letter followed by two decimal digits: the numbered volumes of a multi-volume archive.
bool IsVolumeExtension(std::string_view e, char letter) {
  return e.size() == 3 && e[0] == letter && IsDigit(e[1]) && IsDigit(e[2]);
}

bool HasAt(std::span<const uint8_t> head, size_t offset, std::string_view bytes) {
  return head.size() >= offset + bytes.size() && std::memcmp(head.data() + offset, bytes.data(), bytes.size()) == 0;
}

}  // namespace

ArchiveKind ArchiveKindByExtension(std::string_view extension) {
  if (extension.empty() || extension.size() > 3) return kArchiveNone;
  char lower[3];
  for (size_t i = 0; i < extension.size(); ++i) {
    lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(extension[i])));
  }
  std::string_view e(lower, extension.size());
  if (e == "zip" || e == "wsz" || e == "wmz") return kArchiveZip;
  if (e == "rar" || IsVolumeExtension(e, 'r')) return kArchiveRar;
  if (e == "ace" || IsVolumeExtension(e, 'c')) return kArchiveAce;
  if (e == "arj" || IsVolumeExtension(e, 'a')) return kArchiveArj;
  if (e == "cab") return kArchiveCab;
  if (e == "jar") return kArchiveJar;
  if (e == "lzh" || e == "lha" || e == "lzs") return kArchiveLzh;
  if (e == "zoo") return kArchiveZoo;
  if (e == "tar") return kArchiveTar;
  if (e == "ha") return kArchiveHa;
  // Compressed TAR archives (the TAR reader tells the compression by its content).
  if (e == "gz" || e == "tgz" || e == "xz" || e == "txz" || e == "bz2" || e == "tbz" || e == "zst") return kArchiveGz;
  return kArchiveNone;
}

ArchiveKind ArchiveKindBySignature(std::span<const uint8_t> head) {
  using namespace std::string_view_literals;
  if (HasAt(head, 0, "PK\x03\x04"sv)) return kArchiveZip;
  if (HasAt(head, 0, "Rar!\x1A\x07\x00"sv)) return kArchiveRar;
  if (HasAt(head, 0, "MSCF"sv)) return kArchiveCab;
  if (head.size() > 4 && head[4] == 0 && HasAt(head, 7, "**ACE**"sv)) return kArchiveAce;
  if (HasAt(head, 0, "\x60\xEA"sv) && head.size() > 10 && head[10] == 2) return kArchiveArj;
  if (HasAt(head, 2, "-l"sv) && head.size() > 6 && (head[4] == 'h' || head[4] == 'z') && head[6] == '-') {
    return kArchiveLzh;
  }
  if (HasAt(head, 0, "ZOO "sv) && HasAt(head, 20, "\xDC\xA7\xC4\xFD"sv)) return kArchiveZoo;
  return kArchiveNone;
}

}  // namespace volumist
