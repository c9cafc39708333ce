#include "analysis/md5.h"

#include "analysis/digest_words.h"

namespace volumist {
namespace {

inline uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

void Md5::Compress(const uint8_t* block, size_t blocks) {
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  for (; blocks > 0; --blocks, block += 64) {
    uint32_t x[16];
    LoadLittleEndianWords(block, x);
    const uint32_t aa = a, bb = b, cc = c, dd = d;
    // The round functions in the forms that need the fewest operations (same values as RFC 1321's).
#define VOLUMIST_MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define VOLUMIST_MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define VOLUMIST_MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define VOLUMIST_MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define VOLUMIST_MD5_STEP(f, a, b, c, d, k, t, s) a = b + Rotl(a + f(b, c, d) + x[k] + (t), s)
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, a, b, c, d, 0, 0xd76aa478u, 7);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, d, a, b, c, 1, 0xe8c7b756u, 12);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, c, d, a, b, 2, 0x242070dbu, 17);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, b, c, d, a, 3, 0xc1bdceeeu, 22);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, a, b, c, d, 4, 0xf57c0fafu, 7);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, d, a, b, c, 5, 0x4787c62au, 12);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, c, d, a, b, 6, 0xa8304613u, 17);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, b, c, d, a, 7, 0xfd469501u, 22);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, a, b, c, d, 8, 0x698098d8u, 7);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, d, a, b, c, 9, 0x8b44f7afu, 12);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, c, d, a, b, 10, 0xffff5bb1u, 17);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, b, c, d, a, 11, 0x895cd7beu, 22);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, a, b, c, d, 12, 0x6b901122u, 7);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, d, a, b, c, 13, 0xfd987193u, 12);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, c, d, a, b, 14, 0xa679438eu, 17);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_F, b, c, d, a, 15, 0x49b40821u, 22);

    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, a, b, c, d, 1, 0xf61e2562u, 5);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, d, a, b, c, 6, 0xc040b340u, 9);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, c, d, a, b, 11, 0x265e5a51u, 14);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, b, c, d, a, 0, 0xe9b6c7aau, 20);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, a, b, c, d, 5, 0xd62f105du, 5);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, d, a, b, c, 10, 0x02441453u, 9);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, c, d, a, b, 15, 0xd8a1e681u, 14);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, b, c, d, a, 4, 0xe7d3fbc8u, 20);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, a, b, c, d, 9, 0x21e1cde6u, 5);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, d, a, b, c, 14, 0xc33707d6u, 9);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, c, d, a, b, 3, 0xf4d50d87u, 14);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, b, c, d, a, 8, 0x455a14edu, 20);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, a, b, c, d, 13, 0xa9e3e905u, 5);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, d, a, b, c, 2, 0xfcefa3f8u, 9);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, c, d, a, b, 7, 0x676f02d9u, 14);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_G, b, c, d, a, 12, 0x8d2a4c8au, 20);

    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, a, b, c, d, 5, 0xfffa3942u, 4);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, d, a, b, c, 8, 0x8771f681u, 11);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, c, d, a, b, 11, 0x6d9d6122u, 16);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, b, c, d, a, 14, 0xfde5380cu, 23);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, a, b, c, d, 1, 0xa4beea44u, 4);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, d, a, b, c, 4, 0x4bdecfa9u, 11);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, c, d, a, b, 7, 0xf6bb4b60u, 16);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, b, c, d, a, 10, 0xbebfbc70u, 23);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, a, b, c, d, 13, 0x289b7ec6u, 4);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, d, a, b, c, 0, 0xeaa127fau, 11);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, c, d, a, b, 3, 0xd4ef3085u, 16);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, b, c, d, a, 6, 0x04881d05u, 23);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, a, b, c, d, 9, 0xd9d4d039u, 4);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, d, a, b, c, 12, 0xe6db99e5u, 11);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, c, d, a, b, 15, 0x1fa27cf8u, 16);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_H, b, c, d, a, 2, 0xc4ac5665u, 23);

    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, a, b, c, d, 0, 0xf4292244u, 6);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, d, a, b, c, 7, 0x432aff97u, 10);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, c, d, a, b, 14, 0xab9423a7u, 15);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, b, c, d, a, 5, 0xfc93a039u, 21);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, a, b, c, d, 12, 0x655b59c3u, 6);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, d, a, b, c, 3, 0x8f0ccc92u, 10);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, c, d, a, b, 10, 0xffeff47du, 15);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, b, c, d, a, 1, 0x85845dd1u, 21);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, a, b, c, d, 8, 0x6fa87e4fu, 6);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, d, a, b, c, 15, 0xfe2ce6e0u, 10);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, c, d, a, b, 6, 0xa3014314u, 15);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, b, c, d, a, 13, 0x4e0811a1u, 21);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, a, b, c, d, 4, 0xf7537e82u, 6);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, d, a, b, c, 11, 0xbd3af235u, 10);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, c, d, a, b, 2, 0x2ad7d2bbu, 15);
    VOLUMIST_MD5_STEP(VOLUMIST_MD5_I, b, c, d, a, 9, 0xeb86d391u, 21);
#undef VOLUMIST_MD5_F
#undef VOLUMIST_MD5_G
#undef VOLUMIST_MD5_H
#undef VOLUMIST_MD5_I
#undef VOLUMIST_MD5_STEP
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
