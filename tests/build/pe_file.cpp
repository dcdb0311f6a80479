#include "tests/build/pe_file.h"

#include <iconv.h>

#include <cctype>
#include <fstream>
#include <iterator>

namespace {

const uint32_t kHighBit = 0x80000000u;
const int kResourceDirectoryIndex = 2;

// Converts |in| between two iconv encodings; false on an invalid sequence.
bool Convert(const char* from, const char* to, const std::string& in, std::string* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input = in;
    std::string result(in.size() * 4 + 4, '\0');
    char* src = &input[0];
    size_t srcLeft = input.size();
    char* dst = &result[0];
    size_t dstLeft = result.size();
    bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && srcLeft == 0;
    iconv_close(cd);
    result.resize(result.size() - dstLeft);
    if (ok) *out = result;
    return ok;
}

size_t AlignFour(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

}  // namespace

uint32_t PeFile::U32(size_t at) const {
    if (at + 4 > data_.size()) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data_.data()) + at;
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t PeFile::U16(size_t at) const {
    if (at + 2 > data_.size()) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data_.data()) + at;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool PeFile::Load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    data_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (data_.size() < 0x40 || data_.compare(0, 2, "MZ") != 0) return false;
    uint32_t pe = U32(0x3c);
    if (data_.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return false;
    size_t coff = pe + 4;
    machine_ = U16(coff);
    uint16_t sectionCount = U16(coff + 2);
    uint16_t optionalSize = U16(coff + 16);
    size_t optional = coff + 20;
    bool plus = U16(optional) == 0x20b;  // PE32+: 64-bit fields before the directories
    subsystem_ = U16(optional + 68);
    size_t directories = optional + (plus ? 112 : 96);
    uint32_t resourceRva = U32(directories + 8 * kResourceDirectoryIndex);
    for (size_t i = 0, at = optional + optionalSize; i < sectionCount; ++i, at += 40)
        sections_.push_back({U32(at + 12), U32(at + 8) ? U32(at + 8) : U32(at + 16), U32(at + 20)});
    return resourceRva != 0 && FileOffset(resourceRva, &resourceStart_);
}

bool PeFile::FileOffset(uint32_t rva, uint32_t* offset) const {
    for (const Section& s : sections_) {
        if (rva >= s.rva && rva < s.rva + s.size) {
            *offset = rva - s.rva + s.fileOffset;
            return *offset < data_.size();
        }
    }
    return false;
}

bool PeFile::KeyMatches(uint32_t nameField, const ResourceKey& key) const {
    if (!(nameField & kHighBit)) return key.name.empty() && nameField == key.id;
    if (key.name.empty()) return false;
    size_t at = resourceStart_ + (nameField & ~kHighBit);
    uint16_t length = U16(at);
    if (length != key.name.size()) return false;
    for (uint16_t i = 0; i < length; ++i) {
        uint16_t c = U16(at + 2 + 2 * i);
        if (c > 0x7f || toupper(c) != toupper(static_cast<unsigned char>(key.name[i]))) return false;
    }
    return true;
}

bool PeFile::FindEntry(uint32_t dirOffset, const ResourceKey& key, uint32_t* target) const {
    size_t dir = resourceStart_ + dirOffset;
    int count = U16(dir + 12) + U16(dir + 14);
    for (int i = 0; i < count; ++i) {
        size_t entry = dir + 16 + 8 * i;
        if (KeyMatches(U32(entry), key)) {
            *target = U32(entry + 4);
            return true;
        }
    }
    return false;
}

bool PeFile::Resource(const ResourceKey& type, const ResourceKey& name, std::string* bytes) const {
    uint32_t names = 0, languages = 0;
    if (!FindEntry(0, type, &names) || !(names & kHighBit)) return false;
    if (!FindEntry(names & ~kHighBit, name, &languages) || !(languages & kHighBit)) return false;
    size_t languageDir = resourceStart_ + (languages & ~kHighBit);
    if (U16(languageDir + 12) + U16(languageDir + 14) < 1) return false;
    uint32_t leaf = U32(languageDir + 16 + 4);
    if (leaf & kHighBit) return false;
    size_t dataEntry = resourceStart_ + leaf;
    uint32_t offset = 0;
    uint32_t size = U32(dataEntry + 4);
    if (!FileOffset(U32(dataEntry), &offset) || offset + size > data_.size()) return false;
    *bytes = data_.substr(offset, size);
    return true;
}

const VersionBlock* VersionBlock::Child(const std::string& childKey) const {
    for (const VersionBlock& child : children)
        if (child.key == childKey) return &child;
    return nullptr;
}

namespace {

uint16_t Word(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8);
}

// One block at |at| of |s|; its end in |*end|.
bool ParseBlockAt(const std::string& s, size_t at, VersionBlock* block, size_t* end) {
    if (at + 6 > s.size()) return false;
    size_t length = Word(s, at);
    size_t valueLength = Word(s, at + 2);
    block->isText = Word(s, at + 4) == 1;
    if (length < 6 || at + length > s.size()) return false;
    *end = at + length;
    size_t p = at + 6;
    std::string key;
    while (p + 1 < *end && Word(s, p) != 0) {
        key += s.substr(p, 2);
        p += 2;
    }
    block->key = Utf16ToUtf8(key);
    p = AlignFour(p + 2);
    size_t valueBytes = block->isText ? 2 * valueLength : valueLength;
    if (p + valueBytes > *end) return false;
    block->value = s.substr(p, valueBytes);
    for (p = AlignFour(p + valueBytes); p < *end; p = AlignFour(p)) {
        VersionBlock child;
        if (!ParseBlockAt(s, p, &child, &p)) return false;
        block->children.push_back(child);
    }
    return true;
}

}  // namespace

bool ParseVersionBlock(const std::string& bytes, VersionBlock* root) {
    size_t end = 0;
    return ParseBlockAt(bytes, 0, root, &end);
}

std::string Utf16ToUtf8(const std::string& utf16) {
    std::string text;
    if (!Convert("UTF-16LE", "UTF-8", utf16, &text)) return std::string();
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

bool IsValidCp949(const std::string& bytes) {
    std::string unused;
    return Convert("CP949", "UTF-8", bytes, &unused);
}
