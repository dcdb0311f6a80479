// Fuzz target: the package signature rules. The first byte picks what the rest is:
//   0  a DER SubjectPublicKeyInfo      1  a PEM text      2  a key blob, and a signature
//   3  the numbers of an RSAPublicKey (its content), put into a SubjectPublicKeyInfo whose outer
//      lengths fit, so that mutations reach the inner rules without breaking three lengths
// Properties: a key that is read writes back to exactly the bytes it came from (one encoding
// is accepted), the PEM layer adds nothing to the DER rules, a key blob carries the key's
// modulus reversed, and a signature is taken only at exactly the modulus length. No input
// reads outside its buffer (each is exactly sized) or crashes.
//
// Longer run, from the repository root after the fuzz build:
//   mkdir -p /tmp/corpus-signature && build/fuzz/signature_fuzz -max_len=1024 \
//       -max_total_time=300 /tmp/corpus-signature tests/fuzz/corpus/signature
#include <algorithm>
#include <string>
#include <vector>

#include "download/signature_rules.h"
#include "fuzz_support.h"
#include "tests/unit/key_encoding.h"

namespace {

std::string ModulusOf(const RsaPublicKey& key) {
    return std::string(reinterpret_cast<const char*>(key.modulus), key.modulusBytes);
}

std::string ExponentOf(const RsaPublicKey& key) { return key_encoding::Magnitude(key.exponent); }

// The blob of an accepted key: its modulus reversed, read back with the same length.
void CheckBlob(const RsaPublicKey& key) {
    std::vector<uint8_t> blob(kKeyBlobHeaderBytes + key.modulusBytes);
    FUZZ_CHECK(BuildPublicKeyBlob(key, blob.data(), blob.size() - 1) == 0);
    FUZZ_CHECK(BuildPublicKeyBlob(key, blob.data(), blob.size()) == blob.size());
    FUZZ_CHECK(KeyBlobModulusBytes(blob.data(), blob.size()) == key.modulusBytes);
    for (size_t i = 0; i < key.modulusBytes; ++i) {
        FUZZ_CHECK(blob[kKeyBlobHeaderBytes + i] == key.modulus[key.modulusBytes - 1 - i]);
    }
}

KeyParse ParsePem(const std::string& text, RsaPublicKey* key) {
    std::vector<char> exact(text.begin(), text.end());
    return ParsePublicKeyPem(exact.data(), exact.size(), key);
}

void CheckDer(const uint8_t* der, size_t size) {
    RsaPublicKey key, fromPem;
    KeyParse result = ParsePublicKeyDer(der, size, &key);
    std::string bytes(reinterpret_cast<const char*>(der), size);
    FUZZ_CHECK(ParsePem(key_encoding::Pem(bytes), &fromPem) == result);
    FUZZ_CHECK(ParsePem(key_encoding::Pem(bytes, "\r\n"), &fromPem) == result);
    if (result != KeyParse::kOk) return;
    FUZZ_CHECK(key.modulusBytes >= kMinModulusBytes && key.modulusBytes <= kMaxModulusBytes);
    FUZZ_CHECK(key.exponent == kPublicExponent);
    FUZZ_CHECK(key_encoding::RsaSpki(ModulusOf(key), ExponentOf(key)) == bytes);
    FUZZ_CHECK(ModulusOf(fromPem) == ModulusOf(key));
    CheckBlob(key);
}

void CheckPem(const char* text, size_t size) {
    RsaPublicKey key, again;
    if (ParsePublicKeyPem(text, size, &key) != KeyParse::kOk) return;
    std::string der = key_encoding::RsaSpki(ModulusOf(key), ExponentOf(key));
    FUZZ_CHECK(ParsePem(key_encoding::Pem(der), &again) == KeyParse::kOk);
    FUZZ_CHECK(ModulusOf(again) == ModulusOf(key));
    FUZZ_CHECK(std::string(text, size).find("-----BEGIN PUBLIC KEY-----") != std::string::npos);
    CheckBlob(key);
}

// A blob that is accepted is one BuildPublicKeyBlob makes, of a key the parser accepts.
void CheckBlobInput(const uint8_t* blob, size_t size) {
    size_t modulusBytes = KeyBlobModulusBytes(blob, size);
    if (modulusBytes == 0) return;
    FUZZ_CHECK(size == kKeyBlobHeaderBytes + modulusBytes);
    std::string modulus(blob + kKeyBlobHeaderBytes, blob + size);
    modulus.assign(modulus.rbegin(), modulus.rend());
    std::string der = key_encoding::RsaSpki(modulus, key_encoding::Magnitude(kPublicExponent));
    RsaPublicKey key;
    FUZZ_CHECK(ParsePublicKeyDer(reinterpret_cast<const uint8_t*>(der.data()), der.size(), &key) ==
               KeyParse::kOk);
    std::vector<uint8_t> rebuilt(size);
    FUZZ_CHECK(BuildPublicKeyBlob(key, rebuilt.data(), rebuilt.size()) == size);
    FUZZ_CHECK(std::equal(rebuilt.begin(), rebuilt.end(), blob));
}

void CheckSignature(const uint8_t* signature, size_t size) {
    std::vector<uint8_t> out(size), back(size);
    bool sizeAccepted = size >= kMinModulusBytes && size <= kMaxModulusBytes;
    FUZZ_CHECK(SignatureToLittleEndian(signature, size, size, out.data(), out.size()) == sizeAccepted);
    FUZZ_CHECK(!SignatureToLittleEndian(signature, size, size + 1, out.data(), out.size() + 1));
    if (size > 0) FUZZ_CHECK(!SignatureToLittleEndian(signature, size, size, out.data(), size - 1));
    if (!sizeAccepted) return;
    FUZZ_CHECK(SignatureToLittleEndian(out.data(), size, size, back.data(), back.size()));
    FUZZ_CHECK(std::equal(back.begin(), back.end(), signature));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // An exactly sized copy of the rest, so a read past it is caught.
    std::vector<uint8_t> rest(data + 1, data + size);
    switch (data[0] % 4) {
        case 0: CheckDer(rest.data(), rest.size()); break;
        case 1: CheckPem(reinterpret_cast<const char*>(rest.data()), rest.size()); break;
        case 2:
            CheckBlobInput(rest.data(), rest.size());
            CheckSignature(rest.data(), rest.size());
            break;
        default: {
            std::string der = key_encoding::RsaSpkiOfContent(std::string(rest.begin(), rest.end()));
            std::vector<uint8_t> exact(der.begin(), der.end());
            CheckDer(exact.data(), exact.size());
            break;
        }
    }
    return 0;
}
