#include "install/archive_stream.h"

#include <cstdlib>

namespace {

// One reader's view of the handle.
struct Stream {
    HANDLE file;
    ZPOS64_T position;
    DWORD error;  // of the last read that failed; 0 when none did
};

Stream* StreamOf(voidpf stream) { return static_cast<Stream*>(stream); }

// minizip hands the "file name" of unzOpen2_64 on: here, the handle itself.
voidpf ZCALLBACK OpenStream(voidpf, const void* handle, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    Stream* stream = static_cast<Stream*>(malloc(sizeof(Stream)));
    if (stream) *stream = {const_cast<HANDLE>(handle), 0, 0};
    return stream;
}

// ReadFile at the stream's position; the end of the file reads as 0 bytes, not as an error.
uLong ZCALLBACK ReadStream(voidpf, voidpf opaque, void* buffer, uLong size) {
    Stream* stream = StreamOf(opaque);
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(stream->position);
    at.OffsetHigh = static_cast<DWORD>(stream->position >> 32);
    DWORD got = 0;
    if (!ReadFile(stream->file, buffer, size, &got, &at)) {
        DWORD error = GetLastError();
        if (error != ERROR_HANDLE_EOF) stream->error = error;
        return 0;
    }
    stream->position += got;
    return got;
}

uLong ZCALLBACK WriteStream(voidpf, voidpf, const void*, uLong) { return 0; }  // read only

ZPOS64_T ZCALLBACK TellStream(voidpf, voidpf opaque) { return StreamOf(opaque)->position; }

long ZCALLBACK SeekStream(voidpf, voidpf opaque, ZPOS64_T offset, int origin) {
    Stream* stream = StreamOf(opaque);
    ZPOS64_T base = 0;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET: break;
        case ZLIB_FILEFUNC_SEEK_CUR: base = stream->position; break;
        case ZLIB_FILEFUNC_SEEK_END: {
            LARGE_INTEGER size;
            if (!GetFileSizeEx(stream->file, &size)) return -1;
            base = static_cast<ZPOS64_T>(size.QuadPart);
            break;
        }
        default: return -1;
    }
    stream->position = base + offset;  // minizip seeks forward only; past the end reads nothing
    return 0;
}

int ZCALLBACK CloseStream(voidpf, voidpf opaque) {
    free(opaque);  // the handle is the caller's
    return 0;
}

int ZCALLBACK StreamError(voidpf, voidpf opaque) { return StreamOf(opaque)->error != 0; }

}  // namespace

unzFile OpenArchiveOnHandle(HANDLE file) {
    if (!file || file == INVALID_HANDLE_VALUE) return nullptr;
    zlib_filefunc64_def table = {OpenStream, ReadStream, WriteStream, TellStream,
                                 SeekStream, CloseStream, StreamError, nullptr};
    return unzOpen2_64(file, &table);
}
