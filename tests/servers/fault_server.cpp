// fault_server: a small HTTP/1.1 server for the tests. It answers every request with one
// scripted response, so a test can show the setup each way a package server can go wrong.
//
//   fault_server --body FILE --log FILE [--addr 127.0.0.2] [--port 80] [--mode MODE]
//                [--slow-bytes N] [--slow-delay-ms MS] [--hang-seconds N] [--max-seconds N]
//
// Any path gets the current mode's response, except the control path:
//   GET /__mode/NAME  switches to mode NAME at once; answered 200 with "NAME\n" (400 if unknown)
//   GET /__mode       answered 200 with the current mode; a readiness probe that changes nothing
// Control requests are not logged.
//
// Modes. The package body is FILE, n bytes. Apart from the fault it is named for, each mode
// passes the setup's other checks, so a client that skips that one check gets a usable archive
// and the test sees it.
//   ok         200, application/zip, Content-Length n, the body
//   404, 500   that status, otherwise as ok (the whole body)
//   206        206 with Content-Range, the first half of the body
//   304        304 with the headers of ok and no body
//   no-length  200 without Content-Length, the body, then close
//   chunked    200 with Transfer-Encoding: chunked
//   html       200 with Content-Type text/html (no "application/" anywhere), the body
//   short      Content-Length 2n, the body, then an orderly close
//   long       Content-Length n/2 (at least 1), the whole body
//   reset      Content-Length n, half the body, then a TCP reset
//   slow       as ok, in pieces of --slow-bytes (1024) every --slow-delay-ms (200)
//   hang       reads the request and never answers; closes after --hang-seconds (120)
//
// Log: emptied at start; one line per request as it arrives, flushed at once:
//   "GET /update/x.zip HTTP/1.1" "Tandrel Update Session" ok
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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {

enum class Mode { kOk, k404, k500, k206, k304, kNoLength, kChunked, kHtml, kShort, kLong,
                  kReset, kSlow, kHang };

struct ModeName {
  Mode mode;
  const char* name;
};

constexpr ModeName kModes[] = {
    {Mode::kOk, "ok"},       {Mode::k404, "404"},          {Mode::k500, "500"},
    {Mode::k206, "206"},     {Mode::k304, "304"},          {Mode::kNoLength, "no-length"},
    {Mode::kChunked, "chunked"}, {Mode::kHtml, "html"},    {Mode::kShort, "short"},
    {Mode::kLong, "long"},   {Mode::kReset, "reset"},      {Mode::kSlow, "slow"},
    {Mode::kHang, "hang"},
};

struct Options {
  std::string addr = "127.0.0.2";
  int port = 80;
  std::string body_path;
  std::string log_path;
  Mode mode = Mode::kOk;
  long slow_bytes = 1024;
  long slow_delay_ms = 200;
  long hang_seconds = 120;
  long max_seconds = 600;
};

constexpr size_t kMaxRequestHead = 16 * 1024;
constexpr int kRequestTimeoutSeconds = 10;
constexpr int kDrainTimeoutSeconds = 2;
constexpr int kTickMs = 100;

// Shared between the accept loop and the connection threads.
volatile sig_atomic_t g_stop = 0;
std::atomic<Mode> g_mode{Mode::kOk};
std::atomic<int> g_active{0};
std::mutex g_log_mutex;
FILE* g_log = nullptr;
Options g_options;
std::string g_body;

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

bool ParseLong(const char* text, long min, long max, long* value) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < min || v > max) return false;
  *value = v;
  return true;
}

void PrintUsage() {
  std::fprintf(stderr,
               "usage: fault_server --body FILE --log FILE [--addr IPV4] [--port N] [--mode MODE]\n"
               "       [--slow-bytes N] [--slow-delay-ms MS] [--hang-seconds N] [--max-seconds N]\n"
               "modes:");
  for (const ModeName& m : kModes) std::fprintf(stderr, " %s", m.name);
  std::fprintf(stderr, "\n");
}

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; i += 2) {
    std::string key = argv[i];
    if (i + 1 >= argc) {
      std::fprintf(stderr, "fault_server: %s needs a value\n", argv[i]);
      return false;
    }
    const char* value = argv[i + 1];
    long number = 0;
    bool ok = true;
    if (key == "--addr") {
      o->addr = value;
    } else if (key == "--port") {
      ok = ParseLong(value, 1, 65535, &number);
      o->port = static_cast<int>(number);
    } else if (key == "--body") {
      o->body_path = value;
    } else if (key == "--log") {
      o->log_path = value;
    } else if (key == "--mode") {
      ok = ModeFromName(value, &o->mode);
    } else if (key == "--slow-bytes") {
      ok = ParseLong(value, 1, 1 << 20, &o->slow_bytes);
    } else if (key == "--slow-delay-ms") {
      ok = ParseLong(value, 0, 60000, &o->slow_delay_ms);
    } else if (key == "--hang-seconds") {
      ok = ParseLong(value, 1, 86400, &o->hang_seconds);
    } else if (key == "--max-seconds") {
      ok = ParseLong(value, 1, 86400, &o->max_seconds);
    } else {
      std::fprintf(stderr, "fault_server: unknown option %s\n", argv[i]);
      return false;
    }
    if (!ok) {
      std::fprintf(stderr, "fault_server: bad value for %s: %s\n", argv[i], value);
      return false;
    }
  }
  if (o->body_path.empty() || o->log_path.empty()) {
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

void LogRequest(const std::string& request_line, const std::string& agent, Mode mode) {
  std::lock_guard<std::mutex> lock(g_log_mutex);
  std::fprintf(g_log, "\"%s\" \"%s\" %s\n", request_line.c_str(), agent.c_str(), NameOf(mode));
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

// Close with SO_LINGER 0: the kernel sends RST instead of FIN.
void CloseWithReset(int fd) {
  linger l{};
  l.l_onoff = 1;
  l.l_linger = 0;
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  close(fd);
}

struct Request {
  std::string line;    // the request line, without its CR LF
  std::string target;  // the path as sent
  std::string agent;   // the User-Agent value, empty when absent
};

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
    r.target = r.line.substr(sp1 + 1, sp2 == std::string::npos ? std::string::npos : sp2 - sp1 - 1);
  }
  for (size_t pos = eol + 2; pos < head.size();) {
    size_t next = head.find("\r\n", pos);
    if (next == std::string::npos || next == pos) break;
    std::string header = head.substr(pos, next - pos);
    size_t colon = header.find(':');
    if (colon != std::string::npos && ToLower(header.substr(0, colon)) == "user-agent")
      r.agent = Trim(header.substr(colon + 1));
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
                                        std::to_string(text.size()) + "\r\n") + text);
  CloseGracefully(fd);
}

void SendChunked(int fd) {
  const size_t kChunk = 4096;
  for (size_t pos = 0; pos < g_body.size(); pos += kChunk) {
    size_t len = g_body.size() - pos < kChunk ? g_body.size() - pos : kChunk;
    char size_line[32];
    std::snprintf(size_line, sizeof size_line, "%zx\r\n", len);
    if (!SendText(fd, size_line) || !SendAll(fd, g_body.data() + pos, len) || !SendText(fd, "\r\n"))
      return;
  }
  SendText(fd, "0\r\n\r\n");
}

void SendSlowly(int fd) {
  size_t piece = static_cast<size_t>(g_options.slow_bytes);
  for (size_t pos = 0; pos < g_body.size(); pos += piece) {
    size_t len = g_body.size() - pos < piece ? g_body.size() - pos : piece;
    if (!SendAll(fd, g_body.data() + pos, len)) return;
    if (pos + len < g_body.size() && !PauseMs(g_options.slow_delay_ms)) return;
  }
}

// Holds the connection without a word until the time is up, the client leaves or we stop.
void Hang(int fd) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(g_options.hang_seconds);
  while (!g_stop && std::chrono::steady_clock::now() < until) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, kTickMs) > 0) {
      char sink[1024];
      if (recv(fd, sink, sizeof sink, 0) <= 0) break;
    }
  }
}

void Answer(int fd, Mode mode) {
  const size_t n = g_body.size();
  const size_t half = n / 2;
  switch (mode) {
    case Mode::kOk:
      SendText(fd, Head("200 OK", ZipHeaders(n)) + g_body);
      break;
    case Mode::k404:
      SendText(fd, Head("404 Not Found", ZipHeaders(n)) + g_body);
      break;
    case Mode::k500:
      SendText(fd, Head("500 Internal Server Error", ZipHeaders(n)) + g_body);
      break;
    case Mode::k206: {
      size_t part = n - half;  // the first half, rounded up
      std::string range = "Content-Range: bytes 0-" + std::to_string(part == 0 ? 0 : part - 1) +
                          "/" + std::to_string(n) + "\r\n";
      SendText(fd, Head("206 Partial Content", ZipHeaders(part) + range) + g_body.substr(0, part));
      break;
    }
    case Mode::k304:
      SendText(fd, Head("304 Not Modified", ZipHeaders(n) + "ETag: \"velmora\"\r\n"));
      break;
    case Mode::kNoLength:
      SendText(fd, Head("200 OK", "Content-Type: application/zip\r\n") + g_body);
      break;
    case Mode::kChunked:
      if (SendText(fd, Head("200 OK", "Content-Type: application/zip\r\n"
                                      "Transfer-Encoding: chunked\r\n")))
        SendChunked(fd);
      break;
    case Mode::kHtml:
      SendText(fd, Head("200 OK", "Content-Type: text/html; charset=utf-8\r\nContent-Length: " +
                                      std::to_string(n) + "\r\n") + g_body);
      break;
    case Mode::kShort:
      SendText(fd, Head("200 OK", ZipHeaders(n == 0 ? 1 : 2 * n)) + g_body);
      break;
    case Mode::kLong:
      SendText(fd, Head("200 OK", ZipHeaders(half == 0 ? 1 : half)) + g_body);
      break;
    case Mode::kReset:
      SendText(fd, Head("200 OK", ZipHeaders(n)) + g_body.substr(0, half));
      PauseMs(200);  // let the half reach the client before the reset overtakes it
      CloseWithReset(fd);
      return;
    case Mode::kSlow:
      if (SendText(fd, Head("200 OK", ZipHeaders(n)))) SendSlowly(fd);
      break;
    case Mode::kHang:
      Hang(fd);
      close(fd);
      return;
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
      LogRequest(request.line, request.agent, mode);
      Answer(fd, mode);
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

void AcceptUntilStopped(int listen_fd) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(g_options.max_seconds);
  while (!g_stop) {
    if (std::chrono::steady_clock::now() >= deadline) {
      std::fprintf(stderr, "fault_server: --max-seconds reached, stopping\n");
      g_stop = 1;
      break;
    }
    pollfd p{listen_fd, POLLIN, 0};
    if (poll(&p, 1, kTickMs) <= 0) continue;
    int fd = accept(listen_fd, nullptr, nullptr);
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
  if (!ReadWholeFile(g_options.body_path, &g_body)) {
    std::fprintf(stderr, "fault_server: cannot read %s\n", g_options.body_path.c_str());
    return 1;
  }
  g_log = std::fopen(g_options.log_path.c_str(), "w");
  if (g_log == nullptr) {
    std::fprintf(stderr, "fault_server: cannot write %s\n", g_options.log_path.c_str());
    return 1;
  }
  g_mode = g_options.mode;
  InstallSignalHandlers();
  int listen_fd = Listen(g_options.addr, g_options.port);
  if (listen_fd < 0) {
    std::fclose(g_log);
    return 1;
  }
  std::printf("ready %s:%d\n", g_options.addr.c_str(), g_options.port);
  std::fflush(stdout);

  AcceptUntilStopped(listen_fd);
  close(listen_fd);
  WaitForConnections();
  if (g_active > 0) {
    // A client that never sent its request still holds a thread; leave without running the
    // destructors it may be using. The kernel closes its socket.
    std::lock_guard<std::mutex> lock(g_log_mutex);
    std::fflush(g_log);
    std::_Exit(0);
  }
  std::fclose(g_log);
  return 0;
}
