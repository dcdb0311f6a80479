// The package signature check through the real CryptoAPI, against key pairs, packages and
// signatures that openssl and the publisher's scripts made for this build
// (tests/win/make_signature_fixtures.sh, into signature_test\ beside this program).
#include "download/package_signature.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/profile.h"
#include "download/signature_rules.h"
#include "tests/win/test_support.h"

namespace {

const DWORD kBadSignature = static_cast<DWORD>(NTE_BAD_SIGNATURE);
// A signature of another key of the same size: NTE_BAD_SIGNATURE, or, under Wine, NTE_FAIL when
// its value is not below this key's modulus, which happens for some pairs of the keys made
// afresh for each build. Either is a mismatch; ExpectResult takes this value for the two.
const DWORD kForeignSignature = 0xFFFFFFFF;

std::string Fixture(const std::string& name) {
    return PathBesideTestProgram(("signature_test\\" + name).c_str());
}

std::string FixtureBytes(const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(Fixture(name), &bytes)) << name;
    return bytes;
}

// The key blob of a fixture pair's public half, read with the program's own rules.
std::vector<uint8_t> KeyBlob(const std::string& pair) {
    std::string pem = FixtureBytes(pair + "\\package_key.pub");
    RsaPublicKey key;
    EXPECT_EQ(ParsePublicKeyPem(pem.data(), pem.size(), &key), KeyParse::kOk) << pair;
    std::vector<uint8_t> blob(kMaxKeyBlobBytes);
    blob.resize(BuildPublicKeyBlob(key, blob.data(), blob.size()));
    return blob;
}

SignatureResult Check(const std::vector<uint8_t>& key, const std::string& path,
                      const std::string& signature, HashProgress progress = nullptr,
                      void* context = nullptr) {
    return CheckPackageSignatureWithKey(key.data(), key.size(), path.c_str(),
                                        reinterpret_cast<const uint8_t*>(signature.data()),
                                        signature.size(), progress, context);
}

void ExpectResult(const SignatureResult& result, SignatureCheck code, DWORD error) {
    EXPECT_EQ(static_cast<int>(result.code), static_cast<int>(code));
    if (error != kForeignSignature) EXPECT_EQ(result.error, error);
    else EXPECT_TRUE(result.error == kBadSignature || result.error == static_cast<DWORD>(NTE_FAIL)) << result.error;
}

struct FixtureCase {
    const char* what;
    const char* key;
    const char* file;
    const char* signature;
    SignatureCheck code;
    DWORD error;
};

TEST(PackageSignature, SignaturesOfTheFixtures) {
    const FixtureCase cases[] = {
        {"signed with the key", "a", "package.zip", "package.zip.sig", SignatureCheck::kOk, 0},
        {"signed with another key", "a", "package.zip", "package.zip.b.sig", SignatureCheck::kMismatch, kForeignSignature},
        {"checked with another key", "b", "package.zip", "package.zip.sig", SignatureCheck::kMismatch, kForeignSignature},
        {"RSA-4096", "c", "package.zip", "package.zip.c.sig", SignatureCheck::kOk, 0},
        {"a 4096-bit signature, a 2048-bit key", "a", "package.zip", "package.zip.c.sig", SignatureCheck::kMalformed, 0},
        {"a 2048-bit signature, a 4096-bit key", "c", "package.zip", "package.zip.sig", SignatureCheck::kMalformed, 0},
        {"an empty file", "a", "empty.bin", "empty.bin.sig", SignatureCheck::kOk, 0},
        {"no such file", "a", "missing.zip", "package.zip.sig", SignatureCheck::kOpenFile, ERROR_FILE_NOT_FOUND},
    };
    for (const FixtureCase& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectResult(Check(KeyBlob(c.key), Fixture(c.file), FixtureBytes(c.signature)), c.code, c.error);
    }
}

// A file of two blocks and a byte: a change in any block, the last short one included, must
// reach the hash.
TEST(PackageSignature, AnyChangeToTheFileOrTheSignatureFails) {
    ScratchDir dir("velmora_signature_test");
    const std::string path = dir.path() + "blocks.bin";
    const std::string file = FixtureBytes("blocks.bin");
    const std::string signature = FixtureBytes("blocks.bin.sig");
    const std::vector<uint8_t> key = KeyBlob("a");
    for (size_t at : {size_t{0}, size_t{kHashBlockBytes + 7}, file.size() - 1}) {
        std::string changed = file;
        changed[at] = static_cast<char>(changed[at] ^ 0x01);
        ASSERT_TRUE(WriteFileBytes(path, changed));
        SCOPED_TRACE(at);
        ExpectResult(Check(key, path, signature), SignatureCheck::kMismatch, kBadSignature);
    }
    ASSERT_TRUE(WriteFileBytes(path, file + '\0'));
    ExpectResult(Check(key, path, signature), SignatureCheck::kMismatch, kBadSignature);

    ASSERT_TRUE(WriteFileBytes(path, file));
    std::string changedSignature = signature;
    changedSignature[100] = static_cast<char>(changedSignature[100] ^ 0x80);
    ExpectResult(Check(key, path, changedSignature), SignatureCheck::kMismatch, kBadSignature);
    // Malformed lengths are refused before anything is read.
    for (const std::string& wrong : {signature.substr(1), signature + '\0', std::string()}) {
        SCOPED_TRACE(wrong.size());
        ExpectResult(Check(key, path, wrong), SignatureCheck::kMalformed, 0);
    }
}

// Records each progress call; asks to stop at call |stopAt| (1 = the first; 0 = never).
struct ProgressLog {
    std::vector<std::pair<uint64_t, uint64_t>> calls;
    size_t stopAt = 0;

    static bool Record(void* context, uint64_t done, uint64_t total) {
        ProgressLog* log = static_cast<ProgressLog*>(context);
        log->calls.emplace_back(done, total);
        return log->calls.size() != log->stopAt;
    }
};

TEST(PackageSignature, ProgressAfterEachBlockAndACancel) {
    const std::vector<uint8_t> key = KeyBlob("a");
    const std::string signature = FixtureBytes("blocks.bin.sig");
    const uint64_t size = 2 * kHashBlockBytes + 1;
    ProgressLog log;
    ExpectResult(Check(key, Fixture("blocks.bin"), signature, ProgressLog::Record, &log),
                 SignatureCheck::kOk, 0);
    const std::vector<std::pair<uint64_t, uint64_t>> blocks = {
        {kHashBlockBytes, size}, {2 * kHashBlockBytes, size}, {size, size}};
    EXPECT_EQ(log.calls, blocks);

    ProgressLog stop;
    stop.stopAt = 2;
    ExpectResult(Check(key, Fixture("blocks.bin"), signature, ProgressLog::Record, &stop),
                 SignatureCheck::kCancelled, 0);
    EXPECT_EQ(stop.calls.size(), 2u);

    ProgressLog empty;
    ExpectResult(Check(key, Fixture("empty.bin"), FixtureBytes("empty.bin.sig"), ProgressLog::Record, &empty),
                 SignatureCheck::kOk, 0);
    EXPECT_TRUE(empty.calls.empty());
}

TEST(PackageSignature, AKeyBlobTheRulesRefuseIsNoKey) {
    std::vector<uint8_t> key = KeyBlob("a");
    const std::string signature = FixtureBytes("package.zip.sig");
    key.pop_back();
    ExpectResult(Check(key, Fixture("package.zip"), signature), SignatureCheck::kNoKey, 0);
    ExpectResult(Check(std::vector<uint8_t>(), Fixture("package.zip"), signature), SignatureCheck::kNoKey, 0);
}

TEST(PackageSignature, TheBuiltInKeyIsTheProfiles) {
    EXPECT_EQ(PackageKeyBuiltIn(), PROFILE_PACKAGE_KEY == 1);
    if (PackageKeyBuiltIn()) {
        EXPECT_NE(KeyBlobModulusBytes(g_profile.packageKey, g_profile.packageKeyBytes), 0u);
        return;
    }
    // A profile without a key (Velmora's) has nothing to check against.
    const std::string signature = FixtureBytes("package.zip.sig");
    ExpectResult(CheckPackageSignature(Fixture("package.zip").c_str(),
                                       reinterpret_cast<const uint8_t*>(signature.data()),
                                       signature.size(), nullptr, nullptr),
                 SignatureCheck::kNoKey, 0);
}

// The download hashes the archive as it writes it: in its blocks, across a 206 that continues
// the package, and from nothing again when a 200 replaces what was written.
struct StreamCase {
    const char* what;
    std::vector<size_t> pieces;  // lengths added in turn; kRestart: Begin again
    SignatureCheck code;
};

const size_t kRestart = 0;

TEST(PackageCheck, HashesWhatWasAddedSinceTheLastBegin) {
    const std::string file = FixtureBytes("blocks.bin");  // two blocks of 1 MiB and a byte
    const std::string signature = FixtureBytes("blocks.bin.sig");
    const std::vector<uint8_t> key = KeyBlob("a");
    const size_t n = file.size();
    std::vector<size_t> blocks(n / 4096, 4096);  // as the download writes: 4096 bytes at a time
    blocks.push_back(n % 4096);
    const StreamCase cases[] = {
        {"all at once", {n}, SignatureCheck::kOk},
        {"4096-byte blocks and the rest", blocks, SignatureCheck::kOk},
        {"cut, then continued (206)", {1000, n - 1000}, SignatureCheck::kOk},
        {"cut, then all again (200)", {1000, kRestart, n}, SignatureCheck::kOk},
        {"cut twice, then all again", {1000, 3000, kRestart, 5, kRestart, n}, SignatureCheck::kOk},
        {"a piece missing", {n - 1}, SignatureCheck::kMismatch},
        {"the cut piece kept before the whole", {1000, n}, SignatureCheck::kMismatch},
    };
    for (const StreamCase& c : cases) {
        SCOPED_TRACE(c.what);
        PackageCheck check;
        ExpectResult(check.Begin(), SignatureCheck::kOk, 0);
        size_t at = 0;
        for (size_t piece : c.pieces) {
            if (piece == kRestart) {
                ExpectResult(check.Begin(), SignatureCheck::kOk, 0);
                at = 0;
                continue;
            }
            ExpectResult(check.Add(file.data() + at, piece), SignatureCheck::kOk, 0);
            at += piece;
        }
        SignatureResult verified = check.Verify(key.data(), key.size(), reinterpret_cast<const uint8_t*>(signature.data()),
                                                signature.size());
        EXPECT_EQ(static_cast<int>(verified.code), static_cast<int>(c.code));
    }
}

TEST(PackageCheck, NothingIsHashedWithoutBegin) {
    PackageCheck check;
    EXPECT_EQ(static_cast<int>(check.Add("x", 1).code), static_cast<int>(SignatureCheck::kHash));
    uint8_t digest[kSha256Bytes];
    EXPECT_EQ(static_cast<int>(check.Digest(digest).code), static_cast<int>(SignatureCheck::kHash));
}

std::string Hex(const uint8_t* bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < size; ++i) out += std::string{kDigits[bytes[i] >> 4], kDigits[bytes[i] & 15]};
    return out;
}

TEST(HashFileSha256, GivesSha256sumsDigest) {
    for (const char* file : {"empty.bin", "blocks.bin"}) {
        SCOPED_TRACE(file);
        uint8_t digest[kSha256Bytes];
        ExpectResult(HashFileSha256(Fixture(file).c_str(), digest, nullptr, nullptr), SignatureCheck::kOk, 0);
        EXPECT_EQ(Hex(digest, sizeof(digest)) + "\n", FixtureBytes(std::string(file) + ".sha256"));
    }
    uint8_t digest[kSha256Bytes];
    ExpectResult(HashFileSha256(Fixture("missing.bin").c_str(), digest, nullptr, nullptr),
                 SignatureCheck::kOpenFile, ERROR_FILE_NOT_FOUND);
}

}  // namespace
