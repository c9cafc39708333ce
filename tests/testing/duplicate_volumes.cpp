#include "testing/duplicate_volumes.h"

#include "analysis/md5.h"
#include "testing/volume_fixture.h"

namespace volumist::testing {

SignatureBlock ContentOf(const std::string& label, bool md5, bool ed2k) {
  SignatureBlock block;
  Md5 hash;
  hash.Update(label.data(), label.size());
  std::array<uint8_t, 16> digest = hash.Finish();
  block.hasMd5 = md5;
  if (md5) block.md5 = digest;
  block.hasMd4 = ed2k;
  if (ed2k) {
    // Any other 16 bytes that stand for the same label.
    for (size_t i = 0; i < digest.size(); ++i) block.md4[i] = static_cast<uint8_t>(digest[i] ^ 0x5A);
  }
  return block;
}

MemoryNode SignedFile(const std::string& name, const std::string& extension, uint64_t size, const std::string& label,
                      bool md5, bool ed2k) {
  MemoryNode node = MemoryNode::File(name, extension, size, 1262304000);
  node.hasSignatures = true;
  node.signatures = ContentOf(label, md5, ed2k);
  return node;
}

std::vector<std::string> WriteDuplicateVolumes(const std::string& folder, Prompter& prompter) {
  const int64_t time = 1262304000;  // 2010-01-01
  using Node = MemoryNode;
  // Alpha, a folder source: its items lie under the source's root folder.
  MemorySource alpha;
  alpha.children = {
      Node::Folder("Docs", {SignedFile("report", ".pdf", 5000, "report"),  // = Beta backup/rep-copy.pdf
                            SignedFile("empty", ".txt", 0, "")}),         // zero bytes, = Beta empty.dat
      Node::Folder("Photos", {SignedFile("img1", ".jpg", 3000, "photo")}),  // = Beta photo.jpg (eDonkey) = Gamma
      Node::File("notes", ".txt", 100, time),                               // no signatures, = Beta notes.txt
      Node::Archive("pack", ".zip", 800, 1, {SignedFile("inner", ".txt", 40, "inner")}),  // member = Beta
      SignedFile("alone", ".bin", 700, "alone"),                            // no copy
      SignedFile("readme", ".txt", 200, "readme A"),                        // Beta's readme.txt differs
      SignedFile("old", ".doc", 300, "old"),                                // Beta's has no signatures
      SignedFile("caf\xE9", ".txt", 450, "latin1"),                         // not UTF-8, = Gamma
  };
  alpha.children[3].time = time;
  alpha.children[3].hasSignatures = true;
  alpha.children[3].signatures = ContentOf("pack");
  MemorySource beta;
  beta.children = {
      Node::Folder("backup", {SignedFile("rep-copy", ".pdf", 5000, "report")}),
      SignedFile("readme", ".txt", 200, "readme B"),
      Node::File("notes", ".txt", 100, time),
      SignedFile("empty", ".dat", 0, ""),
      SignedFile("inner-copy", ".txt", 40, "inner"),
      Node::File("b-only", ".dat", 900, time),
      SignedFile("photo", ".jpg", 3000, "photo", false, true),  // the eDonkey hash alone
      Node::File("old", ".doc", 300, time),
  };
  MemorySource gamma;
  gamma.children = {
      SignedFile("img-copy", ".jpg", 3000, "photo", true, true),  // both: joins Alpha's MD5 and Beta's eDonkey hash
      SignedFile("twice1", ".dat", 600, "twice"),
      Node::Folder("sub", {SignedFile("twice2", ".dat", 600, "twice"), SignedFile("latin", ".txt", 450, "latin1")}),
      Node::File("notes", ".txt", 101, time),  // same name, other size
      Node::File("c-empty", "", 0, time),
  };
  std::vector<std::string> paths = {folder + "/alpha.vkt", folder + "/beta.vkt", folder + "/gamma.vkt"};
  if (!WriteVolume(MakeJob(paths[0], "Alpha", {true}), {alpha}, prompter) ||
      !WriteVolume(MakeJob(paths[1], "Beta", {false}), {beta}, prompter) ||
      !WriteVolume(MakeJob(paths[2], "Gamma", {false}), {gamma}, prompter)) {
    return {};
  }
  return paths;
}

}  // namespace volumist::testing
