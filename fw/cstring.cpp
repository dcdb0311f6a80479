#include "fw/cstring.h"

#include <cstdlib>
#include <cstring>

namespace {

char g_emptyText[1] = {0};

bool IsTrimSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

}  // namespace

CString::CString() : data_(g_emptyText), length_(0) {}

CString::CString(const char* text) : CString() { Assign(text, text ? (int)strlen(text) : 0); }

CString::CString(const char* text, int length) : CString() { Assign(text, length); }

CString::CString(const CString& other) : CString() { Assign(other.data_, other.length_); }

CString& CString::operator=(const CString& other) {
    if (this != &other) Assign(other.data_, other.length_);
    return *this;
}

CString& CString::operator=(const char* text) {
    // Copy first: |text| may point into our own buffer.
    CString copy(text);
    Assign(copy.data_, copy.length_);
    return *this;
}

CString::~CString() {
    if (data_ != g_emptyText) free(data_);
}

void CString::Assign(const char* text, int length) {
    if (length <= 0 || !text) {
        if (data_ != g_emptyText) free(data_);
        data_ = g_emptyText;
        length_ = 0;
        return;
    }
    char* copy = static_cast<char*>(malloc((size_t)length + 1));
    if (!copy) return;  // keep the old content rather than lose it
    memcpy(copy, text, (size_t)length);
    copy[length] = 0;
    if (data_ != g_emptyText) free(data_);
    data_ = copy;
    length_ = length;
}

int CString::Find(const char* sub, int start) const {
    if (start < 0 || start > length_) return -1;
    const char* hit = strstr(data_ + start, sub);
    return hit ? (int)(hit - data_) : -1;
}

int CString::Find(char ch, int start) const {
    if (start < 0 || start >= length_) return -1;
    const char* hit = strchr(data_ + start, ch);
    return hit ? (int)(hit - data_) : -1;
}

int CString::ReverseFind(char ch) const {
    const char* hit = strrchr(data_, ch);
    return hit ? (int)(hit - data_) : -1;
}

CString CString::Mid(int first) const { return Mid(first, length_); }

CString CString::Mid(int first, int count) const {
    first = Clamp(first, 0, length_);
    count = Clamp(count, 0, length_ - first);
    return CString(data_ + first, count);
}

CString CString::Left(int count) const { return Mid(0, count); }

void CString::TrimLeft() {
    int skip = 0;
    while (skip < length_ && IsTrimSpace(data_[skip])) ++skip;
    if (skip > 0) *this = Mid(skip);
}

void CString::TrimRight() {
    int end = length_;
    while (end > 0 && IsTrimSpace(data_[end - 1])) --end;
    if (end < length_) *this = Left(end);
}

bool CString::operator==(const char* text) const { return strcmp(data_, text ? text : "") == 0; }
