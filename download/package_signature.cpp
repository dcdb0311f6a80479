#include "download/package_signature.h"

#include "app/profile.h"
#include "download/signature_rules.h"
#include "fw/scoped.h"

namespace {

// SHA-256 came to the CryptoAPI with XP SP3; the headers name it only for that target, while
// the program at large is built for XP (_WIN32_WINNT 0x0501).
const ALG_ID kSha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;  // ALG_SID_SHA_256: 0x800C

SignatureResult Done() { return {SignatureCheck::kOk, 0}; }
SignatureResult Refused(SignatureCheck code) { return {code, 0}; }
// A failed system call: keeps its reason.
SignatureResult Failed(SignatureCheck code) { return {code, GetLastError()}; }

// The key's modulus length, and the signature in the order CryptVerifySignature reads it
// (least significant byte first) into |reversed|: kNoKey or kMalformed when they cannot be.
SignatureResult CheckForm(const uint8_t* keyBlob, size_t keyBlobBytes, const uint8_t* signature,
                          size_t signatureBytes, size_t* modulusBytes, BYTE* reversed) {
    *modulusBytes = KeyBlobModulusBytes(keyBlob, keyBlobBytes);
    if (*modulusBytes == 0) return Refused(SignatureCheck::kNoKey);
    if (!SignatureToLittleEndian(signature, signatureBytes, *modulusBytes, reversed, kMaxModulusBytes))
        return Refused(SignatureCheck::kMalformed);
    return Done();
}

// One block on the process heap: too large for a worker's stack.
struct HeapBlockTraits : NullMeansEmpty<BYTE*> {
    static void Release(Value v) { HeapFree(GetProcessHeap(), 0, v); }
};
using ScopedHeapBlock = Scoped<HeapBlockTraits>;

// Adds the whole file at |path| to |check|, block by block, as long as it was when opened.
SignatureResult AddFile(PackageCheck* check, const char* path, HashProgress progress, void* context) {
    ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size)) return Failed(SignatureCheck::kOpenFile);
    ScopedHeapBlock block(static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, kHashBlockBytes)));
    if (!block) return {SignatureCheck::kReadFile, ERROR_NOT_ENOUGH_MEMORY};
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    for (uint64_t done = 0; done < total;) {
        uint64_t left = total - done;
        DWORD wanted = left < kHashBlockBytes ? static_cast<DWORD>(left) : kHashBlockBytes;
        DWORD got = 0;
        if (!ReadFile(file.get(), block.get(), wanted, &got, nullptr)) return Failed(SignatureCheck::kReadFile);
        if (got == 0) return {SignatureCheck::kReadFile, ERROR_HANDLE_EOF};  // it shrank meanwhile
        SignatureResult added = check->Add(block.get(), got);
        if (added.code != SignatureCheck::kOk) return added;
        done += got;
        if (progress && !progress(context, done, total)) return Refused(SignatureCheck::kCancelled);
    }
    return Done();
}

}  // namespace

PackageCheck::~PackageCheck() {
    if (key_) CryptDestroyKey(key_);
    if (hash_) CryptDestroyHash(hash_);
    if (provider_) CryptReleaseContext(provider_, 0);
}

SignatureResult PackageCheck::Begin() {
    // A verify-only context of the RSA and AES provider: no key container is made or opened.
    if (!provider_ && !CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
        provider_ = 0;
        return Failed(SignatureCheck::kProvider);
    }
    if (hash_) CryptDestroyHash(hash_);
    hash_ = 0;
    if (!CryptCreateHash(provider_, kSha256, 0, 0, &hash_)) {
        hash_ = 0;
        return Failed(SignatureCheck::kHash);
    }
    return Done();
}

SignatureResult PackageCheck::Add(const void* data, size_t count) {
    if (!hash_) return {SignatureCheck::kHash, ERROR_INVALID_HANDLE};
    const BYTE* bytes = static_cast<const BYTE*>(data);
    const size_t kMostAtOnce = 1u << 30;  // CryptHashData counts in a DWORD
    for (size_t done = 0; done < count;) {
        DWORD part = static_cast<DWORD>(count - done < kMostAtOnce ? count - done : kMostAtOnce);
        if (!CryptHashData(hash_, bytes + done, part, 0)) return Failed(SignatureCheck::kHash);
        done += part;
    }
    return Done();
}

SignatureResult PackageCheck::Verify(const uint8_t* keyBlob, size_t keyBlobBytes, const uint8_t* signature,
                                     size_t signatureBytes) {
    size_t modulusBytes = 0;
    BYTE reversed[kMaxModulusBytes];
    SignatureResult form = CheckForm(keyBlob, keyBlobBytes, signature, signatureBytes, &modulusBytes, reversed);
    if (form.code != SignatureCheck::kOk) return form;
    if (!hash_) return {SignatureCheck::kHash, ERROR_INVALID_HANDLE};
    if (key_) CryptDestroyKey(key_);
    key_ = 0;
    if (!CryptImportKey(provider_, keyBlob, static_cast<DWORD>(keyBlobBytes), 0, 0, &key_)) {
        key_ = 0;
        return Failed(SignatureCheck::kImportKey);
    }
    if (!CryptVerifySignatureA(hash_, reversed, static_cast<DWORD>(modulusBytes), key_, nullptr, 0))
        return Failed(SignatureCheck::kMismatch);
    return Done();
}

SignatureResult PackageCheck::Digest(uint8_t digest[kSha256Bytes]) {
    DWORD length = kSha256Bytes;
    if (!hash_) return {SignatureCheck::kHash, ERROR_INVALID_HANDLE};
    if (!CryptGetHashParam(hash_, HP_HASHVAL, digest, &length, 0) || length != kSha256Bytes)
        return Failed(SignatureCheck::kHash);
    return Done();
}

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
    size_t modulusBytes = 0;
    BYTE reversed[kMaxModulusBytes];
    SignatureResult result = CheckForm(keyBlob, keyBlobBytes, signature, signatureBytes, &modulusBytes, reversed);
    PackageCheck check;
    if (result.code == SignatureCheck::kOk) result = check.Begin();
    if (result.code == SignatureCheck::kOk) result = AddFile(&check, archivePath, progress, context);
    if (result.code == SignatureCheck::kOk) result = check.Verify(keyBlob, keyBlobBytes, signature, signatureBytes);
    return result;
}

SignatureResult HashFileSha256(const char* path, uint8_t digest[kSha256Bytes], HashProgress progress,
                               void* context) {
    PackageCheck check;
    SignatureResult result = check.Begin();
    if (result.code == SignatureCheck::kOk) result = AddFile(&check, path, progress, context);
    if (result.code == SignatureCheck::kOk) result = check.Digest(digest);
    return result;
}
