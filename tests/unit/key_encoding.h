// Test-side writers of the key forms the signature rules read: minimal DER, a
// SubjectPublicKeyInfo for an RSA key, canonical base64 and PEM. Written from the
// formats, apart from the code under test, so a test can build any key (and any
// fault in one) and a fuzz target can check that what was read writes back the same.
// Shared by tests/unit/signature_rules_test.cpp and tests/fuzz/signature_fuzz.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace key_encoding {

// One DER element: |tag|, the minimal length, |content|.
inline std::string Element(uint8_t tag, const std::string& content) {
    std::string out(1, static_cast<char>(tag));
    size_t n = content.size();
    if (n < 0x80) {
        out += static_cast<char>(n);
    } else if (n < 0x100) {
        out += '\x81';
        out += static_cast<char>(n);
    } else {
        out += '\x82';
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(n & 0xFF);
    }
    return out + content;
}

// A non-negative INTEGER of |magnitude| (most significant byte first, no leading zero).
inline std::string Unsigned(const std::string& magnitude) {
    bool sign = !magnitude.empty() && (static_cast<uint8_t>(magnitude[0]) & 0x80);
    return Element(0x02, (sign ? std::string(1, '\0') : std::string()) + magnitude);
}

inline std::string Magnitude(uint32_t value) {
    std::string out;
    for (; value; value >>= 8) out.insert(out.begin(), static_cast<char>(value & 0xFF));
    return out.empty() ? std::string(1, '\0') : out;
}

const char kRsaOid[] = "\x06\x09\x2A\x86\x48\x86\xF7\x0D\x01\x01\x01";

// AlgorithmIdentifier {rsaEncryption, NULL}.
inline std::string RsaAlgorithm() {
    return Element(0x30, std::string(kRsaOid, sizeof(kRsaOid) - 1) + std::string("\x05\x00", 2));
}

// SubjectPublicKeyInfo {|algorithm|, BIT STRING {RSAPublicKey {|numbers|}}} with |unusedBits|
// in the bit string, where |numbers| is the encoded content of the RSAPublicKey sequence.
inline std::string RsaSpkiOfContent(const std::string& numbers, const std::string& algorithm = RsaAlgorithm(),
                                    char unusedBits = 0) {
    return Element(0x30, algorithm + Element(0x03, std::string(1, unusedBits) + Element(0x30, numbers)));
}

// The same with RSAPublicKey {modulus, exponent}, both given as magnitudes.
inline std::string RsaSpki(const std::string& modulus, const std::string& exponentMagnitude) {
    return RsaSpkiOfContent(Unsigned(modulus) + Unsigned(exponentMagnitude));
}

// A modulus-shaped number of |bytes| bytes: top bit set, odd, the rest from |seed|.
inline std::string SyntheticModulus(size_t bytes, uint8_t seed) {
    std::string out(bytes, '\0');
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<char>((seed + i * 7) & 0xFF);
    if (bytes) {
        out[0] = static_cast<char>(out[0] | 0x80);
        out[bytes - 1] = static_cast<char>(out[bytes - 1] | 1);
    }
    return out;
}

inline std::string Base64(const std::string& bytes) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t bits = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) bits |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) bits |= static_cast<uint8_t>(bytes[i + 2]);
        for (size_t k = 0; k < 4; ++k) {
            out += i + k <= bytes.size() ? kAlphabet[(bits >> (18 - 6 * k)) & 63] : '=';
        }
    }
    return out;
}

// The PEM text openssl writes: armour lines and base64 in lines of 64, each ended by |eol|.
inline std::string Pem(const std::string& der, const std::string& eol = "\n") {
    std::string body = Base64(der);
    std::string out = "-----BEGIN PUBLIC KEY-----" + eol;
    for (size_t i = 0; i < body.size(); i += 64) out += body.substr(i, 64) + eol;
    return out + "-----END PUBLIC KEY-----" + eol;
}

}  // namespace key_encoding
