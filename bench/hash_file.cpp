// The benchmark's hashing tool: the SHA-256 of a file by the setup's own package check
// (download/package_signature.*: the CryptoAPI in 1 MiB blocks), timed inside the process so
// that Wine's start-up is left out of what is compared with sha256sum.
//
//   bench_sha256.exe FILE     prints "<digest in hex> <seconds>"
#include <windows.h>

#include <cstdio>

#include "download/package_signature.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: bench_sha256.exe FILE\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    uint8_t digest[kSha256Bytes];
    SignatureResult result = HashFileSha256(argv[1], digest, nullptr, nullptr);
    QueryPerformanceCounter(&end);
    if (result.code != SignatureCheck::kOk) {
        fprintf(stderr, "bench_sha256: %s: failed at step %d, error %lu\n", argv[1],
                static_cast<int>(result.code), static_cast<unsigned long>(result.error));
        return 1;
    }
    for (uint8_t byte : digest) printf("%02x", byte);
    printf(" %.6f\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    return 0;
}
