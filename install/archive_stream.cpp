#include "install/archive_stream.h"

#include <cstdlib>
#include <cstring>

namespace {

// minizip reads the headers a byte at a time: those reads are served from a block read ahead.
// Its reads of entry data are this long, and go straight to the caller's buffer.
const DWORD kReadAheadBytes = 16384;

// One reader's view of the handle, with the block it read last. The archive does not change
// while it is read (nobody else may write to it), so the block stays true.
struct Stream {
    HANDLE file;
    ZPOS64_T position;
    DWORD error;            // of the last read that failed; 0 when none did
    ZPOS64_T blockStart;    // where |block| was read from
    DWORD blockBytes;       // how much of it holds the file's bytes
    unsigned char block[kReadAheadBytes];
};

Stream* StreamOf(voidpf stream) { return static_cast<Stream*>(stream); }

// minizip hands the "file name" of unzOpen2_64 on: here, the handle itself.
voidpf ZCALLBACK OpenStream(voidpf, const void* handle, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    Stream* stream = static_cast<Stream*>(malloc(sizeof(Stream)));
    if (!stream) return nullptr;
    stream->file = const_cast<HANDLE>(handle);
    stream->position = stream->blockStart = 0;
    stream->error = stream->blockBytes = 0;
    return stream;
}

// ReadFile at |offset|; the end of the file reads as 0 bytes, not as an error.
DWORD ReadAt(Stream* stream, ZPOS64_T offset, void* buffer, DWORD size) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (ReadFile(stream->file, buffer, size, &got, &at)) return got;
    DWORD error = GetLastError();
    if (error != ERROR_HANDLE_EOF) stream->error = error;
    return 0;
}

// Bytes from the stream's position on that the block already holds: copied, and counted.
DWORD TakeFromBlock(Stream* stream, unsigned char* out, DWORD size) {
    if (stream->position < stream->blockStart || stream->position >= stream->blockStart + stream->blockBytes)
        return 0;
    DWORD offset = static_cast<DWORD>(stream->position - stream->blockStart);
    DWORD count = stream->blockBytes - offset < size ? stream->blockBytes - offset : size;
    memcpy(out, stream->block + offset, count);
    stream->position += count;
    return count;
}

uLong ZCALLBACK ReadStream(voidpf, voidpf opaque, void* buffer, uLong size) {
    Stream* stream = StreamOf(opaque);
    unsigned char* out = static_cast<unsigned char*>(buffer);
    DWORD done = TakeFromBlock(stream, out, size);
    if (done == size) return done;
    if (size - done >= kReadAheadBytes) {  // long reads bypass the block
        DWORD got = ReadAt(stream, stream->position, out + done, size - done);
        stream->position += got;
        return done + got;
    }
    stream->blockStart = stream->position;
    stream->blockBytes = ReadAt(stream, stream->position, stream->block, kReadAheadBytes);
    return done + TakeFromBlock(stream, out + done, size - done);
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
