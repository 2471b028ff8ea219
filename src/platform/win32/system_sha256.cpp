// bcrypt.dll is loaded by its full path in the system folder, when first
// needed: it is not one of the Known DLLs on every Windows, and an installer
// run from a Downloads folder must not pick up a planted copy beside it.
// The hash object is left to CNG to allocate (Windows 7 on, and Wine).
#include "platform/win32/system_sha256.h"

#include <windows.h>
// after windows.h
#include <bcrypt.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/win32/system_library.h"

namespace veldor::win32 {
namespace {

struct Cng {
    decltype(&BCryptOpenAlgorithmProvider) open_algorithm;
    decltype(&BCryptCloseAlgorithmProvider) close_algorithm;
    decltype(&BCryptCreateHash) create_hash;
    decltype(&BCryptHashData) hash_data;
    decltype(&BCryptFinishHash) finish_hash;
    decltype(&BCryptDestroyHash) destroy_hash;
};

// The functions of Cng, in its order.
constexpr const char* cng_names[] = {
    "BCryptOpenAlgorithmProvider",
    "BCryptCloseAlgorithmProvider",
    "BCryptCreateHash",
    "BCryptHashData",
    "BCryptFinishHash",
    "BCryptDestroyHash",
};

// Looked up in a loop, then copied over the typed pointers at once.
bool load(Cng& functions) {
    const HMODULE dll = load_system_library(L"bcrypt.dll");
    FARPROC found[std::size(cng_names)];
    static_assert(sizeof found == sizeof functions);
    for (std::size_t i = 0; i < std::size(cng_names); ++i)
        if (!(found[i] = function_in<FARPROC>(dll, cng_names[i]))) return false;
    std::memcpy(&functions, found, sizeof functions);
    return true;
}

// Loaded once for the program's life.
const Cng* cng() {
    static Cng functions{};
    static bool tried = false, loaded = false;
    if (!tried) {
        tried = true;
        loaded = load(functions);
    }
    return loaded ? &functions : nullptr;
}

}  // namespace

std::optional<Digest> system_sha256(Bytes bytes) {
    const Cng* api = cng();
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!api ||
        !BCRYPT_SUCCESS(api->open_algorithm(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
        return std::nullopt;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool hashed = BCRYPT_SUCCESS(api->create_hash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    Digest digest{};
    // CNG does not write through its input pointer; it is not declared const.
    auto* data = const_cast<unsigned char*>(bytes.data());
    for (std::size_t done = 0; hashed && done < bytes.size();) {
        const ULONG piece =
            static_cast<ULONG>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        hashed = BCRYPT_SUCCESS(api->hash_data(hash, data + done, piece, 0));
        done += piece;
    }
    hashed = hashed && BCRYPT_SUCCESS(api->finish_hash(hash, digest.data(),
                                                       static_cast<ULONG>(digest.size()), 0));
    if (hash) api->destroy_hash(hash);
    api->close_algorithm(algorithm, 0);
    if (!hashed) return std::nullopt;
    return digest;
}

}  // namespace veldor::win32
