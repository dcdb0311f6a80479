// The package signature check: the downloaded archive's SHA-256, verified against the
// publisher's detached signature with the CryptoAPI of advapi32 (PROV_RSA_AES, CALG_SHA_256,
// RSA PKCS#1 v1.5), which every Windows the setup supports has from XP SP3 on.
//
// The key is a PUBLICKEYBLOB as download/signature_rules.h builds it; the built-in one is the
// profile's (g_abPackageKey, app/profile.h). The signature is the raw bytes the publisher's
// `openssl dgst -sha256 -sign` wrote (OUT.zip.sig), in the order they were served.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

enum class SignatureCheck {
    kOk = 0,         // the archive is the one the key's owner signed
    kNoKey = 1,      // no key, or a key blob the rules do not accept
    kMalformed = 2,  // the signature is not exactly as long as the key's modulus
    kProvider = 3,   // CryptAcquireContextA (PROV_RSA_AES, verify-only) failed
    kImportKey = 4,  // CryptImportKey failed
    kOpenFile = 5,   // the archive could not be opened or its size read
    kReadFile = 6,   // a read failed, or the file ended before its size
    kHash = 7,       // CryptCreateHash, CryptHashData or CryptGetHashParam failed
    kCancelled = 8,  // the progress callback asked to stop
    kMismatch = 9,   // CryptVerifySignatureA refused: another key's signature, or a changed file
};

// What a check came to. |error| is GetLastError() of the call that failed (for kMismatch
// usually NTE_BAD_SIGNATURE); 0 for kOk, kNoKey, kMalformed and kCancelled.
struct SignatureResult {
    SignatureCheck code;
    DWORD error;
};

// Called after each block hashed with the bytes hashed so far and the file's size (not called
// for an empty file). Returning false stops the check with kCancelled: a cancel check point.
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

const size_t kSha256Bytes = 32;

// The SHA-256 of the file at |path| into |digest|, by the same reading and hashing as the check.
SignatureResult HashFileSha256(const char* path, uint8_t digest[kSha256Bytes], HashProgress progress,
                               void* context);
