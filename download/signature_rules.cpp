#include "download/signature_rules.h"

#include <cstring>

namespace {

const uint8_t kTagInteger = 0x02;
const uint8_t kTagBitString = 0x03;
const uint8_t kTagNull = 0x05;
const uint8_t kTagOid = 0x06;
const uint8_t kTagSequence = 0x30;
// rsaEncryption, 1.2.840.113549.1.1.1.
const uint8_t kRsaEncryptionOid[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01};

// BLOBHEADER {PUBLICKEYBLOB, CUR_BLOB_VERSION, 0, CALG_RSA_SIGN} and the RSAPUBKEY magic "RSA1".
const uint8_t kBlobHeader[] = {0x06, 0x02, 0x00, 0x00, 0x00, 0x24, 0x00, 0x00, 'R', 'S', 'A', '1'};

const char kPemBegin[] = "-----BEGIN PUBLIC KEY-----";
const char kPemEnd[] = "-----END PUBLIC KEY-----";

// A view of bytes that shrinks from the front as elements are taken.
struct DerSpan {
    const uint8_t* data;
    size_t size;
};

// Takes one element tagged |tag| from the front of |in| into |content|. False when the tag
// differs, or the length is indefinite, not minimal, longer than two bytes or runs past |in|.
bool TakeElement(DerSpan* in, uint8_t tag, DerSpan* content) {
    if (in->size < 2 || in->data[0] != tag) return false;
    size_t length = in->data[1];
    size_t header = 2;
    if (length >= 0x80) {
        size_t count = length - 0x80;
        if (count < 1 || count > 2 || in->size < header + count) return false;
        length = 0;
        for (size_t i = 0; i < count; ++i) length = length << 8 | in->data[header + i];
        // Minimal: the long form only from 128 on, and no leading zero byte.
        if (length < 0x80 || in->data[header] == 0) return false;
        header += count;
    }
    if (length > in->size - header) return false;
    content->data = in->data + header;
    content->size = length;
    in->data += header + length;
    in->size -= header + length;
    return true;
}

// Takes a non-negative INTEGER and gives its magnitude without the sign byte. False for a
// negative or empty one, or one with a leading zero byte it did not need.
bool TakeUnsigned(DerSpan* in, DerSpan* magnitude) {
    if (!TakeElement(in, kTagInteger, magnitude) || magnitude->size == 0) return false;
    if (magnitude->data[0] & 0x80) return false;
    if (magnitude->data[0] == 0 && magnitude->size > 1) {
        if (!(magnitude->data[1] & 0x80)) return false;
        ++magnitude->data;
        --magnitude->size;
    }
    return true;
}

// The AlgorithmIdentifier: rsaEncryption with its NULL parameters, nothing else.
KeyParse CheckAlgorithm(DerSpan algorithm) {
    DerSpan oid, parameters;
    if (!TakeElement(&algorithm, kTagOid, &oid)) return KeyParse::kDer;
    if (oid.size != sizeof(kRsaEncryptionOid) || memcmp(oid.data, kRsaEncryptionOid, oid.size) != 0) {
        return KeyParse::kNotRsa;
    }
    if (!TakeElement(&algorithm, kTagNull, &parameters) || parameters.size != 0 || algorithm.size != 0) {
        return KeyParse::kDer;
    }
    return KeyParse::kOk;
}

// The BIT STRING's content: no unused bits, then RSAPublicKey {modulus, publicExponent}.
KeyParse ParseRsaKey(DerSpan bits, RsaPublicKey* key) {
    if (bits.size < 1 || bits.data[0] != 0) return KeyParse::kDer;
    DerSpan in = {bits.data + 1, bits.size - 1};
    DerSpan rsa, modulus, exponent;
    if (!TakeElement(&in, kTagSequence, &rsa) || in.size != 0) return KeyParse::kDer;
    if (!TakeUnsigned(&rsa, &modulus) || !TakeUnsigned(&rsa, &exponent) || rsa.size != 0) {
        return KeyParse::kDer;
    }
    // Whole bytes (top bit set), so CryptoAPI's bit length / 8 is the modulus length; odd, as
    // every RSA modulus is.
    if (modulus.size < kMinModulusBytes || modulus.size > kMaxModulusBytes ||
        !(modulus.data[0] & 0x80) || !(modulus.data[modulus.size - 1] & 1)) {
        return KeyParse::kModulus;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < exponent.size && exponent.size <= 4; ++i) value = value << 8 | exponent.data[i];
    if (exponent.size > 4 || value != kPublicExponent) return KeyParse::kExponent;

    memcpy(key->modulus, modulus.data, modulus.size);
    key->modulusBytes = modulus.size;
    key->exponent = value;
    return KeyParse::kOk;
}

bool IsPemSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

size_t SkipPemSpace(const char* text, size_t size, size_t at) {
    while (at < size && IsPemSpace(text[at])) ++at;
    return at;
}

// True when the |size| bytes at |text| start with |word|.
bool StartsWith(const char* text, size_t size, const char* word) {
    size_t length = strlen(word);
    return size >= length && memcmp(text, word, length) == 0;
}

const int kPad = 64;  // a "=" in a group of four base64 symbols

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    if (c == '=') return kPad;
    return -1;
}

// One group of four symbols into |bytes|: how many bytes it holds (1..3), or 0 when the padding
// stands in the wrong place or the bits it drops are not zero (not canonical).
size_t DecodeGroup(const int group[4], uint8_t bytes[3]) {
    if (group[0] == kPad || group[1] == kPad || (group[2] == kPad && group[3] != kPad)) return 0;
    size_t count = group[2] == kPad ? 1 : group[3] == kPad ? 2 : 3;
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits = bits << 6 | static_cast<uint32_t>(group[i] == kPad ? 0 : group[i]);
    if ((count == 1 && (bits & 0xFFFF)) || (count == 2 && (bits & 0xFF))) return 0;
    bytes[0] = static_cast<uint8_t>(bits >> 16);
    bytes[1] = static_cast<uint8_t>(bits >> 8);
    bytes[2] = static_cast<uint8_t>(bits);
    return count;
}

// The base64 body between the armour lines into |out| (kMaxKeyDerBytes bytes). A padded group
// ends the text; a text longer than |out| cannot be a key we accept (kDer).
KeyParse DecodeBase64(const char* text, size_t size, uint8_t* out, size_t* written) {
    int group[4];
    size_t symbols = 0, length = 0;
    bool ended = false;
    for (size_t i = 0; i < size; ++i) {
        if (IsPemSpace(text[i])) continue;
        int value = Base64Value(text[i]);
        if (value < 0 || ended) return KeyParse::kBase64;
        group[symbols++ % 4] = value;
        if (symbols % 4 != 0) continue;
        uint8_t bytes[3];
        size_t count = DecodeGroup(group, bytes);
        if (count == 0) return KeyParse::kBase64;
        if (length + count > kMaxKeyDerBytes) return KeyParse::kDer;
        memcpy(out + length, bytes, count);
        length += count;
        ended = count < 3;
    }
    if (symbols % 4 != 0) return KeyParse::kBase64;
    *written = length;
    return KeyParse::kOk;
}

void PutLittleEndian32(uint32_t value, uint8_t* out) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLittleEndian32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
           static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

}  // namespace

KeyParse ParsePublicKeyDer(const uint8_t* der, size_t size, RsaPublicKey* key) {
    if (size > kMaxKeyDerBytes) return KeyParse::kDer;
    DerSpan in = {der, size};
    DerSpan info, algorithm, bits;
    if (!TakeElement(&in, kTagSequence, &info) || in.size != 0) return KeyParse::kDer;
    if (!TakeElement(&info, kTagSequence, &algorithm) || !TakeElement(&info, kTagBitString, &bits) ||
        info.size != 0) {
        return KeyParse::kDer;
    }
    KeyParse algorithmCheck = CheckAlgorithm(algorithm);
    if (algorithmCheck != KeyParse::kOk) return algorithmCheck;
    return ParseRsaKey(bits, key);
}

KeyParse ParsePublicKeyPem(const char* text, size_t size, RsaPublicKey* key) {
    size_t at = SkipPemSpace(text, size, 0);
    if (!StartsWith(text + at, size - at, kPemBegin)) return KeyParse::kArmour;
    at += strlen(kPemBegin);
    if (at < size && text[at] == '\r') ++at;
    if (at >= size || text[at] != '\n') return KeyParse::kArmour;
    size_t bodyStart = at + 1;
    const void* dash = memchr(text + bodyStart, '-', size - bodyStart);
    if (!dash) return KeyParse::kArmour;
    size_t bodyEnd = static_cast<size_t>(static_cast<const char*>(dash) - text);
    // The END line starts a line of its own.
    if (text[bodyEnd - 1] != '\n' || !StartsWith(text + bodyEnd, size - bodyEnd, kPemEnd)) {
        return KeyParse::kArmour;
    }
    if (SkipPemSpace(text, size, bodyEnd + strlen(kPemEnd)) != size) return KeyParse::kArmour;

    uint8_t der[kMaxKeyDerBytes];
    size_t derSize = 0;
    KeyParse decoded = DecodeBase64(text + bodyStart, bodyEnd - bodyStart, der, &derSize);
    if (decoded != KeyParse::kOk) return decoded;
    return ParsePublicKeyDer(der, derSize, key);
}

size_t BuildPublicKeyBlob(const RsaPublicKey& key, uint8_t* out, size_t capacity) {
    size_t size = kKeyBlobHeaderBytes + key.modulusBytes;
    if (key.modulusBytes > kMaxModulusBytes || capacity < size) return 0;
    memcpy(out, kBlobHeader, sizeof(kBlobHeader));
    PutLittleEndian32(static_cast<uint32_t>(key.modulusBytes * 8), out + 12);
    PutLittleEndian32(key.exponent, out + 16);
    for (size_t i = 0; i < key.modulusBytes; ++i) {
        out[kKeyBlobHeaderBytes + i] = key.modulus[key.modulusBytes - 1 - i];
    }
    return size;
}

size_t KeyBlobModulusBytes(const uint8_t* blob, size_t size) {
    if (size < kKeyBlobHeaderBytes || memcmp(blob, kBlobHeader, sizeof(kBlobHeader)) != 0) return 0;
    uint32_t bits = GetLittleEndian32(blob + 12);
    size_t bytes = bits / 8;
    if (bits % 8 != 0 || bytes < kMinModulusBytes || bytes > kMaxModulusBytes ||
        size != kKeyBlobHeaderBytes + bytes || GetLittleEndian32(blob + 16) != kPublicExponent) {
        return 0;
    }
    const uint8_t* modulus = blob + kKeyBlobHeaderBytes;  // least significant byte first
    if (!(modulus[bytes - 1] & 0x80) || !(modulus[0] & 1)) return 0;
    return bytes;
}

bool SignatureToLittleEndian(const uint8_t* signature, size_t size, size_t modulusBytes,
                             uint8_t* out, size_t capacity) {
    if (modulusBytes < kMinModulusBytes || modulusBytes > kMaxModulusBytes || size != modulusBytes ||
        capacity < size) {
        return false;
    }
    for (size_t i = 0; i < size; ++i) out[i] = signature[size - 1 - i];
    return true;
}
