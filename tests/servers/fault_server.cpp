// fault_server: a small HTTP/1.1 server for the tests. It answers every request with one
// scripted response, so a test can show the setup each way a package server can go wrong.
//
//   fault_server --body FILE --log FILE [--addr 127.0.0.2] [--port 80] [--mode MODE]
//                [--slow-bytes N] [--slow-delay-ms MS] [--hang-seconds N] [--max-seconds N]
//                [--cut-after N] [--cut-times K] [--cut-close fin|reset]
//                [--replace-body FILE] [--validators both|etag|last-modified|none]
//                [--sig FILE] [--replace-sig FILE] [--sig-delay-ms MS]
//
// Any path gets the current mode's response, except the control path and, with --sig, a
// signature's path:
//   GET /__mode/NAME  switches to mode NAME at once; answered 200 with "NAME\n" (400 if unknown)
//   GET /__mode       answered 200 with the current mode; a readiness probe that changes nothing
// Control requests are not logged.
//
// Modes. The package body is FILE, n bytes. Apart from the fault it is named for, each mode
// passes the setup's other checks, so a client that skips that one check gets a usable archive
// and the test sees it.
//   ok         200, application/zip, Content-Length n, the body. A request with
//              "Range: bytes=N-" (or "bytes=N-M") gets 206 with Content-Range and those bytes,
//              or 416 with "Content-Range: bytes */n" when N >= n; any other Range is ignored
//   no-range   as ok, but every Range is ignored: always 200 and the whole body
//   404, 500   that status, otherwise as ok without ranges (the whole body)
//   206        206 with Content-Range, the first half of the body, whatever was asked
//   304        304 with the headers of ok and no body
//   no-length  200 without Content-Length, the body, then close
//   chunked    200 with Transfer-Encoding: chunked
//   html       200 with Content-Type text/html (no "application/" anywhere), the body
//   short      Content-Length 2n, the body, then an orderly close
//   long       Content-Length n/2 (at least 1), the whole body
//   reset      Content-Length n, half the body, then a TCP reset
//   slow       as ok (ranges too), in pieces of --slow-bytes (1024) every --slow-delay-ms (200)
//   hang       reads the request and never answers; closes after --hang-seconds (120)
//
// Cuts, in modes ok, no-range and slow: with --cut-after N, the first --cut-times K (1)
// responses that send the package stop after N bytes of their body, 200 or 206 alike, and
// close: with FIN, so the body just ends early, or with --cut-close reset a TCP reset. With
// --replace-body FILE2 the package is replaced once the first cut is done: every later
// response serves FILE2, with its own ETag and Last-Modified (a FILE2 of n bytes differs from
// the first package only in its bytes and its validators).
//
// Signatures: with --sig FILE, a path that ends in ".sig" (its query aside) gets FILE, the
// package's detached signature, in modes ok, no-range and slow: after --sig-delay-ms (0), 200
// with application/octet-stream and its length, in pieces of --slow-bytes in mode slow, never
// cut. Once the package is replaced, --replace-sig FILE2 is served instead. In the other
// modes such a path is answered like any other.
//
// Validators: every response that carries the package's headers sends an ETag (a strong one,
// from the bytes) and a Last-Modified (a fixed date; the replacement's is a day later);
// --validators sends only one of them, or none.
//
// Log: emptied at start; one line per request as it arrives, flushed at once, with the Range
// header's value last when the request has one:
//   "GET /update/x.zip HTTP/1.1" "Tandrel Update Session" ok
//   "GET /update/x.zip HTTP/1.1" "Tandrel Update Session" ok "bytes=4096-"
// Every response says Connection: close and ends its connection, so each request arrives on a
// fresh connection; WinInet reconnects for the next request as it does for any such server.
// Prints "ready ADDR:PORT" on stdout once listening. Exits 0 on SIGTERM or SIGINT, and by
// itself after --max-seconds (600), so it never outlives a test run.
//
// Build: g++ -std=c++17 -O2 -Wall -Wextra -Werror -pthread -o fault_server fault_server.cpp

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {

enum class Mode {
    kOk,
    kNoRange,
    k404,
    k500,
    k206,
    k304,
    kNoLength,
    kChunked,
    kHtml,
    kShort,
    kLong,
    kReset,
    kSlow,
    kHang
};

struct ModeName {
    Mode mode;
    const char* name;
};

constexpr ModeName kModes[] = {
    {Mode::kOk, "ok"},
    {Mode::kNoRange, "no-range"},
    {Mode::k404, "404"},
    {Mode::k500, "500"},
    {Mode::k206, "206"},
    {Mode::k304, "304"},
    {Mode::kNoLength, "no-length"},
    {Mode::kChunked, "chunked"},
    {Mode::kHtml, "html"},
    {Mode::kShort, "short"},
    {Mode::kLong, "long"},
    {Mode::kReset, "reset"},
    {Mode::kSlow, "slow"},
    {Mode::kHang, "hang"},
};

enum class Validators { kBoth, kETag, kLastModified, kNone };

struct Options {
    std::string addr = "127.0.0.2";
    int port = 80;
    std::string bodyPath;
    std::string logPath;
    Mode mode = Mode::kOk;
    long slowBytes = 1024;
    long slowDelayMs = 200;
    long hangSeconds = 120;
    long maxSeconds = 600;
    long cutAfter = -1;  // -1: no cuts
    long cutTimes = 1;
    bool cutWithReset = false;
    std::string replacePath;
    Validators validators = Validators::kBoth;
    std::string sigPath;
    std::string replaceSigPath;
    long sigDelayMs = 0;
};

// One version of the package: its bytes and the validators a server would send for it.
struct Package {
    std::string body;
    std::string etag;
    std::string lastModified;
    std::string signature;  // empty: none given
};

constexpr size_t kMaxRequestHead = 16 * 1024;
constexpr int kRequestTimeoutSeconds = 10;
constexpr int kDrainTimeoutSeconds = 2;
constexpr int kTickMs = 100;
constexpr long kResetDelayMs = 200;

// Shared between the accept loop and the connection threads.
volatile sig_atomic_t g_stop = 0;
std::atomic<Mode> g_mode{Mode::kOk};
std::atomic<int> g_active{0};
std::atomic<long> g_packageResponses{0};  // responses that sent the package in a cuttable mode
std::atomic<bool> g_replaced{false};      // the first cut is done: serve the replacement
std::mutex g_logMutex;
FILE* g_log = nullptr;
Options g_options;
Package g_original;
Package g_replacement;

void OnSignal(int) { g_stop = 1; }

const char* NameOf(Mode mode) {
    for (const ModeName& m : kModes)
        if (m.mode == mode) return m.name;
    return "?";
}

bool ModeFromName(const std::string& name, Mode* mode) {
    for (const ModeName& m : kModes) {
        if (name == m.name) {
            *mode = m.mode;
            return true;
        }
    }
    return false;
}

bool ValidatorsFromName(const std::string& name, Validators* validators) {
    if (name == "both")
        *validators = Validators::kBoth;
    else if (name == "etag")
        *validators = Validators::kETag;
    else if (name == "last-modified")
        *validators = Validators::kLastModified;
    else if (name == "none")
        *validators = Validators::kNone;
    else
        return false;
    return true;
}

bool ParseLong(const char* text, long min, long max, long* value) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < min || v > max) return false;
    *value = v;
    return true;
}

void PrintUsage() {
    std::fprintf(
        stderr,
        "usage: fault_server --body FILE --log FILE [--addr IPV4] [--port N] [--mode MODE]\n"
        "       [--slow-bytes N] [--slow-delay-ms MS] [--hang-seconds N] [--max-seconds N]\n"
        "       [--cut-after N] [--cut-times K] [--cut-close fin|reset]\n"
        "       [--replace-body FILE] [--validators both|etag|last-modified|none]\n"
        "       [--sig FILE] [--replace-sig FILE] [--sig-delay-ms MS]\n"
        "modes:");
    for (const ModeName& m : kModes) std::fprintf(stderr, " %s", m.name);
    std::fprintf(stderr, "\n");
}

// One "--key value" pair into |o|; false when the key is unknown or the value is bad.
bool ParseOption(const std::string& key, const char* value, Options* o) {
    long number = 0;
    if (key == "--addr") {
        o->addr = value;
    } else if (key == "--port") {
        if (!ParseLong(value, 1, 65535, &number)) return false;
        o->port = static_cast<int>(number);
    } else if (key == "--body") {
        o->bodyPath = value;
    } else if (key == "--log") {
        o->logPath = value;
    } else if (key == "--mode") {
        return ModeFromName(value, &o->mode);
    } else if (key == "--slow-bytes") {
        return ParseLong(value, 1, 1 << 20, &o->slowBytes);
    } else if (key == "--slow-delay-ms") {
        return ParseLong(value, 0, 60000, &o->slowDelayMs);
    } else if (key == "--hang-seconds") {
        return ParseLong(value, 1, 86400, &o->hangSeconds);
    } else if (key == "--max-seconds") {
        return ParseLong(value, 1, 86400, &o->maxSeconds);
    } else if (key == "--cut-after") {
        return ParseLong(value, 0, 1L << 40, &o->cutAfter);
    } else if (key == "--cut-times") {
        return ParseLong(value, 0, 1000000, &o->cutTimes);
    } else if (key == "--cut-close") {
        if (std::strcmp(value, "fin") != 0 && std::strcmp(value, "reset") != 0) return false;
        o->cutWithReset = std::strcmp(value, "reset") == 0;
    } else if (key == "--replace-body") {
        o->replacePath = value;
    } else if (key == "--validators") {
        return ValidatorsFromName(value, &o->validators);
    } else if (key == "--sig") {
        o->sigPath = value;
    } else if (key == "--replace-sig") {
        o->replaceSigPath = value;
    } else if (key == "--sig-delay-ms") {
        return ParseLong(value, 0, 600000, &o->sigDelayMs);
    } else {
        return false;
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc) {
            std::fprintf(stderr, "fault_server: %s needs a value\n", argv[i]);
            return false;
        }
        if (!ParseOption(argv[i], argv[i + 1], o)) {
            std::fprintf(stderr, "fault_server: bad option or value: %s %s\n", argv[i],
                         argv[i + 1]);
            return false;
        }
    }
    if (o->bodyPath.empty() || o->logPath.empty()) {
        std::fprintf(stderr, "fault_server: --body and --log are required\n");
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string* out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    char block[8192];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) out->append(block, n);
    bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

// A strong ETag from the bytes (64-bit FNV-1a), so two different bodies get different tags.
std::string ETagOf(const std::string& body) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : body) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char text[24];
    std::snprintf(text, sizeof text, "\"%016llx\"", static_cast<unsigned long long>(hash));
    return text;
}

bool LoadPackage(const std::string& path, const std::string& sigPath, const char* lastModified,
                 Package* package) {
    for (const std::string* file : {&path, &sigPath}) {
        std::string* bytes = file == &path ? &package->body : &package->signature;
        if (!file->empty() && !ReadWholeFile(*file, bytes)) {
            std::fprintf(stderr, "fault_server: cannot read %s\n", file->c_str());
            return false;
        }
    }
    package->etag = ETagOf(package->body);
    package->lastModified = lastModified;
    return true;
}

const Package& CurrentPackage() {
    return g_replaced && !g_options.replacePath.empty() ? g_replacement : g_original;
}

struct Request {
    std::string line;    // the request line, without its CR LF
    std::string target;  // the path as sent
    std::string agent;   // the User-Agent value, empty when absent
    std::string range;   // the Range value, empty when absent
};

void LogRequest(const Request& request, Mode mode) {
    std::lock_guard<std::mutex> lock(g_logMutex);
    std::fprintf(g_log, "\"%s\" \"%s\" %s", request.line.c_str(), request.agent.c_str(),
                 NameOf(mode));
    if (!request.range.empty()) std::fprintf(g_log, " \"%s\"", request.range.c_str());
    std::fprintf(g_log, "\n");
    std::fflush(g_log);
}

// Sleeps in short ticks so that a stop request is seen; false if the server is stopping.
bool PauseMs(long ms) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!g_stop) {
        auto now = std::chrono::steady_clock::now();
        if (now >= until) return true;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(left < kTickMs ? left : kTickMs));
    }
    return false;
}

void SetReceiveTimeout(int fd, int seconds) {
    timeval tv{};
    tv.tv_sec = seconds;
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

bool SendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool SendText(int fd, const std::string& text) { return SendAll(fd, text.data(), text.size()); }

// Orderly close: FIN first, then wait briefly for the client's own close, so that unread
// request bytes do not turn the close into a reset that could discard the response.
void CloseGracefully(int fd) {
    shutdown(fd, SHUT_WR);
    SetReceiveTimeout(fd, kDrainTimeoutSeconds);
    char sink[1024];
    while (recv(fd, sink, sizeof sink, 0) > 0) {
    }
    close(fd);
}

// Close with SO_LINGER 0: the kernel sends RST instead of FIN. The pause first lets the bytes
// already sent reach the client before the reset overtakes them.
void CloseWithReset(int fd) {
    PauseMs(kResetDelayMs);
    linger l{};
    l.l_onoff = 1;
    l.l_linger = 0;
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    close(fd);
}

// Reads up to the blank line that ends the request head. False on time-out, EOF or overflow.
bool ReadRequestHead(int fd, std::string* head) {
    SetReceiveTimeout(fd, kRequestTimeoutSeconds);
    char block[2048];
    while (head->find("\r\n\r\n") == std::string::npos) {
        if (head->size() > kMaxRequestHead) return false;
        ssize_t n = recv(fd, block, sizeof block, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        head->append(block, static_cast<size_t>(n));
    }
    return true;
}

std::string ToLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trim(const std::string& s) {
    size_t begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    size_t end = s.find_last_not_of(" \t");
    return s.substr(begin, end - begin + 1);
}

Request ParseRequest(const std::string& head) {
    Request r;
    size_t eol = head.find("\r\n");
    r.line = head.substr(0, eol);
    size_t sp1 = r.line.find(' ');
    if (sp1 != std::string::npos) {
        size_t sp2 = r.line.find(' ', sp1 + 1);
        r.target =
            r.line.substr(sp1 + 1, sp2 == std::string::npos ? std::string::npos : sp2 - sp1 - 1);
    }
    for (size_t pos = eol + 2; pos < head.size();) {
        size_t next = head.find("\r\n", pos);
        if (next == std::string::npos || next == pos) break;
        std::string header = head.substr(pos, next - pos);
        size_t colon = header.find(':');
        std::string name = colon == std::string::npos ? "" : ToLower(header.substr(0, colon));
        if (name == "user-agent") r.agent = Trim(header.substr(colon + 1));
        if (name == "range") r.range = Trim(header.substr(colon + 1));
        pos = next + 2;
    }
    return r;
}

// A status line plus headers; every response ends its connection.
std::string Head(const char* status, const std::string& headers) {
    return std::string("HTTP/1.1 ") + status + "\r\n" + headers + "Connection: close\r\n\r\n";
}

std::string ZipHeaders(size_t announced) {
    return "Content-Type: application/zip\r\nContent-Length: " + std::to_string(announced) + "\r\n";
}

// The package's headers: its type, |announced| as its length, and its validators.
std::string PackageHeaders(const Package& package, size_t announced) {
    std::string headers = ZipHeaders(announced);
    Validators v = g_options.validators;
    if (v == Validators::kBoth || v == Validators::kETag)
        headers += "ETag: " + package.etag + "\r\n";
    if (v == Validators::kBoth || v == Validators::kLastModified)
        headers += "Last-Modified: " + package.lastModified + "\r\n";
    return headers;
}

void AnswerControl(int fd, const std::string& target) {
    const std::string prefix = "/__mode/";
    std::string status = "200 OK";
    std::string text;
    if (target.compare(0, prefix.size(), prefix) == 0) {
        std::string name = target.substr(prefix.size());
        Mode mode = Mode::kOk;
        if (ModeFromName(name, &mode)) {
            g_mode = mode;
            text = name + "\n";
        } else {
            status = "400 Bad Request";
            text = "unknown mode " + name + "\n";
        }
    } else {
        text = std::string(NameOf(g_mode)) + "\n";
    }
    SendText(fd, Head(status.c_str(), "Content-Type: text/plain\r\nContent-Length: " +
                                          std::to_string(text.size()) + "\r\n") +
                     text);
    CloseGracefully(fd);
}

void SendChunked(int fd, const std::string& body) {
    const size_t kChunk = 4096;
    for (size_t pos = 0; pos < body.size(); pos += kChunk) {
        size_t len = body.size() - pos < kChunk ? body.size() - pos : kChunk;
        char sizeLine[32];
        std::snprintf(sizeLine, sizeof sizeLine, "%zx\r\n", len);
        if (!SendText(fd, sizeLine) || !SendAll(fd, body.data() + pos, len) ||
            !SendText(fd, "\r\n"))
            return;
    }
    SendText(fd, "0\r\n\r\n");
}

// |size| bytes from |data|, at once or, when |slowly|, in pieces of --slow-bytes with a pause
// between them.
void SendBody(int fd, const char* data, size_t size, bool slowly) {
    size_t piece = slowly ? static_cast<size_t>(g_options.slowBytes) : size;
    for (size_t pos = 0; pos < size; pos += piece) {
        size_t len = size - pos < piece ? size - pos : piece;
        if (!SendAll(fd, data + pos, len)) return;
        if (pos + len < size && !PauseMs(g_options.slowDelayMs)) return;
    }
}

// Holds the connection without a word until the time is up, the client leaves or we stop.
void Hang(int fd) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(g_options.hangSeconds);
    while (!g_stop && std::chrono::steady_clock::now() < until) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kTickMs) > 0) {
            char sink[1024];
            if (recv(fd, sink, sizeof sink, 0) <= 0) break;
        }
    }
}

// What a Range value asks of a body of |size| bytes.
enum class RangeAsk { kWhole, kPart, kUnsatisfiable };

// "bytes=N-" or "bytes=N-M" (one range, M clipped to the end) gives the part from |*first| to
// |*last|; N past the end cannot be satisfied; anything else is ignored, as servers may.
RangeAsk ReadRange(const std::string& value, size_t size, size_t* first, size_t* last) {
    const std::string prefix = "bytes=";
    if (value.compare(0, prefix.size(), prefix) != 0) return RangeAsk::kWhole;
    std::string bounds = value.substr(prefix.size());
    size_t dash = bounds.find('-');
    if (dash == 0 || dash == std::string::npos ||
        bounds.find_first_not_of("0123456789-") != std::string::npos ||
        bounds.find('-', dash + 1) != std::string::npos)
        return RangeAsk::kWhole;
    unsigned long long from = std::strtoull(bounds.c_str(), nullptr, 10);
    bool open = dash + 1 == bounds.size();  // "bytes=N-": to the end, wherever that is
    unsigned long long to = open ? size : std::strtoull(bounds.c_str() + dash + 1, nullptr, 10);
    if (!open && to < from) return RangeAsk::kWhole;
    if (from >= size) return RangeAsk::kUnsatisfiable;
    *first = static_cast<size_t>(from);
    *last = to >= size ? size - 1 : static_cast<size_t>(to);
    return RangeAsk::kPart;
}

// Whether this response is one of the first --cut-times that stop after --cut-after bytes.
bool TakeCut() {
    if (g_options.cutAfter < 0) return false;
    return g_packageResponses++ < g_options.cutTimes;
}

// Modes ok, no-range and slow: the package or the part asked for, cut when its turn has come.
void AnswerPackage(int fd, Mode mode, const Request& request) {
    const Package& package = CurrentPackage();
    const size_t n = package.body.size();
    size_t first = 0;
    size_t last = n == 0 ? 0 : n - 1;
    RangeAsk ask =
        mode == Mode::kNoRange ? RangeAsk::kWhole : ReadRange(request.range, n, &first, &last);
    if (ask == RangeAsk::kUnsatisfiable) {
        SendText(fd,
                 Head("416 Range Not Satisfiable",
                      "Content-Range: bytes */" + std::to_string(n) + "\r\nContent-Length: 0\r\n"));
        CloseGracefully(fd);
        return;
    }
    size_t size = ask == RangeAsk::kPart ? last - first + 1 : n;
    std::string head =
        ask == RangeAsk::kPart
            ? Head("206 Partial Content", PackageHeaders(package, size) + "Content-Range: bytes " +
                                              std::to_string(first) + "-" + std::to_string(last) +
                                              "/" + std::to_string(n) + "\r\n")
            : Head("200 OK", PackageHeaders(package, n));
    bool cut = TakeCut();
    if (cut && size > static_cast<size_t>(g_options.cutAfter))
        size = static_cast<size_t>(g_options.cutAfter);
    if (SendText(fd, head)) SendBody(fd, package.body.data() + first, size, mode == Mode::kSlow);
    if (!cut) {
        CloseGracefully(fd);
        return;
    }
    // Replaced before the client can see the cut, so its retry already meets the new package.
    g_replaced = true;
    if (g_options.cutWithReset)
        CloseWithReset(fd);
    else
        CloseGracefully(fd);
}

// Whether |target| asks for a signature: its path, the query aside, ends in ".sig".
bool IsSignaturePath(const std::string& target) {
    std::string path = target.substr(0, target.find('?'));
    const std::string suffix = ".sig";
    return path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The current package's signature, after --sig-delay-ms; slowly in mode slow.
void AnswerSignature(int fd, Mode mode) {
    if (!PauseMs(g_options.sigDelayMs)) {
        close(fd);
        return;
    }
    const std::string& signature = CurrentPackage().signature;
    std::string head = Head("200 OK", "Content-Type: application/octet-stream\r\nContent-Length: " +
                                          std::to_string(signature.size()) + "\r\n");
    if (SendText(fd, head)) SendBody(fd, signature.data(), signature.size(), mode == Mode::kSlow);
    CloseGracefully(fd);
}

// Every mode but the three that serve the package whole or in parts.
void AnswerFault(int fd, Mode mode) {
    const Package& package = CurrentPackage();
    const std::string& body = package.body;
    const size_t n = body.size();
    const size_t half = n / 2;
    switch (mode) {
        case Mode::k404:
            SendText(fd, Head("404 Not Found", PackageHeaders(package, n)) + body);
            break;
        case Mode::k500:
            SendText(fd, Head("500 Internal Server Error", PackageHeaders(package, n)) + body);
            break;
        case Mode::k206: {
            size_t part = n - half;  // the first half, rounded up
            std::string range = "Content-Range: bytes 0-" +
                                std::to_string(part == 0 ? 0 : part - 1) + "/" + std::to_string(n) +
                                "\r\n";
            SendText(fd, Head("206 Partial Content", PackageHeaders(package, part) + range) +
                             body.substr(0, part));
            break;
        }
        case Mode::k304:
            SendText(fd, Head("304 Not Modified", PackageHeaders(package, n)));
            break;
        case Mode::kNoLength:
            SendText(fd, Head("200 OK", "Content-Type: application/zip\r\n") + body);
            break;
        case Mode::kChunked:
            if (SendText(fd, Head("200 OK",
                                  "Content-Type: application/zip\r\n"
                                  "Transfer-Encoding: chunked\r\n")))
                SendChunked(fd, body);
            break;
        case Mode::kHtml:
            SendText(fd,
                     Head("200 OK", "Content-Type: text/html; charset=utf-8\r\nContent-Length: " +
                                        std::to_string(n) + "\r\n") +
                         body);
            break;
        case Mode::kShort:
            SendText(fd, Head("200 OK", PackageHeaders(package, n == 0 ? 1 : 2 * n)) + body);
            break;
        case Mode::kLong:
            SendText(fd, Head("200 OK", PackageHeaders(package, half == 0 ? 1 : half)) + body);
            break;
        case Mode::kReset:
            SendText(fd, Head("200 OK", PackageHeaders(package, n)) + body.substr(0, half));
            CloseWithReset(fd);
            return;
        case Mode::kHang:
            Hang(fd);
            close(fd);
            return;
        default:
            break;
    }
    CloseGracefully(fd);
}

void ServeConnection(int fd) {
    std::string head;
    if (!ReadRequestHead(fd, &head)) {
        close(fd);
    } else {
        Request request = ParseRequest(head);
        if (request.target.compare(0, 7, "/__mode") == 0) {
            AnswerControl(fd, request.target);
        } else {
            Mode mode = g_mode;
            LogRequest(request, mode);
            bool packageMode = mode == Mode::kOk || mode == Mode::kNoRange || mode == Mode::kSlow;
            if (packageMode && !g_options.sigPath.empty() && IsSignaturePath(request.target))
                AnswerSignature(fd, mode);
            else if (packageMode)
                AnswerPackage(fd, mode, request);
            else
                AnswerFault(fd, mode);
        }
    }
    --g_active;
}

int Listen(const std::string& addr, int port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, addr.c_str(), &sa.sin_addr) != 1) {
        std::fprintf(stderr, "fault_server: not an IPv4 address: %s\n", addr.c_str());
        return -1;
    }
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd, 16) != 0) {
        std::fprintf(stderr, "fault_server: cannot listen on %s:%d: %s\n", addr.c_str(), port,
                     std::strerror(errno));
        close(fd);
        return -1;
    }
    return fd;
}

void InstallSignalHandlers() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

void AcceptUntilStopped(int listenFd) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(g_options.maxSeconds);
    while (!g_stop) {
        if (std::chrono::steady_clock::now() >= deadline) {
            std::fprintf(stderr, "fault_server: --max-seconds reached, stopping\n");
            g_stop = 1;
            break;
        }
        pollfd p{listenFd, POLLIN, 0};
        if (poll(&p, 1, kTickMs) <= 0) continue;
        int fd = accept(listenFd, nullptr, nullptr);
        if (fd < 0) continue;
        ++g_active;
        std::thread(ServeConnection, fd).detach();
    }
}

// Connection threads see g_stop within a tick; give them a moment to close their sockets.
void WaitForConnections() {
    for (int i = 0; i < 30 && g_active > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
}

}  // namespace

int main(int argc, char** argv) {
    if (!ParseOptions(argc, argv, &g_options)) {
        PrintUsage();
        return 2;
    }
    if (!LoadPackage(g_options.bodyPath, g_options.sigPath, "Tue, 01 Dec 2026 10:00:00 GMT", &g_original))
        return 1;
    if (!g_options.replacePath.empty() &&
        !LoadPackage(g_options.replacePath, g_options.replaceSigPath, "Wed, 02 Dec 2026 10:00:00 GMT",
                     &g_replacement))
        return 1;
    g_log = std::fopen(g_options.logPath.c_str(), "w");
    if (g_log == nullptr) {
        std::fprintf(stderr, "fault_server: cannot write %s\n", g_options.logPath.c_str());
        return 1;
    }
    g_mode = g_options.mode;
    InstallSignalHandlers();
    int listenFd = Listen(g_options.addr, g_options.port);
    if (listenFd < 0) {
        std::fclose(g_log);
        return 1;
    }
    std::printf("ready %s:%d\n", g_options.addr.c_str(), g_options.port);
    std::fflush(stdout);

    AcceptUntilStopped(listenFd);
    close(listenFd);
    WaitForConnections();
    if (g_active > 0) {
        // A client that never sent its request still holds a thread; leave without running the
        // destructors it may be using. The kernel closes its socket.
        std::lock_guard<std::mutex> lock(g_logMutex);
        std::fflush(g_log);
        std::_Exit(0);
    }
    std::fclose(g_log);
    return 0;
}
