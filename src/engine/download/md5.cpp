#include "engine/download/md5.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

#include "base/string_utils.h"
#include "base/unique_resource.h"

namespace Utils {
namespace {

// Large reads keep the system calls few; the digest consumes them 64 bytes at a time.
constexpr DWORD kMd5ReadSize = 1024 * 1024;

inline uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t LoadLe32(const unsigned char* p) {
  // x86 and x64 are little-endian: one unaligned load.
  uint32_t v;
  std::memcpy(&v, p, sizeof(v));
  return v;
}

// The four rounds' auxiliary functions in forms that need fewer operations than the textbook
// ones and give the same values.
#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define MD5_STEP(f, a, b, c, d, x, t, s) \
  (a) += f((b), (c), (d)) + (x) + (t);   \
  (a) = Rotl((a), (s)) + (b)
// The second round's function as the sum of its two disjoint halves: (c & ~d) does not wait for
// b, the result of the step before, which shortens the chain each step depends on.
#define MD5_STEP_G(a, b, c, d, x, t, s)              \
  (a) += ((c) & ~(d)) + (x) + (t) + ((b) & (d));     \
  (a) = Rotl((a), (s)) + (b)

}  // namespace

void Md5Init(Md5Context* context) {
  context->state[0] = 0x67452301u;
  context->state[1] = 0xefcdab89u;
  context->state[2] = 0x98badcfeu;
  context->state[3] = 0x10325476u;
  context->byteCount = 0;
  std::memset(context->buffer, 0, sizeof(context->buffer));
}

void Md5Transform(uint32_t state[4], const unsigned char* blocks, size_t blockCount) {
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (; blockCount > 0; --blockCount, blocks += 64) {
    const unsigned char* p = blocks;
    const uint32_t x0 = LoadLe32(p), x1 = LoadLe32(p + 4), x2 = LoadLe32(p + 8),
                   x3 = LoadLe32(p + 12), x4 = LoadLe32(p + 16), x5 = LoadLe32(p + 20),
                   x6 = LoadLe32(p + 24), x7 = LoadLe32(p + 28), x8 = LoadLe32(p + 32),
                   x9 = LoadLe32(p + 36), x10 = LoadLe32(p + 40), x11 = LoadLe32(p + 44),
                   x12 = LoadLe32(p + 48), x13 = LoadLe32(p + 52), x14 = LoadLe32(p + 56),
                   x15 = LoadLe32(p + 60);
    const uint32_t aa = a, bb = b, cc = c, dd = d;

    MD5_STEP(MD5_F, a, b, c, d, x0, 0xd76aa478u, 7);
    MD5_STEP(MD5_F, d, a, b, c, x1, 0xe8c7b756u, 12);
    MD5_STEP(MD5_F, c, d, a, b, x2, 0x242070dbu, 17);
    MD5_STEP(MD5_F, b, c, d, a, x3, 0xc1bdceeeu, 22);
    MD5_STEP(MD5_F, a, b, c, d, x4, 0xf57c0fafu, 7);
    MD5_STEP(MD5_F, d, a, b, c, x5, 0x4787c62au, 12);
    MD5_STEP(MD5_F, c, d, a, b, x6, 0xa8304613u, 17);
    MD5_STEP(MD5_F, b, c, d, a, x7, 0xfd469501u, 22);
    MD5_STEP(MD5_F, a, b, c, d, x8, 0x698098d8u, 7);
    MD5_STEP(MD5_F, d, a, b, c, x9, 0x8b44f7afu, 12);
    MD5_STEP(MD5_F, c, d, a, b, x10, 0xffff5bb1u, 17);
    MD5_STEP(MD5_F, b, c, d, a, x11, 0x895cd7beu, 22);
    MD5_STEP(MD5_F, a, b, c, d, x12, 0x6b901122u, 7);
    MD5_STEP(MD5_F, d, a, b, c, x13, 0xfd987193u, 12);
    MD5_STEP(MD5_F, c, d, a, b, x14, 0xa679438eu, 17);
    MD5_STEP(MD5_F, b, c, d, a, x15, 0x49b40821u, 22);

    MD5_STEP_G(a, b, c, d, x1, 0xf61e2562u, 5);
    MD5_STEP_G(d, a, b, c, x6, 0xc040b340u, 9);
    MD5_STEP_G(c, d, a, b, x11, 0x265e5a51u, 14);
    MD5_STEP_G(b, c, d, a, x0, 0xe9b6c7aau, 20);
    MD5_STEP_G(a, b, c, d, x5, 0xd62f105du, 5);
    MD5_STEP_G(d, a, b, c, x10, 0x02441453u, 9);
    MD5_STEP_G(c, d, a, b, x15, 0xd8a1e681u, 14);
    MD5_STEP_G(b, c, d, a, x4, 0xe7d3fbc8u, 20);
    MD5_STEP_G(a, b, c, d, x9, 0x21e1cde6u, 5);
    MD5_STEP_G(d, a, b, c, x14, 0xc33707d6u, 9);
    MD5_STEP_G(c, d, a, b, x3, 0xf4d50d87u, 14);
    MD5_STEP_G(b, c, d, a, x8, 0x455a14edu, 20);
    MD5_STEP_G(a, b, c, d, x13, 0xa9e3e905u, 5);
    MD5_STEP_G(d, a, b, c, x2, 0xfcefa3f8u, 9);
    MD5_STEP_G(c, d, a, b, x7, 0x676f02d9u, 14);
    MD5_STEP_G(b, c, d, a, x12, 0x8d2a4c8au, 20);

    MD5_STEP(MD5_H, a, b, c, d, x5, 0xfffa3942u, 4);
    MD5_STEP(MD5_H, d, a, b, c, x8, 0x8771f681u, 11);
    MD5_STEP(MD5_H, c, d, a, b, x11, 0x6d9d6122u, 16);
    MD5_STEP(MD5_H, b, c, d, a, x14, 0xfde5380cu, 23);
    MD5_STEP(MD5_H, a, b, c, d, x1, 0xa4beea44u, 4);
    MD5_STEP(MD5_H, d, a, b, c, x4, 0x4bdecfa9u, 11);
    MD5_STEP(MD5_H, c, d, a, b, x7, 0xf6bb4b60u, 16);
    MD5_STEP(MD5_H, b, c, d, a, x10, 0xbebfbc70u, 23);
    MD5_STEP(MD5_H, a, b, c, d, x13, 0x289b7ec6u, 4);
    MD5_STEP(MD5_H, d, a, b, c, x0, 0xeaa127fau, 11);
    MD5_STEP(MD5_H, c, d, a, b, x3, 0xd4ef3085u, 16);
    MD5_STEP(MD5_H, b, c, d, a, x6, 0x04881d05u, 23);
    MD5_STEP(MD5_H, a, b, c, d, x9, 0xd9d4d039u, 4);
    MD5_STEP(MD5_H, d, a, b, c, x12, 0xe6db99e5u, 11);
    MD5_STEP(MD5_H, c, d, a, b, x15, 0x1fa27cf8u, 16);
    MD5_STEP(MD5_H, b, c, d, a, x2, 0xc4ac5665u, 23);

    MD5_STEP(MD5_I, a, b, c, d, x0, 0xf4292244u, 6);
    MD5_STEP(MD5_I, d, a, b, c, x7, 0x432aff97u, 10);
    MD5_STEP(MD5_I, c, d, a, b, x14, 0xab9423a7u, 15);
    MD5_STEP(MD5_I, b, c, d, a, x5, 0xfc93a039u, 21);
    MD5_STEP(MD5_I, a, b, c, d, x12, 0x655b59c3u, 6);
    MD5_STEP(MD5_I, d, a, b, c, x3, 0x8f0ccc92u, 10);
    MD5_STEP(MD5_I, c, d, a, b, x10, 0xffeff47du, 15);
    MD5_STEP(MD5_I, b, c, d, a, x1, 0x85845dd1u, 21);
    MD5_STEP(MD5_I, a, b, c, d, x8, 0x6fa87e4fu, 6);
    MD5_STEP(MD5_I, d, a, b, c, x15, 0xfe2ce6e0u, 10);
    MD5_STEP(MD5_I, c, d, a, b, x6, 0xa3014314u, 15);
    MD5_STEP(MD5_I, b, c, d, a, x13, 0x4e0811a1u, 21);
    MD5_STEP(MD5_I, a, b, c, d, x4, 0xf7537e82u, 6);
    MD5_STEP(MD5_I, d, a, b, c, x11, 0xbd3af235u, 10);
    MD5_STEP(MD5_I, c, d, a, b, x2, 0x2ad7d2bbu, 15);
    MD5_STEP(MD5_I, b, c, d, a, x9, 0xeb86d391u, 21);

    a += aa;
    b += bb;
    c += cc;
    d += dd;
  }
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

void Md5Update(Md5Context* context, const void* data, size_t length) {
  const unsigned char* input = static_cast<const unsigned char*>(data);
  size_t used = static_cast<size_t>(context->byteCount % 64);
  context->byteCount += length;
  if (used != 0) {
    const size_t take = length < 64 - used ? length : 64 - used;
    std::memcpy(context->buffer + used, input, take);
    used += take;
    input += take;
    length -= take;
    if (used < 64) return;
    Md5Transform(context->state, context->buffer, 1);
  }
  // Whole blocks straight from the caller's memory, without copying.
  const size_t blocks = length / 64;
  if (blocks > 0) {
    Md5Transform(context->state, input, blocks);
    input += blocks * 64;
    length -= blocks * 64;
  }
  if (length > 0) std::memcpy(context->buffer, input, length);
}

void Md5Final(Md5Context* context, unsigned char digest[16]) {
  const uint64_t bits = context->byteCount * 8;
  static const unsigned char padding[64] = {0x80};
  const size_t used = static_cast<size_t>(context->byteCount % 64);
  const size_t padLength = used < 56 ? 56 - used : 120 - used;
  Md5Update(context, padding, padLength);
  unsigned char length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(bits >> (8 * i));
  Md5Update(context, length, 8);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      digest[i * 4 + j] = static_cast<unsigned char>(context->state[i] >> (8 * j));
    }
  }
  std::memset(context, 0, sizeof(*context));
}

std::string Md5Hex(const unsigned char digest[16]) {
  static const char hex[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    text[2 * i] = hex[digest[i] >> 4];
    text[2 * i + 1] = hex[digest[i] & 0x0f];
  }
  return text;
}

std::string GetFileMd5(const std::wstring& path) {
  if (path.empty()) return std::string();
  Utils::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::string();
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kMd5ReadSize]);
  if (!buffer) return std::string();
  Md5Context context;
  Md5Init(&context);
  for (;;) {
    DWORD got = 0;
    // A failed read must not pass for the end of the file: the digest of part of a file would
    // be reported as the file's.
    if (!::ReadFile(file.get(), buffer.get(), kMd5ReadSize, &got, nullptr)) return std::string();
    if (got == 0) break;
    Md5Update(&context, buffer.get(), got);
  }
  unsigned char digest[16];
  Md5Final(&context, digest);
  return Md5Hex(digest);
}

std::string GetFileMd5(const std::string& path) {
  if (path.empty()) return std::string();
  const std::wstring wide = ToWString(path, CP_ACP);
  if (wide.empty()) return std::string();
  return GetFileMd5(wide);
}

}  // namespace Utils
