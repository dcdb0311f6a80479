#include "fw/code_page.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The conversions take the room as an int.
int Room(size_t capacity) { return capacity > INT_MAX ? INT_MAX : static_cast<int>(capacity); }

}  // namespace

bool Cp949ToWide(const char* text, WCHAR* out, size_t capacity) {
    if (capacity == 0) return false;
    // With the NUL (length -1); 0 for bytes that are not CP949 or too little room.
    if (MultiByteToWideChar(kProgramCodePage, MB_ERR_INVALID_CHARS, text, -1, out, Room(capacity)) != 0)
        return true;
    out[0] = L'\0';
    return false;
}

bool WideToCp949(const WCHAR* text, char* out, size_t capacity) {
    if (capacity == 0) return false;
    BOOL usedDefault = FALSE;
    if (WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text, -1, out, Room(capacity), nullptr,
                            &usedDefault) != 0 &&
        !usedDefault)
        return true;
    out[0] = '\0';
    return false;
}

bool Utf8ToCp949(const char* text, char* out, size_t capacity) {
    if (capacity > 0) out[0] = '\0';
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (length == 0) return false;
    ScopedMemory<WCHAR> wide(static_cast<WCHAR*>(malloc(static_cast<size_t>(length) * sizeof(WCHAR))));
    if (!wide || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide.get(), length) == 0)
        return false;
    return WideToCp949(wide.get(), out, capacity);
}

WideText::WideText(const char* text) : null_(text == nullptr) {
    if (null_) return;
    // Every CP949 character takes at least one byte, so as many WCHARs as bytes always do.
    size_t capacity = strlen(text) + 1;
    wide_.Reset(static_cast<WCHAR*>(malloc(capacity * sizeof(WCHAR))));
    ok_ = wide_ && Cp949ToWide(text, wide_.get(), capacity);
}

const WCHAR* WideText::get() const {
    if (null_) return nullptr;
    return ok_ ? wide_.get() : L"";
}
