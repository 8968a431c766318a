// SHA-256 through the system's own cryptography (CNG), whose provider uses
// the processor's SHA instructions where it has them.
#ifndef ZERROW_BASE_SHA256_H
#define ZERROW_BASE_SHA256_H

#include "base/win.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zrw {

using Sha256Digest = std::array<uint8_t, 32>;

// One digest: bytes added in order, then finished once.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    // False once anything failed; such a hash finishes with false.
    explicit operator bool() const { return hash_ != nullptr; }
    void Add(const void* data, size_t size);
    bool Finish(Sha256Digest& digest);

private:
    void* hash_ = nullptr;  // the CNG hash handle
};

// 64 lowercase hexadecimal digits.
std::wstring HexDigest(const Sha256Digest& digest);
// 64 hexadecimal digits of either case; false for anything else.
bool ParseHexDigest(std::wstring_view text, Sha256Digest& digest);

}  // namespace zrw

#endif
