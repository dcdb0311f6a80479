// Shared by the fuzz targets: the input cut into text fields, numbers read
// from fields, buffers of exactly the capacity under test (so AddressSanitizer
// sees the first byte past it), and a check whose failure libFuzzer reports as
// a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// A property that does not hold: print it and abort, which libFuzzer records
// as a crash with the input that caused it.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__,   \
                    #condition);                                                           \
            abort();                                                                       \
        }                                                                                  \
    } while (0)

// A heap block of exactly |size| bytes (a unique non-null pointer even for 0).
class ExactBuffer {
public:
    explicit ExactBuffer(size_t size) : data_(new char[size]), size_(size) {
        memset(data_.get(), 'Z', size);
    }
    char* get() { return data_.get(); }
    size_t size() const { return size_; }
    // The text, or "" for a zero-sized buffer (which a composer never writes).
    std::string text() const { return size_ ? std::string(data_.get()) : std::string(); }

private:
    std::unique_ptr<char[]> data_;
    size_t size_;
};

// The input cut at "|": the rules give that byte no meaning, and the seeds stay
// readable text. Each field is a NUL-terminated copy in a block of its exact
// size, so a rule reading past the terminator is caught. Fields past the last
// read as "" (Text), null (TextOrNull) or 0 (Number).
class FuzzFields {
public:
    FuzzFields(const uint8_t* data, size_t size) {
        const char* start = reinterpret_cast<const char*>(data);
        const char* end = start + size;
        while (true) {
            const char* bar = static_cast<const char*>(memchr(start, '|', end - start));
            const char* stop = bar ? bar : end;
            size_t length = static_cast<size_t>(stop - start);
            fields_.emplace_back(new char[length + 1]);
            memcpy(fields_.back().get(), start, length);
            fields_.back()[length] = '\0';
            if (!bar) break;
            start = bar + 1;
        }
    }

    size_t Count() const { return fields_.size(); }
    const char* Text(size_t i) const { return i < fields_.size() ? fields_[i].get() : ""; }
    const char* TextOrNull(size_t i) const { return i < fields_.size() ? fields_[i].get() : nullptr; }

    // The field read as a decimal number (strtoll: saturates at the 64-bit ends).
    int64_t Number(size_t i) const {
        return i < fields_.size() ? strtoll(fields_[i].get(), nullptr, 10) : 0;
    }
    uint32_t U32(size_t i) const { return static_cast<uint32_t>(Number(i)); }
    int32_t I32(size_t i) const { return static_cast<int32_t>(U32(i)); }

private:
    std::vector<std::unique_ptr<char[]>> fields_;
};

// A capacity to try for a result of |length| bytes: the program's own
// capacity, the limits around length + 1 (where refusal starts), 0, or any
// size up to 600, as |selector| says.
inline size_t CapacityNear(size_t length, int64_t selector, size_t production) {
    uint64_t s = static_cast<uint64_t>(selector);
    switch (s % 8) {
        case 0: return production;
        case 6: return 0;
        case 7: return (s / 8) % 600;
        default: {
            size_t wanted = length + 1;  // exactly enough
            size_t offset = s % 8 - 1;   // 0..4 around it: -2, -1, 0, +1, +2
            return wanted + offset >= 2 ? wanted + offset - 2 : 0;
        }
    }
}

// The contract every composer shares: a result that fits is written whole
// (true, |out| equals |expected|); one that does not is refused (false, |out|
// empty when it has room for the terminator), never cut.
inline void CheckComposed(bool ok, ExactBuffer& out, const std::string& expected) {
    if (expected.size() < out.size()) {
        FUZZ_CHECK(ok);
        FUZZ_CHECK(out.text() == expected);
    } else {
        FUZZ_CHECK(!ok);
        FUZZ_CHECK(out.text().empty());
    }
}

// A composer that must refuse whatever the capacity.
inline void CheckRefused(bool ok, ExactBuffer& out) {
    FUZZ_CHECK(!ok);
    FUZZ_CHECK(out.text().empty());
}
