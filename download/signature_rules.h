// Package signature rules: the publisher's public key and the detached signature of a package,
// read from the forms openssl writes and turned into the forms the Windows CryptoAPI reads.
//
//   key        the PEM "PUBLIC KEY" text (`openssl pkey -pubout`): a SubjectPublicKeyInfo with
//              rsaEncryption, in DER, in base64, between the armour lines. It becomes a
//              PUBLICKEYBLOB for CryptImportKey.
//   signature  the raw RSA PKCS#1 v1.5 signature over SHA-256 that `openssl dgst -sha256 -sign`
//              writes: exactly as many bytes as the modulus, most significant first. It becomes
//              the least-significant-first bytes CryptVerifySignature reads.
//
// Strict on purpose: one encoding is accepted for each (minimal DER, canonical base64), so
// anything a tool did not write is refused rather than guessed at. Pure byte arithmetic; the
// glue (download/package_signature.*) does the hashing and the CryptoAPI calls. Nothing is read
// outside the given sizes or written past a given capacity.
#pragma once

#include <cstddef>
#include <cstdint>

// The keys accepted: RSA of 2048 to 4096 bits in whole bytes, public exponent 65537.
const size_t kMinModulusBytes = 256;
const size_t kMaxModulusBytes = 512;
const uint32_t kPublicExponent = 65537;
// A PUBLICKEYBLOB: BLOBHEADER (8 bytes) and RSAPUBKEY (12 bytes), then the modulus.
const size_t kKeyBlobHeaderBytes = 20;
const size_t kMaxKeyBlobBytes = kKeyBlobHeaderBytes + kMaxModulusBytes;
// The largest DER text read; a 4096-bit key takes 550 bytes.
const size_t kMaxKeyDerBytes = 1024;

struct RsaPublicKey {
    uint8_t modulus[kMaxModulusBytes];  // most significant byte first, never 0
    size_t modulusBytes;                // kMinModulusBytes..kMaxModulusBytes
    uint32_t exponent;                  // always kPublicExponent
};

enum class KeyParse {
    kOk = 0,
    kArmour = 1,    // no "-----BEGIN PUBLIC KEY-----" ... "-----END PUBLIC KEY-----" around it
    kBase64 = 2,    // a character, padding or trailing bits that canonical base64 has not
    kDer = 3,       // not one minimal-DER SubjectPublicKeyInfo with an RSA key inside, or too long
    kNotRsa = 4,    // a well-formed key of another algorithm (EC, DSA, ...)
    kModulus = 5,   // the modulus is not an odd number of 2048..4096 bits in whole bytes
    kExponent = 6,  // the public exponent is not 65537
};

// Reads a DER SubjectPublicKeyInfo of exactly |size| bytes. |key| is filled only on kOk.
KeyParse ParsePublicKeyDer(const uint8_t* der, size_t size, RsaPublicKey* key);

// Reads a PEM "PUBLIC KEY" text of |size| bytes (not NUL-terminated): optional white space,
// the BEGIN line, base64 lines (spaces, tabs, CR and LF ignored), the END line, optional white
// space, nothing else. |key| is filled only on kOk.
KeyParse ParsePublicKeyPem(const char* text, size_t size, RsaPublicKey* key);

// The PUBLICKEYBLOB of |key| (CALG_RSA_SIGN, blob version 2, modulus least significant byte
// first): its size in bytes, or 0 when |capacity| is too small (then nothing is written).
size_t BuildPublicKeyBlob(const RsaPublicKey& key, uint8_t* out, size_t capacity);

// The modulus length of a PUBLICKEYBLOB exactly as BuildPublicKeyBlob makes them (same header,
// an accepted key size and exponent, |size| = header + modulus), or 0 for anything else.
size_t KeyBlobModulusBytes(const uint8_t* blob, size_t size);

// The signature of |size| bytes turned into CryptVerifySignature's byte order. A signature is
// exactly |modulusBytes| long (openssl keeps its leading zero bytes); any other length is
// malformed and refused (false), as is a |capacity| below |size|. Nothing is written then.
bool SignatureToLittleEndian(const uint8_t* signature, size_t size, size_t modulusBytes,
                             uint8_t* out, size_t capacity);
