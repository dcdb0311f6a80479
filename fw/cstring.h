// A counted byte string with the few operations the setup uses.
// Portable (no Windows headers) so the command-line and URL rules can use it.
// Texts are code page 949 bytes; positions and lengths count bytes.
#pragma once

#include <cstddef>

class CString {
public:
    CString();
    CString(const char* text);  // NOLINT: implicit like the framework it stands in for
    CString(const char* text, int length);
    CString(const CString& other);
    CString& operator=(const CString& other);
    CString& operator=(const char* text);
    ~CString();

    int GetLength() const { return length_; }
    bool IsEmpty() const { return length_ == 0; }
    operator const char*() const { return data_; }  // NOLINT: as the framework's string
    const char* c_str() const { return data_; }

    // Position of the first occurrence at or after |start|, or -1.
    int Find(const char* sub, int start = 0) const;
    int Find(char ch, int start = 0) const;
    // Position of the last occurrence of |ch|, or -1.
    int ReverseFind(char ch) const;

    // Substrings; out-of-range arguments are clamped as the framework does.
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;

    // Trim blank, tab, line feed, vertical tab, form feed and carriage return.
    void TrimLeft();
    void TrimRight();

    bool operator==(const char* text) const;

private:
    void Assign(const char* text, int length);

    char* data_;
    int length_;
};
