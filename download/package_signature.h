// The package signature check: the downloaded archive's SHA-256, verified against the
// publisher's detached signature with the CryptoAPI of advapi32 (PROV_RSA_AES, CALG_SHA_256,
// RSA PKCS#1 v1.5), which every Windows the setup supports has from XP SP3 on.
//
// The archive is hashed while it is written (PackageCheck: Begin, Add, Verify), so the bytes
// the signature covers are the bytes the download wrote, and no second pass reads them back.
// The file-based functions below are the same check over a file on disk, for the tests and the
// benchmark.
//
// The key is a PUBLICKEYBLOB as download/signature_rules.h builds it; the built-in one is the
// profile's (ProductProfile::packageKey, app/profile.h). The signature is the raw bytes the publisher's
// `openssl dgst -sha256 -sign` wrote (OUT.zip.sig), in the order they were served.
#pragma once

#include <windows.h>
// After windows.h, which it needs; WIN32_LEAN_AND_MEAN leaves it out.
#include <wincrypt.h>

#include <cstddef>
#include <cstdint>

enum class SignatureCheck {
    kOk = 0,         // the archive is the one the key's owner signed
    kNoKey = 1,      // no key, or a key blob the rules do not accept
    kMalformed = 2,  // the signature is not exactly as long as the key's modulus
    kProvider = 3,   // CryptAcquireContextA (PROV_RSA_AES, verify-only) failed
    kImportKey = 4,  // CryptImportKey failed
    kOpenFile = 5,   // the file could not be opened or its size read (file-based check)
    kReadFile = 6,   // a read failed, or the file ended before its size (file-based check)
    kHash = 7,       // CryptCreateHash, CryptHashData or CryptGetHashParam failed, or no Begin
    kCancelled = 8,  // the progress callback asked to stop (file-based check)
    kMismatch = 9,   // CryptVerifySignatureA refused: another key's signature, or a changed file
};

// What a check came to. |error| is GetLastError() of the call that failed (for kMismatch
// usually NTE_BAD_SIGNATURE); 0 for kOk, kNoKey, kMalformed and kCancelled.
struct SignatureResult {
    SignatureCheck code;
    DWORD error;
};

const size_t kSha256Bytes = 32;

// The SHA-256 of bytes handed in piece by piece, and the signature check over it. Owns the
// provider, the hash and the key; releases them when it goes. Not copied.
class PackageCheck {
public:
    PackageCheck() = default;
    ~PackageCheck();
    PackageCheck(const PackageCheck&) = delete;
    PackageCheck& operator=(const PackageCheck&) = delete;

    // Starts the hash from nothing: the first time, the provider is acquired; again, what was
    // added so far is dropped (a whole package replaces the bytes written).
    SignatureResult Begin();
    // Adds the next |count| bytes.
    SignatureResult Add(const void* data, size_t count);
    // Whether |signature| (|signatureBytes| raw bytes) signs what was added, under the key
    // blob |keyBlob| of |keyBlobBytes| bytes. The key and the signature's length are checked
    // first (kNoKey, kMalformed). The hash is used up: Begin again before adding more.
    SignatureResult Verify(const uint8_t* keyBlob, size_t keyBlobBytes, const uint8_t* signature,
                           size_t signatureBytes);
    // The SHA-256 of what was added, into |digest|. The hash is used up as by Verify.
    SignatureResult Digest(uint8_t digest[kSha256Bytes]);

private:
    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
    HCRYPTKEY key_ = 0;
};

// ---- The same check over a file on disk --------------------------------------------------------

// Called after each block hashed with the bytes hashed so far and the file's size (not called
// for an empty file). Returning false stops the check with kCancelled.
typedef bool (*HashProgress)(void* context, uint64_t done, uint64_t total);

// Bytes read and hashed at a time.
const DWORD kHashBlockBytes = 1 << 20;

// True when the program was built with a publisher key: every package must then be signed.
bool PackageKeyBuiltIn();

// Verifies that the file at |archivePath| is what |signature| (|signatureBytes| raw bytes) signs
// under the built-in key. A malformed signature is refused before the file is read. Without a
// built-in key the result is kNoKey. |progress| may be null.
SignatureResult CheckPackageSignature(const char* archivePath, const uint8_t* signature,
                                      size_t signatureBytes, HashProgress progress, void* context);

// The same under the key blob |keyBlob| of |keyBlobBytes| bytes.
SignatureResult CheckPackageSignatureWithKey(const uint8_t* keyBlob, size_t keyBlobBytes,
                                             const char* archivePath, const uint8_t* signature,
                                             size_t signatureBytes, HashProgress progress,
                                             void* context);

// The SHA-256 of the file at |path| into |digest|, by the same reading and hashing as the check.
SignatureResult HashFileSha256(const char* path, uint8_t digest[kSha256Bytes], HashProgress progress,
                               void* context);
