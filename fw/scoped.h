// Handles that release themselves: each type closes what it holds when it goes, with the call
// that belongs to it. Acquire straight into one, so every way out of a function releases it.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>

// Owns one value of Traits::Value. Traits give the value that holds nothing (Empty), whether a
// value holds something (Holds) and how it is released (Release).
template <typename Traits>
class Scoped {
public:
    using Value = typename Traits::Value;

    Scoped() = default;
    explicit Scoped(Value value) : value_(value) {}
    ~Scoped() { Reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    Value get() const { return value_; }
    explicit operator bool() const { return Traits::Holds(value_); }

    // For a call that returns the value through a pointer: releases the old value first.
    Value* Receive() {
        Reset();
        return &value_;
    }
    // Gives the value up without releasing it.
    Value Detach() {
        Value value = value_;
        value_ = Traits::Empty();
        return value;
    }
    void Reset(Value value = Traits::Empty()) {
        if (Traits::Holds(value_)) Traits::Release(value_);
        value_ = value;
    }

private:
    Value value_ = Traits::Empty();
};

// Values for which null holds nothing; a traits type adds only its Release.
template <typename T>
struct NullMeansEmpty {
    using Value = T;
    static Value Empty() { return nullptr; }
    static bool Holds(Value v) { return v != nullptr; }
};

// A kernel handle: thread, file, event. Both null and INVALID_HANDLE_VALUE hold nothing.
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Empty() { return nullptr; }
    static bool Holds(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
    static void Release(Value v) { CloseHandle(v); }
};
using ScopedHandle = Scoped<KernelHandleTraits>;

// A folder listing of FindFirstFileW.
struct FindHandleTraits {
    using Value = HANDLE;
    static Value Empty() { return INVALID_HANDLE_VALUE; }
    static bool Holds(Value v) { return v != INVALID_HANDLE_VALUE; }
    static void Release(Value v) { FindClose(v); }
};
using ScopedFindHandle = Scoped<FindHandleTraits>;

struct RegistryKeyTraits : NullMeansEmpty<HKEY> {
    static void Release(Value v) { RegCloseKey(v); }
};
using ScopedKey = Scoped<RegistryKeyTraits>;

// A library loaded at run time.
struct LibraryTraits : NullMeansEmpty<HMODULE> {
    static void Release(Value v) { FreeLibrary(v); }
};
using ScopedLibrary = Scoped<LibraryTraits>;

// A C stream. A writer that must know whether its last bytes reached the disk closes it
// itself: fclose(file.Detach()).
struct FileTraits : NullMeansEmpty<FILE*> {
    static void Release(Value v) { fclose(v); }
};
using ScopedFile = Scoped<FileTraits>;

// A block from malloc.
template <typename T>
struct MemoryTraits : NullMeansEmpty<T*> {
    static void Release(T* v) { free(v); }
};
template <typename T>
using ScopedMemory = Scoped<MemoryTraits<T>>;

// Memory the shell or COM hands out: item lists (PIDL), known-folder paths.
template <typename T>
struct CoTaskMemTraits : NullMeansEmpty<T*> {
    static void Release(T* v) { CoTaskMemFree(const_cast<void*>(static_cast<const void*>(v))); }
};
template <typename T>
using ScopedCoTaskMem = Scoped<CoTaskMemTraits<T>>;

// A COM interface pointer.
template <typename T>
struct ComTraits : NullMeansEmpty<T*> {
    static void Release(T* v) { v->Release(); }
};
template <typename T>
using ScopedComPtr = Scoped<ComTraits<T>>;

// COM on this thread for as long as it lives; a thread where it could not start is left alone.
class ScopedComInit {
public:
    ScopedComInit() : result_(CoInitialize(nullptr)) {}
    ~ScopedComInit() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ScopedComInit(const ScopedComInit&) = delete;
    ScopedComInit& operator=(const ScopedComInit&) = delete;

private:
    HRESULT result_;
};
