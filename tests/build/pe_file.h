// Reads a Windows executable on the host: its header facts and its resources, so the shipped
// program's own facts can be checked on any host, whether or not it can run the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A resource type or name: a number, or a text (compared without case, as Windows does).
struct ResourceKey {
    ResourceKey(uint16_t number) : id(number) {}  // NOLINT: MAKEINTRESOURCE-like use
    ResourceKey(const char* text) : name(text) {}  // NOLINT
    uint16_t id = 0;
    std::string name;  // ASCII; used when not empty
};

class PeFile {
public:
    // False when |path| cannot be read or is not a PE image with a resource section.
    bool Load(const std::string& path);

    uint16_t Machine() const { return machine_; }      // 0x14c i386, 0x8664 x86-64
    uint16_t Subsystem() const { return subsystem_; }  // 2 GUI, 3 console

    // The bytes of the first language of resource |name| of |type|; false when there is none.
    bool Resource(const ResourceKey& type, const ResourceKey& name, std::string* bytes) const;

private:
    bool FileOffset(uint32_t rva, uint32_t* offset) const;
    // The entry for |key| in the resource directory at |dirOffset| (from the section's start);
    // its OffsetToData field, or false when the directory has no such entry.
    bool FindEntry(uint32_t dirOffset, const ResourceKey& key, uint32_t* target) const;
    bool KeyMatches(uint32_t nameField, const ResourceKey& key) const;
    uint32_t U32(size_t at) const;
    uint16_t U16(size_t at) const;

    struct Section {
        uint32_t rva, size, fileOffset;
    };
    std::string data_;
    std::vector<Section> sections_;
    uint16_t machine_ = 0;
    uint16_t subsystem_ = 0;
    uint32_t resourceStart_ = 0;  // file offset of the resource section's root
};

// A block of a version record (VS_VERSIONINFO and everything under it).
struct VersionBlock {
    std::string key;    // UTF-8
    std::string value;  // raw bytes: a UTF-16 text for text blocks, else binary
    bool isText = false;
    std::vector<VersionBlock> children;

    const VersionBlock* Child(const std::string& childKey) const;
};

// Parses a version record; false when its lengths do not add up.
bool ParseVersionBlock(const std::string& bytes, VersionBlock* root);

// UTF-16LE bytes to UTF-8, the terminating NUL (if any) dropped.
std::string Utf16ToUtf8(const std::string& utf16);

// True when |bytes| is valid text in code page 949.
bool IsValidCp949(const std::string& bytes);
