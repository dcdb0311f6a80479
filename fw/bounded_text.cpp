#include "fw/bounded_text.h"

#include <cstring>

BoundedText::BoundedText(char* out, size_t capacity) : out_(out), capacity_(capacity) {
    if (capacity_ > 0)
        out_[0] = '\0';
    else
        overflow_ = true;
}

BoundedText& BoundedText::Add(const char* text) { return Add(text, strlen(text)); }

BoundedText& BoundedText::Add(const char* text, size_t maxLength) {
    size_t length = 0;
    while (length < maxLength && text[length] != '\0') ++length;
    if (overflow_ || length >= capacity_ - length_) {
        overflow_ = true;
        return *this;
    }
    memcpy(out_ + length_, text, length);
    length_ += length;
    out_[length_] = '\0';
    return *this;
}

BoundedText& BoundedText::AddNumber(int value, int width) {
    char digits[16];
    int used = 0;
    // Through unsigned, so the most negative value has a magnitude too.
    unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[sizeof digits - 1 - used++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[sizeof digits - 1 - used++] = '-';
    for (int pad = width - used; pad > 0; --pad) Add(" ");
    return Add(digits + sizeof digits - used, static_cast<size_t>(used));
}

bool BoundedText::Fits() {
    if (overflow_ && capacity_ > 0) out_[0] = '\0';
    return !overflow_;
}

bool FormatPercent(int percent, char* out, size_t cap) {
    return BoundedText(out, cap).AddNumber(percent, 3).Add("%").Fits();
}
