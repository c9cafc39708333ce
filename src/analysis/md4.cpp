#include "analysis/md4.h"

#include "analysis/digest_words.h"

namespace volumist {
namespace {

inline uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

void Md4::Compress(const uint8_t* block, size_t blocks) {
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  for (; blocks > 0; --blocks, block += 64) {
    uint32_t x[16];
    LoadLittleEndianWords(block, x);
    const uint32_t aa = a, bb = b, cc = c, dd = d;
#define VOLUMIST_MD4_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define VOLUMIST_MD4_G(x, y, z) (((x) & (y)) | ((z) & ((x) | (y))))
#define VOLUMIST_MD4_H(x, y, z) ((x) ^ (y) ^ (z))
#define VOLUMIST_MD4_R1(a, b, c, d, k, s) a = Rotl(a + VOLUMIST_MD4_F(b, c, d) + x[k], s)
#define VOLUMIST_MD4_R2(a, b, c, d, k, s) a = Rotl(a + VOLUMIST_MD4_G(b, c, d) + x[k] + 0x5A827999u, s)
#define VOLUMIST_MD4_R3(a, b, c, d, k, s) a = Rotl(a + VOLUMIST_MD4_H(b, c, d) + x[k] + 0x6ED9EBA1u, s)
    VOLUMIST_MD4_R1(a, b, c, d, 0, 3);
    VOLUMIST_MD4_R1(d, a, b, c, 1, 7);
    VOLUMIST_MD4_R1(c, d, a, b, 2, 11);
    VOLUMIST_MD4_R1(b, c, d, a, 3, 19);
    VOLUMIST_MD4_R1(a, b, c, d, 4, 3);
    VOLUMIST_MD4_R1(d, a, b, c, 5, 7);
    VOLUMIST_MD4_R1(c, d, a, b, 6, 11);
    VOLUMIST_MD4_R1(b, c, d, a, 7, 19);
    VOLUMIST_MD4_R1(a, b, c, d, 8, 3);
    VOLUMIST_MD4_R1(d, a, b, c, 9, 7);
    VOLUMIST_MD4_R1(c, d, a, b, 10, 11);
    VOLUMIST_MD4_R1(b, c, d, a, 11, 19);
    VOLUMIST_MD4_R1(a, b, c, d, 12, 3);
    VOLUMIST_MD4_R1(d, a, b, c, 13, 7);
    VOLUMIST_MD4_R1(c, d, a, b, 14, 11);
    VOLUMIST_MD4_R1(b, c, d, a, 15, 19);

    VOLUMIST_MD4_R2(a, b, c, d, 0, 3);
    VOLUMIST_MD4_R2(d, a, b, c, 4, 5);
    VOLUMIST_MD4_R2(c, d, a, b, 8, 9);
    VOLUMIST_MD4_R2(b, c, d, a, 12, 13);
    VOLUMIST_MD4_R2(a, b, c, d, 1, 3);
    VOLUMIST_MD4_R2(d, a, b, c, 5, 5);
    VOLUMIST_MD4_R2(c, d, a, b, 9, 9);
    VOLUMIST_MD4_R2(b, c, d, a, 13, 13);
    VOLUMIST_MD4_R2(a, b, c, d, 2, 3);
    VOLUMIST_MD4_R2(d, a, b, c, 6, 5);
    VOLUMIST_MD4_R2(c, d, a, b, 10, 9);
    VOLUMIST_MD4_R2(b, c, d, a, 14, 13);
    VOLUMIST_MD4_R2(a, b, c, d, 3, 3);
    VOLUMIST_MD4_R2(d, a, b, c, 7, 5);
    VOLUMIST_MD4_R2(c, d, a, b, 11, 9);
    VOLUMIST_MD4_R2(b, c, d, a, 15, 13);

    VOLUMIST_MD4_R3(a, b, c, d, 0, 3);
    VOLUMIST_MD4_R3(d, a, b, c, 8, 9);
    VOLUMIST_MD4_R3(c, d, a, b, 4, 11);
    VOLUMIST_MD4_R3(b, c, d, a, 12, 15);
    VOLUMIST_MD4_R3(a, b, c, d, 2, 3);
    VOLUMIST_MD4_R3(d, a, b, c, 10, 9);
    VOLUMIST_MD4_R3(c, d, a, b, 6, 11);
    VOLUMIST_MD4_R3(b, c, d, a, 14, 15);
    VOLUMIST_MD4_R3(a, b, c, d, 1, 3);
    VOLUMIST_MD4_R3(d, a, b, c, 9, 9);
    VOLUMIST_MD4_R3(c, d, a, b, 5, 11);
    VOLUMIST_MD4_R3(b, c, d, a, 13, 15);
    VOLUMIST_MD4_R3(a, b, c, d, 3, 3);
    VOLUMIST_MD4_R3(d, a, b, c, 11, 9);
    VOLUMIST_MD4_R3(c, d, a, b, 7, 11);
    VOLUMIST_MD4_R3(b, c, d, a, 15, 15);
#undef VOLUMIST_MD4_F
#undef VOLUMIST_MD4_G
#undef VOLUMIST_MD4_H
#undef VOLUMIST_MD4_R1
#undef VOLUMIST_MD4_R2
#undef VOLUMIST_MD4_R3
    a += aa;
    b += bb;
    c += cc;
    d += dd;
  }
  state_[0] = a;
  state_[1] = b;
  state_[2] = c;
  state_[3] = d;
}

}  // namespace volumist
