// Composes a text from pieces in a fixed buffer. A text that does not fit is
// refused, never cut: the buffer is left empty and Fits() is false. Nothing
// is written past the capacity. Portable, and smaller than printf.
#pragma once

#include <cstddef>

class BoundedText {
public:
    // |capacity| bytes at |out|, the terminating NUL included.
    BoundedText(char* out, size_t capacity);

    BoundedText& Add(const char* text);
    // At most |maxLength| bytes of |text| (fewer when it ends sooner).
    BoundedText& Add(const char* text, size_t maxLength);
    // |value| in decimal, right-aligned with blanks in at least |width| characters.
    BoundedText& AddNumber(int value, int width);

    // True when every piece fit; otherwise empties the buffer.
    bool Fits();

private:
    char* out_;
    size_t capacity_;
    size_t length_ = 0;
    bool overflow_ = false;
};

// Bytes of a percentage text buffer; "%3d%%" of any int fits.
const size_t kPercentTextCapacity = 16;

// The text of the percentage field, "%3d%%": the number right-aligned in three characters,
// then "%". Both stages that show a percentage use it.
bool FormatPercent(int percent, char* out, size_t cap);
