#include "download/signature_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/key_encoding.h"

namespace {

using key_encoding::Element;
using key_encoding::Pem;
using key_encoding::RsaSpki;
using key_encoding::SyntheticModulus;

// TEST-ONLY public data: a key openssl made (`openssl pkey -pubout`), its private half thrown
// away, and its modulus as `openssl rsa -pubin -modulus` prints it.
const char kOpensslKey[] =
    "-----BEGIN PUBLIC KEY-----\n"
    "MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEAtMBUYc7XJCDmJgg9w2bj\n"
    "9a4dSouiyFj5mlytfiEK3D0SrBFfTNip3DQbVBlxltjf4QS1fQLw0tg+1pZMQIHl\n"
    "aL+xlRZkG5l1bxwo9fawe/NaFl/6EdvswLDtn5sGAZjhUi1yC+676Xu204iwbWxR\n"
    "+sPrajH4qV35t9wTzVSq4+yxk/2NEUXkOCfDwip2WIXbnZUfh2Q3DSdV0oO5pyhi\n"
    "ta5+ap1ggtTgbEJb74FyRhmeBFP6Ohm3CZEm2t5Duby3VYyllH+XF0kO5gnCC3HF\n"
    "TetV+P3/qX9GZcVcsfY96vn3hAgF9sStifXTBIUlFOwFw+lLeiasLivebvoo8GwS\n"
    "7wIDAQAB\n"
    "-----END PUBLIC KEY-----\n";
const char kOpensslModulusHex[] =
    "B4C05461CED72420E626083DC366E3F5AE1D4A8BA2C858F99A5CAD7E210ADC3D"
    "12AC115F4CD8A9DC341B54197196D8DFE104B57D02F0D2D83ED6964C4081E568"
    "BFB19516641B99756F1C28F5F6B07BF35A165FFA11DBECC0B0ED9F9B060198E1"
    "522D720BEEBBE97BB6D388B06D6C51FAC3EB6A31F8A95DF9B7DC13CD54AAE3EC"
    "B193FD8D1145E43827C3C22A765885DB9D951F8764370D2755D283B9A72862B5"
    "AE7E6A9D6082D4E06C425BEF817246199E0453FA3A19B7099126DADE43B9BCB7"
    "558CA5947F9717490EE609C20B71C54DEB55F8FDFFA97F4665C55CB1F63DEAF9"
    "F7840805F6C4AD89F5D304852514EC05C3E94B7A26AC2E2BDE6EFA28F06C12EF";
// An EC P-256 key in the same armour.
const char kEcKey[] =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEYB7qO8RpDpvom21ZUDzUivd9JHB/\n"
    "4gUGWc1k+Ob7N0IzwPo1pIdOIlEPpMEflrqhQjKQvKLvVk64TwIrWlg1xQ==\n"
    "-----END PUBLIC KEY-----\n";

const std::string kE65537("\x01\x00\x01", 3);

std::string Hex(const uint8_t* bytes, size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < size; ++i) out += std::string{kDigits[bytes[i] >> 4], kDigits[bytes[i] & 15]};
    return out;
}

KeyParse ParsePem(const std::string& text, RsaPublicKey* key = nullptr) {
    RsaPublicKey scratch;
    return ParsePublicKeyPem(text.data(), text.size(), key ? key : &scratch);
}

KeyParse ParseDer(const std::string& der) {
    RsaPublicKey key;
    return ParsePublicKeyDer(reinterpret_cast<const uint8_t*>(der.data()), der.size(), &key);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(ParsePublicKeyPem, OpensslKeyGivesItsModulusAndBlob) {
    RsaPublicKey key;
    ASSERT_EQ(ParsePem(kOpensslKey, &key), KeyParse::kOk);
    EXPECT_EQ(key.modulusBytes, 256u);
    EXPECT_EQ(key.exponent, 65537u);
    EXPECT_EQ(Hex(key.modulus, key.modulusBytes), kOpensslModulusHex);

    uint8_t blob[kMaxKeyBlobBytes];
    ASSERT_EQ(BuildPublicKeyBlob(key, blob, sizeof(blob)), 276u);
    // BLOBHEADER, RSAPUBKEY "RSA1", bit length 2048, exponent 65537, modulus reversed.
    EXPECT_EQ(Hex(blob, 20), "0602000000240000525341310008000001000100");
    EXPECT_EQ(blob[20], 0xEF);
    EXPECT_EQ(blob[275], 0xB4);
    EXPECT_EQ(KeyBlobModulusBytes(blob, 276), 256u);
    // One byte short: nothing is written.
    std::vector<uint8_t> small(275, 0xAA);
    EXPECT_EQ(BuildPublicKeyBlob(key, small.data(), small.size()), 0u);
    EXPECT_EQ(small, std::vector<uint8_t>(275, 0xAA));
}

struct PemCase {
    const char* what;
    std::string text;
    KeyParse result;
};

TEST(ParsePublicKeyPem, ArmourAndBase64) {
    const std::string key = kOpensslKey;
    const PemCase cases[] = {
        {"as openssl writes it", key, KeyParse::kOk},
        {"CR LF line ends", Pem(RsaSpki(SyntheticModulus(256, 1), kE65537), "\r\n"), KeyParse::kOk},
        {"blank lines around, no final line end", "\n \r\n" + key.substr(0, key.size() - 1),
         KeyParse::kOk},
        {"the body in one line", Replace(Replace(key, "\n9a4d", "9a4d"), "\nta5+", "ta5+"),
         KeyParse::kOk},
        {"empty", "", KeyParse::kArmour},
        {"text before the armour", "key:\n" + key, KeyParse::kArmour},
        {"text after the armour", key + "x", KeyParse::kArmour},
        {"the RSA-only form", Replace(Replace(key, "BEGIN PUBLIC", "BEGIN RSA PUBLIC"),
                                      "END PUBLIC", "END RSA PUBLIC"), KeyParse::kArmour},
        {"a private key", Replace(Replace(key, "BEGIN PUBLIC", "BEGIN PRIVATE"),
                                  "END PUBLIC", "END PRIVATE"), KeyParse::kArmour},
        {"no END line", key.substr(0, key.size() - 25), KeyParse::kArmour},
        {"END not at a line start", Replace(key, "AQAB\n", "AQAB"), KeyParse::kArmour},
        {"BEGIN line not ended", Replace(key, "KEY-----\nMIIB", "KEY-----MIIB"), KeyParse::kArmour},
        {"a character outside base64", Replace(key, "MIIB", "MI*B"), KeyParse::kBase64},
        {"URL-safe base64", Replace(key, "+sPr", "_sPr"), KeyParse::kBase64},
        {"a symbol missing", Replace(key, "MIIB", "MIB"), KeyParse::kBase64},
        {"padding in the middle", Replace(key, "MIIB", "MI=B"), KeyParse::kBase64},
        {"text after the padding", Replace(key, "AQAB\n", "AQ==AQAB\n"), KeyParse::kBase64},
        {"bits the padding drops are set", Pem("ab").replace(27, 4, "YWJ="), KeyParse::kBase64},
        {"one symbol short of a key", Replace(key, "7wIDAQAB", "7wIDAQA="), KeyParse::kDer},
        {"base64 of no key", "-----BEGIN PUBLIC KEY-----\n" + std::string("YWJj\n") +
                                 "-----END PUBLIC KEY-----\n", KeyParse::kDer},
        {"no body at all", "-----BEGIN PUBLIC KEY-----\n-----END PUBLIC KEY-----\n", KeyParse::kDer},
        {"longer than any key", Pem(Element(0x30, std::string(kMaxKeyDerBytes, 'x'))), KeyParse::kDer},
        {"EC key", kEcKey, KeyParse::kNotRsa},
    };
    for (const PemCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ParsePem(c.text), c.result);
    }
}

struct DerCase {
    const char* what;
    std::string der;
    KeyParse result;
};

// Key sizes and exponents, then one minimal DER encoding of an RSA key and nothing else.
TEST(ParsePublicKeyDer, KeySizesExponentsAndOnlyMinimalDer) {
    using key_encoding::RsaSpkiOfContent;
    using key_encoding::Unsigned;
    const std::string oid(key_encoding::kRsaOid, sizeof(key_encoding::kRsaOid) - 1);
    const std::string null("\x05\x00", 2);
    const std::string m = SyntheticModulus(256, 9);
    const std::string n = Unsigned(m), e = Unsigned(kE65537);
    const std::string good = RsaSpkiOfContent(n + e);
    const DerCase cases[] = {
        {"2048 bits", good, KeyParse::kOk},
        {"3072 bits", RsaSpki(SyntheticModulus(384, 2), kE65537), KeyParse::kOk},
        {"4096 bits", RsaSpki(SyntheticModulus(512, 3), kE65537), KeyParse::kOk},
        {"2040 bits", RsaSpki(SyntheticModulus(255, 4), kE65537), KeyParse::kModulus},
        {"4104 bits", RsaSpki(SyntheticModulus(513, 5), kE65537), KeyParse::kModulus},
        {"1024 bits", RsaSpki(SyntheticModulus(128, 5), kE65537), KeyParse::kModulus},
        {"1024 bits, length with a zero byte",
         RsaSpkiOfContent(std::string("\x02\x82\x00\x81\x00", 5) + SyntheticModulus(128, 5) + e), KeyParse::kDer},
        {"2047 bits", RsaSpki("\x7F" + SyntheticModulus(255, 6), kE65537), KeyParse::kModulus},
        {"an even modulus", RsaSpki(m.substr(0, 255) + '\x02', kE65537), KeyParse::kModulus},
        {"exponent 3", RsaSpki(m, "\x03"), KeyParse::kExponent},
        {"exponent 2^32 + 1", RsaSpki(m, std::string("\x01\x00\x00\x00\x01", 5)), KeyParse::kExponent},
        {"exponent 2^39 + 65537", RsaSpki(m, std::string("\x80\x00\x01\x00\x01", 5)), KeyParse::kExponent},
        {"a byte after it", good + '\0', KeyParse::kDer},
        {"outer length in three bytes", std::string("\x30\x83\x00\x01\x22", 5) + good.substr(4), KeyParse::kDer},
        {"indefinite length", "\x30\x80" + good.substr(4), KeyParse::kDer},
        {"length past the end", "\x30\x82\x01\x23" + good.substr(4), KeyParse::kDer},
        {"long form for a short length", RsaSpkiOfContent(n + e, "\x30\x81\x0D" + oid + null), KeyParse::kDer},
        {"no parameters", RsaSpkiOfContent(n + e, Element(0x30, oid)), KeyParse::kDer},
        {"parameters not NULL", RsaSpkiOfContent(n + e, Element(0x30, oid + std::string("\x04\x00", 2))),
         KeyParse::kDer},
        {"NULL with content", RsaSpkiOfContent(n + e, Element(0x30, oid + std::string("\x05\x01\x00", 3))),
         KeyParse::kDer},
        {"sha256WithRSAEncryption instead", RsaSpkiOfContent(n + e, Element(0x30, oid.substr(0, 10) + '\x0B' + null)),
         KeyParse::kNotRsa},
        {"unused bits in the bit string", RsaSpkiOfContent(n + e, key_encoding::RsaAlgorithm(), 1), KeyParse::kDer},
        {"a negative modulus", RsaSpkiOfContent(Element(0x02, m) + e), KeyParse::kDer},
        {"a modulus with a needless zero", RsaSpkiOfContent(Element(0x02, std::string(2, '\0') + m) + e),
         KeyParse::kDer},
        {"the modulus as an octet string", RsaSpkiOfContent(Element(0x04, m) + e), KeyParse::kDer},
        {"an exponent with a needless zero", RsaSpkiOfContent(n + std::string("\x02\x04\x00\x01\x00\x01", 6)),
         KeyParse::kDer},
        {"an empty exponent", RsaSpkiOfContent(n + std::string("\x02\x00", 2)), KeyParse::kDer},
        {"a third number", RsaSpkiOfContent(n + e + e), KeyParse::kDer},
        {"the exponent missing", RsaSpkiOfContent(n), KeyParse::kDer},
    };
    ASSERT_EQ(good, RsaSpki(m, kE65537));
    ASSERT_EQ(good.substr(0, 4), "\x30\x82\x01\x22");
    for (const DerCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ParseDer(c.der), c.result);
    }
}

// Every cut of a good key is refused, and nothing is read past the cut (AddressSanitizer sees
// the first byte after each exact-sized copy).
TEST(ParsePublicKeyDer, EveryTruncationIsRefused) {
    const std::string good = RsaSpki(SyntheticModulus(256, 10), kE65537);
    for (size_t size = 0; size < good.size(); ++size) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        RsaPublicKey key;
        EXPECT_EQ(ParsePublicKeyDer(cut.data(), cut.size(), &key), KeyParse::kDer) << size;
    }
}

std::vector<uint8_t> GoodBlob() {
    RsaPublicKey key;
    EXPECT_EQ(ParsePem(kOpensslKey, &key), KeyParse::kOk);
    std::vector<uint8_t> blob(kMaxKeyBlobBytes);
    blob.resize(BuildPublicKeyBlob(key, blob.data(), blob.size()));
    return blob;
}

struct BlobCase {
    const char* what;
    size_t at;      // the byte changed
    uint8_t value;  // its new value
};

TEST(KeyBlobModulusBytes, OnlyBlobsAsBuilt) {
    const BlobCase cases[] = {
        {"not a public key blob", 0, 0x07},       {"blob version 1", 1, 0x01},
        {"a reserved byte set", 2, 0x01},         {"an exchange key (CALG_RSA_KEYX)", 5, 0xA4},
        {"another magic", 11, '2'},               {"bit length not whole bytes", 12, 0xFF},
        {"bit length 4096 with 2048 in the blob", 13, 0x10}, {"exponent 65539", 16, 0x03},
        {"an even modulus", 20, 0xEE},            {"a short modulus", 275, 0x7F},
    };
    std::vector<uint8_t> good = GoodBlob();
    ASSERT_EQ(KeyBlobModulusBytes(good.data(), good.size()), 256u);
    for (const BlobCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> blob = good;
        blob[c.at] = c.value;
        EXPECT_EQ(KeyBlobModulusBytes(blob.data(), blob.size()), 0u);
    }
    for (size_t size : {size_t{0}, size_t{19}, size_t{20}, good.size() - 1}) {
        EXPECT_EQ(KeyBlobModulusBytes(good.data(), size), 0u) << size;
    }
    good.push_back(0);
    EXPECT_EQ(KeyBlobModulusBytes(good.data(), good.size()), 0u);
}

struct SignatureCase {
    size_t size;
    size_t modulusBytes;
    size_t capacity;
    bool accepted;
};

TEST(SignatureToLittleEndian, ExactlyTheModulusLength) {
    const SignatureCase cases[] = {
        {256, 256, 256, true},  {512, 512, 512, true},  {384, 384, 512, true},
        {255, 256, 512, false}, {257, 256, 512, false}, {0, 256, 512, false},
        {256, 512, 512, false}, {256, 256, 255, false},  // the output does not fit
        {128, 128, 512, false},                          // no key of that size is accepted
        {0, 0, 512, false},
    };
    for (const SignatureCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes, modulus " << c.modulusBytes);
        std::vector<uint8_t> signature(c.size);
        for (size_t i = 0; i < c.size; ++i) signature[i] = static_cast<uint8_t>(i * 13 + 1);
        std::vector<uint8_t> out(c.capacity, 0xAA);
        EXPECT_EQ(SignatureToLittleEndian(signature.data(), signature.size(), c.modulusBytes,
                                          out.data(), out.size()), c.accepted);
        if (c.accepted) {
            EXPECT_TRUE(std::equal(signature.rbegin(), signature.rend(), out.begin()));
        } else {
            EXPECT_EQ(out, std::vector<uint8_t>(c.capacity, 0xAA));
        }
    }
}

}  // namespace
