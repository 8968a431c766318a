// SHA-256 through CNG.
#include "base/sha256.h"

#include <bcrypt.h>

namespace zrw {

namespace {

// Opened on the first digest and kept for the process: opening a provider
// costs more than hashing a small file.
class Provider {
public:
    Provider() {
        if (!BCRYPT_SUCCESS(
                BCryptOpenAlgorithmProvider(&handle_, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
            handle_ = nullptr;
    }
    ~Provider() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

BCRYPT_ALG_HANDLE Sha256Provider() {
    static Provider provider;
    return provider.get();
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

Sha256::Sha256() {
    BCRYPT_HASH_HANDLE hash = nullptr;
    // The provider allocates the hash object itself (Windows 7 and later).
    if (BCRYPT_ALG_HANDLE provider = Sha256Provider();
        provider && BCRYPT_SUCCESS(BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0)))
        hash_ = hash;
}

Sha256::~Sha256() {
    if (hash_) BCryptDestroyHash(hash_);
}

void Sha256::Add(const void* data, size_t size) {
    const auto* bytes = static_cast<const UCHAR*>(data);
    while (hash_ && size > 0) {
        ULONG part = size > MAXDWORD ? MAXDWORD : static_cast<ULONG>(size);
        // CNG takes the input as non-const; it does not write to it.
        if (!BCRYPT_SUCCESS(BCryptHashData(hash_, const_cast<UCHAR*>(bytes), part, 0))) {
            BCryptDestroyHash(hash_);
            hash_ = nullptr;
        }
        bytes += part;
        size -= part;
    }
}

bool Sha256::Finish(Sha256Digest& digest) {
    if (!hash_) return false;
    bool finished = BCRYPT_SUCCESS(
        BCryptFinishHash(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0));
    BCryptDestroyHash(hash_);
    hash_ = nullptr;
    return finished;
}

std::wstring HexDigest(const Sha256Digest& digest) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    text.reserve(digest.size() * 2);
    for (uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

bool ParseHexDigest(std::wstring_view text, Sha256Digest& digest) {
    if (text.size() != digest.size() * 2) return false;
    for (size_t i = 0; i < digest.size(); ++i) {
        int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        digest[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

}  // namespace zrw
