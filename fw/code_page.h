// Texts where they leave the program or come into it. Inside, every text is code page 949 bytes;
// the system's wide calls take UTF-16. These conversions name code page 949 themselves, so a text
// reads the same whatever code page the system runs with. None of them best-fits: a character
// code page 949 cannot hold, or bytes that are not what they should be, fail the conversion
// (false), and nothing near it is made up in its place.
#pragma once

#include <windows.h>

#include <cstddef>

#include "fw/scoped.h"

// The program's code page.
const UINT kProgramCodePage = 949;

// |text| (CP949) as UTF-16 into |out|, |capacity| WCHARs with the NUL. False, and |out| empty
// when |capacity| > 0, for bytes that are not CP949 or a text that does not fit.
bool Cp949ToWide(const char* text, WCHAR* out, size_t capacity);

// |text| (UTF-16) as CP949 into |out|, |capacity| bytes with the NUL. False, and |out| empty
// when |capacity| > 0, for a character that code page 949 cannot hold (a best fit or the
// default character would stand for it) or a text that does not fit.
bool WideToCp949(const WCHAR* text, char* out, size_t capacity);

// |text| (UTF-8) as CP949, through UTF-16 as WideToCp949; false also for bytes that are not
// UTF-8.
bool Utf8ToCp949(const char* text, char* out, size_t capacity);

// A CP949 text as UTF-16 for one wide call, on the heap: texts have no common limit (the
// agreement is thousands of bytes). A null text stays null.
class WideText {
public:
    explicit WideText(const char* text);
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    // False when the text is not CP949 or no memory was left for it; get() is then L"".
    bool ok() const { return ok_; }
    const WCHAR* get() const;

private:
    ScopedMemory<WCHAR> wide_;
    bool ok_ = true;
    bool null_ = false;
};
