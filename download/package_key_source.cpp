// A build tool, run on the host: writes the C++ source that carries the publisher's package key
// in the program (g_abPackageKey, g_nPackageKeyBytes of app/package_key.h), read from the PEM
// public key with the same rules the program's own tests hold, so a key the program could not
// use fails the build instead of every install.
//
//   package_key_source OUT.cpp [KEY.pub]     without KEY.pub: a program that checks no package
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "download/signature_rules.h"

namespace {

const char* Reason(KeyParse result) {
    switch (result) {
        case KeyParse::kOk: return "accepted";
        case KeyParse::kArmour: return "no \"-----BEGIN PUBLIC KEY-----\" text (write it with openssl pkey -pubout)";
        case KeyParse::kBase64: return "the text between the armour lines is not base64";
        case KeyParse::kDer: return "not a SubjectPublicKeyInfo with an RSA key in minimal DER";
        case KeyParse::kNotRsa: return "not an RSA key";
        case KeyParse::kModulus: return "the modulus is not of 2048 to 4096 bits in whole bytes";
        case KeyParse::kExponent: return "the public exponent is not 65537";
    }
    return "unknown";
}

std::string Header(const std::string& what) {
    return "// Made by the build (download/package_key_source.cpp) from " + what +
           ". Do not edit.\n#include \"app/package_key.h\"\n\n";
}

// The source with the blob of the key in |path|, or "" after saying why it cannot be used.
std::string KeySource(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fprintf(stderr, "package_key_source: cannot read %s\n", path);
        return "";
    }
    std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RsaPublicKey key;
    KeyParse result = ParsePublicKeyPem(pem.data(), pem.size(), &key);
    if (result != KeyParse::kOk) {
        fprintf(stderr, "package_key_source: %s cannot be the package key: %s\n", path, Reason(result));
        return "";
    }
    uint8_t blob[kMaxKeyBlobBytes];
    size_t size = BuildPublicKeyBlob(key, blob, sizeof(blob));
    std::ostringstream out;
    out << Header(path) << "// RSA-" << key.modulusBytes * 8
        << " public key as a CryptoAPI PUBLICKEYBLOB.\nconst uint8_t g_abPackageKey[] = {";
    for (size_t i = 0; i < size; ++i) {
        char byte[16];
        snprintf(byte, sizeof(byte), "%s0x%02X,", i % 12 ? " " : "\n    ", blob[i]);
        out << byte;
    }
    out << "\n};\nconst uint32_t g_nPackageKeyBytes = sizeof(g_abPackageKey);\n";
    return out.str();
}

std::string NoKeySource() {
    return Header("no key: the profile has no package_key.pub") +
           "const uint8_t g_abPackageKey[1] = {0};\nconst uint32_t g_nPackageKeyBytes = 0;\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        fprintf(stderr, "usage: package_key_source OUT.cpp [KEY.pub]\n");
        return 2;
    }
    std::string source = argc == 3 ? KeySource(argv[2]) : NoKeySource();
    if (source.empty()) return 1;
    std::ofstream out(argv[1], std::ios::binary);
    out << source;
    out.close();
    if (!out) {
        fprintf(stderr, "package_key_source: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
