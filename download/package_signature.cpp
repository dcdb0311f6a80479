#include "download/package_signature.h"

#include <wincrypt.h>

#include "app/profile.h"
#include "download/signature_rules.h"

namespace {

// SHA-256 came to the CryptoAPI with XP SP3; the headers name it only for that target, while
// the program at large is built for XP (_WIN32_WINNT 0x0501).
const ALG_ID kSha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;  // ALG_SID_SHA_256: 0x800C

// Owners of what the check acquires: each releases its handle when it goes out of scope, so
// every early return releases in the reverse order of acquisition. None is copied.
class Owner {
public:
    Owner() = default;
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
};

class Provider : Owner {
public:
    ~Provider() {
        if (handle) CryptReleaseContext(handle, 0);
    }
    HCRYPTPROV handle = 0;
};

class Key : Owner {
public:
    ~Key() {
        if (handle) CryptDestroyKey(handle);
    }
    HCRYPTKEY handle = 0;
};

class Hash : Owner {
public:
    ~Hash() {
        if (handle) CryptDestroyHash(handle);
    }
    HCRYPTHASH handle = 0;
};

class File : Owner {
public:
    explicit File(const char* path)
        : handle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
    ~File() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    HANDLE handle;
};

// One block on the process heap: too large for a worker's stack.
class Block : Owner {
public:
    Block() : data(static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, kHashBlockBytes))) {}
    ~Block() {
        if (data) HeapFree(GetProcessHeap(), 0, data);
    }
    BYTE* data;
};

SignatureResult Done() { return {SignatureCheck::kOk, 0}; }
SignatureResult Refused(SignatureCheck code) { return {code, 0}; }
// A failed system call: keeps its reason.
SignatureResult Failed(SignatureCheck code) { return {code, GetLastError()}; }

// A verify-only context of the RSA and AES provider: no key container is made or opened.
bool AcquireProvider(Provider* provider) {
    return CryptAcquireContextA(&provider->handle, nullptr, nullptr, PROV_RSA_AES,
                                CRYPT_VERIFYCONTEXT) != FALSE;
}

// Hashes the whole file into |hash|, block by block, as long as it was when opened.
SignatureResult HashFileInto(HCRYPTHASH hash, const char* path, HashProgress progress, void* context) {
    File file(path);
    LARGE_INTEGER size;
    if (file.handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.handle, &size)) {
        return Failed(SignatureCheck::kOpenFile);
    }
    Block block;
    if (!block.data) return {SignatureCheck::kReadFile, ERROR_NOT_ENOUGH_MEMORY};
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    uint64_t done = 0;
    while (done < total) {
        uint64_t left = total - done;
        DWORD wanted = left < kHashBlockBytes ? static_cast<DWORD>(left) : kHashBlockBytes;
        DWORD got = 0;
        if (!ReadFile(file.handle, block.data, wanted, &got, nullptr)) return Failed(SignatureCheck::kReadFile);
        if (got == 0) return {SignatureCheck::kReadFile, ERROR_HANDLE_EOF};  // it shrank meanwhile
        if (!CryptHashData(hash, block.data, got, 0)) return Failed(SignatureCheck::kHash);
        done += got;
        if (progress && !progress(context, done, total)) return Refused(SignatureCheck::kCancelled);
    }
    return Done();
}

}  // namespace

bool PackageKeyBuiltIn() { return g_profile.packageKeyBytes != 0; }

SignatureResult CheckPackageSignature(const char* archivePath, const uint8_t* signature,
                                      size_t signatureBytes, HashProgress progress, void* context) {
    return CheckPackageSignatureWithKey(g_profile.packageKey, g_profile.packageKeyBytes, archivePath, signature,
                                        signatureBytes, progress, context);
}

SignatureResult CheckPackageSignatureWithKey(const uint8_t* keyBlob, size_t keyBlobBytes,
                                             const char* archivePath, const uint8_t* signature,
                                             size_t signatureBytes, HashProgress progress,
                                             void* context) {
    size_t modulusBytes = KeyBlobModulusBytes(keyBlob, keyBlobBytes);
    if (modulusBytes == 0) return Refused(SignatureCheck::kNoKey);
    // CryptVerifySignature reads the signature least significant byte first.
    BYTE reversed[kMaxModulusBytes];
    if (!SignatureToLittleEndian(signature, signatureBytes, modulusBytes, reversed, sizeof(reversed))) {
        return Refused(SignatureCheck::kMalformed);
    }
    Provider provider;
    if (!AcquireProvider(&provider)) return Failed(SignatureCheck::kProvider);
    Key key;
    if (!CryptImportKey(provider.handle, keyBlob, static_cast<DWORD>(keyBlobBytes), 0, 0, &key.handle)) {
        return Failed(SignatureCheck::kImportKey);
    }
    Hash hash;
    if (!CryptCreateHash(provider.handle, kSha256, 0, 0, &hash.handle)) {
        return Failed(SignatureCheck::kHash);
    }
    SignatureResult hashed = HashFileInto(hash.handle, archivePath, progress, context);
    if (hashed.code != SignatureCheck::kOk) return hashed;
    if (!CryptVerifySignatureA(hash.handle, reversed, static_cast<DWORD>(modulusBytes), key.handle,
                               nullptr, 0)) {
        return Failed(SignatureCheck::kMismatch);
    }
    return Done();
}

SignatureResult HashFileSha256(const char* path, uint8_t digest[kSha256Bytes], HashProgress progress,
                               void* context) {
    Provider provider;
    if (!AcquireProvider(&provider)) return Failed(SignatureCheck::kProvider);
    Hash hash;
    if (!CryptCreateHash(provider.handle, kSha256, 0, 0, &hash.handle)) {
        return Failed(SignatureCheck::kHash);
    }
    SignatureResult hashed = HashFileInto(hash.handle, path, progress, context);
    if (hashed.code != SignatureCheck::kOk) return hashed;
    DWORD length = kSha256Bytes;
    if (!CryptGetHashParam(hash.handle, HP_HASHVAL, digest, &length, 0) || length != kSha256Bytes) {
        return Failed(SignatureCheck::kHash);
    }
    return Done();
}
