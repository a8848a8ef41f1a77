#pragma once
// MD5 message digest (RFC 1321): the standard's initial state, 64-byte blocks, a 64-bit bit
// count. Used to check a downloaded package against the digest in its URL.
#include <cstddef>
#include <cstdint>
#include <string>

namespace Utils {

struct Md5Context {
  uint32_t state[4];
  uint64_t byteCount;      // bytes fed so far; the bit count is eight times this
  unsigned char buffer[64];  // a started block, byteCount % 64 bytes of it in use
};

void Md5Init(Md5Context* context);
void Md5Update(Md5Context* context, const void* data, size_t length);
// Writes the 16-byte digest; the context must be initialised again before reuse.
void Md5Final(Md5Context* context, unsigned char digest[16]);
// Processes `blockCount` consecutive 64-byte blocks.
void Md5Transform(uint32_t state[4], const unsigned char* blocks, size_t blockCount);

// 32 lower-case hexadecimal digits.
std::string Md5Hex(const unsigned char digest[16]);

// MD5 digest of the whole file as 32 lower-case hexadecimal digits; the empty string when the
// path is empty or the file cannot be opened or read.
std::string GetFileMd5(const std::wstring& path);
// The same for a path in the ANSI code page.
std::string GetFileMd5(const std::string& path);


}  // namespace Utils
