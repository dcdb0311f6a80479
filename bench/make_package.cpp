// Writes the benchmark's package: a zip archive whose content is the same for the same size
// and seed. About 20 files per MiB (2,000 for 100 MiB) in nested folders, half of the bytes
// text that deflates well (deflated), half bytes that do not (stored, as zip does), plus the
// files given with --add (the sample product, so that a whole install can start it).
//
//   bench_make_package OUT.zip MIB [--seed N] [--add FILE NAME]...
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const uint16_t kDosTime = (12 << 11);                            // 12:00:00
const uint16_t kDosDate = ((2024 - 1980) << 9) | (1 << 5) | 1;  // 2024-01-01
const uint32_t kFilesPerMib = 20;

// splitmix64: small, and every file gets a stream of its own from the seed and its number.
struct Random {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
};

struct CentralRecord {
    std::string name;
    uint16_t method;
    uint32_t crc, packedSize, size, offset;
};

class ZipWriter {
public:
    explicit ZipWriter(FILE* out) : out_(out) {}

    void AddFolder(const std::string& name) { Add(name, std::string(), false); }

    // Deflated when that makes it smaller, else stored.
    void AddFile(const std::string& name, const std::string& data) { Add(name, data, true); }

    bool Finish() {
        uint32_t start = offset_;
        for (const CentralRecord& r : records_) {
            bool folder = r.name.back() == '/';
            Put32(0x02014b50), Put16(20), Put16(20), Put16(0), Put16(r.method), Put16(kDosTime),
                Put16(kDosDate), Put32(r.crc), Put32(r.packedSize), Put32(r.size),
                Put16(static_cast<uint16_t>(r.name.size())), Put16(0), Put16(0), Put16(0), Put16(0),
                Put32(folder ? 0x10 : 0), Put32(r.offset);
            PutBytes(r.name);
        }
        uint32_t size = offset_ - start;
        uint16_t count = static_cast<uint16_t>(records_.size());
        Put32(0x06054b50), Put16(0), Put16(0), Put16(count), Put16(count), Put32(size), Put32(start),
            Put16(0);
        return records_.size() < 0xFFFF && !ferror(out_);
    }

    uint64_t bytes() const { return offset_; }

private:
    void Add(const std::string& name, const std::string& data, bool tryDeflate) {
        CentralRecord r{name, 0, 0, 0, static_cast<uint32_t>(data.size()), offset_};
        r.crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
        std::string packed = tryDeflate ? Deflate(data) : std::string();
        bool deflated = !packed.empty() && packed.size() < data.size();
        const std::string& body = deflated ? packed : data;
        r.method = deflated ? 8 : 0;
        r.packedSize = static_cast<uint32_t>(body.size());
        Put32(0x04034b50), Put16(20), Put16(0), Put16(r.method), Put16(kDosTime), Put16(kDosDate),
            Put32(r.crc), Put32(r.packedSize), Put32(r.size),
            Put16(static_cast<uint16_t>(name.size())), Put16(0);
        PutBytes(name);
        PutBytes(body);
        records_.push_back(r);
    }

    // Raw deflate at zlib's default level; empty when it fails.
    static std::string Deflate(const std::string& data) {
        z_stream z = {};
        if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            return std::string();
        std::string out(deflateBound(&z, data.size()), '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = reinterpret_cast<Bytef*>(&out[0]);
        z.avail_out = static_cast<uInt>(out.size());
        int result = deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        return result == Z_STREAM_END ? out : std::string();
    }

    void Put16(uint16_t v) { PutBytes(std::string{char(v & 0xFF), char(v >> 8)}); }
    void Put32(uint32_t v) { Put16(static_cast<uint16_t>(v)), Put16(static_cast<uint16_t>(v >> 16)); }
    void PutBytes(const std::string& s) {
        fwrite(s.data(), 1, s.size(), out_);
        offset_ += static_cast<uint32_t>(s.size());
    }

    FILE* out_;
    uint32_t offset_ = 0;
    std::vector<CentralRecord> records_;
};

// Lines of words from a small made-up vocabulary: text that deflates about 3 to 1.
std::string Text(Random* random, size_t size) {
    static std::vector<std::string> words;
    if (words.empty()) {
        Random vocabulary{42};
        const char* syllables[] = {"ka", "ne", "ri", "mo", "tu", "sel", "van", "dor", "il", "ush", "pe", "zo"};
        for (int i = 0; i < 256; ++i) {
            std::string word;
            for (uint32_t n = 1 + vocabulary.Below(3); n > 0; --n) word += syllables[vocabulary.Below(12)];
            words.push_back(word);
        }
    }
    std::string text;
    text.reserve(size + 32);
    while (text.size() < size) {
        for (uint32_t n = 6 + random->Below(9); n > 0; --n) text += words[random->Below(256)] + ' ';
        text.back() = '\r';
        text += '\n';
    }
    text.resize(size);
    return text;
}

std::string Noise(Random* random, size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i += 8) {
        uint64_t v = random->Next();
        memcpy(&bytes[i], &v, size - i < 8 ? size - i : 8);
    }
    return bytes;
}

// Folder of file |i|: one to three levels deep.
std::string FolderOf(uint32_t i) {
    char folder[64];
    unsigned set = i % 16, part = (i / 16) % 4;
    switch (i % 3) {
        case 0: snprintf(folder, sizeof folder, "data/set%02u/", set); break;
        case 1: snprintf(folder, sizeof folder, "data/set%02u/part%u/", set, part); break;
        default: snprintf(folder, sizeof folder, "data/set%02u/part%u/deep/", set, part); break;
    }
    return folder;
}

// File sizes around |total| / |count| (from half to one and a half times that) that add up
// to exactly |total|.
std::vector<uint64_t> Sizes(uint64_t seed, uint32_t count, uint64_t total) {
    Random random{seed};
    std::vector<uint64_t> sizes(count);
    uint64_t sum = 0, average = total / count;
    for (uint64_t& s : sizes) sum += (s = average / 2 + random.Below(static_cast<uint32_t>(average) + 1));
    uint64_t placed = 0;
    for (uint64_t& s : sizes) placed += (s = s * total / sum);
    sizes.back() += total - placed;
    return sizes;
}

bool ReadFile(const char* path, std::string* data) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, file)) > 0) data->append(block, n);
    bool ok = !ferror(file);
    fclose(file);
    return ok;
}

int Usage() {
    fprintf(stderr, "usage: bench_make_package OUT.zip MIB [--seed N] [--add FILE NAME]...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || atoi(argv[2]) < 1) return Usage();
    uint64_t seed = 1;
    std::vector<std::pair<const char*, const char*>> added;
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            seed = strtoull(argv[++i], nullptr, 10);
        } else if (strcmp(argv[i], "--add") == 0 && i + 2 < argc) {
            added.emplace_back(argv[i + 1], argv[i + 2]);
            i += 2;
        } else {
            return Usage();
        }
    }
    FILE* out = fopen(argv[1], "wb");
    if (!out) return perror(argv[1]), 1;
    ZipWriter zip(out);
    for (const auto& a : added) {
        std::string data;
        if (!ReadFile(a.first, &data)) return perror(a.first), 1;
        zip.AddFile(a.second, data);
    }

    uint32_t mib = static_cast<uint32_t>(atoi(argv[2]));
    uint32_t count = mib * kFilesPerMib;
    std::vector<uint64_t> sizes = Sizes(seed, count, uint64_t(mib) << 20);
    std::vector<std::string> folders;
    for (uint32_t i = 0; i < count; ++i) {
        std::string folder = FolderOf(i);
        // Each folder once, before its first file, with the folders above it.
        for (size_t cut = folder.find('/'); cut != std::string::npos; cut = folder.find('/', cut + 1)) {
            std::string f = folder.substr(0, cut + 1);
            bool known = false;
            for (const std::string& k : folders) known = known || k == f;
            if (!known) folders.push_back(f), zip.AddFolder(f);
        }
        Random random{seed * 1000003 + i};
        char name[32];
        bool text = i % 2 == 0;
        snprintf(name, sizeof name, text ? "doc%05u.txt" : "blob%05u.bin", i);
        zip.AddFile(folder + name, text ? Text(&random, sizes[i]) : Noise(&random, sizes[i]));
    }
    bool ok = zip.Finish();
    ok = fclose(out) == 0 && ok;
    if (!ok) return fprintf(stderr, "bench_make_package: could not write %s\n", argv[1]), 1;
    printf("%u files in %zu folders, %u MiB, archive %llu bytes\n", count + unsigned(added.size()),
           folders.size(), mib, static_cast<unsigned long long>(zip.bytes()));
    return 0;
}
