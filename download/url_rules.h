// Where the package comes from: the one split of a package URL (the profile's server or the
// "/axs:" option's), the one composition of the profile's server as such a URL, the one rule for
// the redirects a server answers with, and where the package's signature lies beside it. Pure
// text; the worker glue does the HTTP calls.
//
// Texts are NUL-terminated code page 949 bytes. A composer that returns false leaves its output
// empty (when its capacity is > 0): never a cut text.
#pragma once

#include <cstddef>
#include <cstdint>

// Capacities of a URL's two parts, the NUL included: WinInet takes host names
// up to INTERNET_MAX_HOST_NAME_LENGTH (256) bytes and URLs up to
// INTERNET_MAX_URL_LENGTH (2084); a longer part could not be requested.
const size_t kUrlHostCapacity = 256 + 1;
const size_t kUrlObjectCapacity = 2084 + 1;

const uint16_t kHttpPort = 80;
const uint16_t kHttpsPort = 443;

// Where a package is fetched from.
struct PackageLocation {
    bool secure;                      // https: TLS, certificates checked in full
    uint16_t port;                    // 80 for plain HTTP; for https 443 or the URL's own
    char host[kUrlHostCapacity];      // handed whole to the connection step
    char object[kUrlObjectCapacity];  // the request path
};

// Splits a package URL into a location.
// - Starting with "https://" (lower case, as "http://" is matched): secure.
//   The host runs to the first "/" after the scheme; a ":" and 1 to 5 digits
//   at its end (after a closing "]" for a bracketed address) name the port,
//   1..65535, else 443. The object is the rest, from that "/" on. Refused:
//   no "/" after the host, an empty host, a port that is empty, not digits or
//   out of range.
// - Anything else is plain HTTP on port 80, split as "/axs:" URLs always were:
//   if the text contains "http://" anywhere (case-sensitive), its first 7
//   bytes are dropped, wherever the match was; the host is the text before the
//   first "/", the object the rest with that "/"; without a "/" the host is
//   empty and the object is the whole text. A ":port" stays part of the host.
// False, with host and object empty, when the URL is refused or a part does
// not fit its buffer.
bool SplitPackageLocation(const char* url, PackageLocation* out);

// The profile's package source written as a URL, so that it goes through the
// same split as a "/axs:" URL: "<scheme>://<host>[:<port>]" followed by
// |pathFormat| with its first "%s" replaced by |archiveName| (no other
// directive is read). |scheme| is "http" or "https". |port| 0 is the scheme's
// default and the only port plain HTTP takes (its split leaves a port in the
// host, where the connection would not find it). Refused: another scheme, a
// port outside 0..65535 or given for http, an empty host, a host with a "/",
// an https host with a ":" of its own (outside brackets) or an unclosed "[",
// a path that does not start with "/", too small a buffer.
bool ComposePackageUrl(const char* scheme, const char* host, int32_t port, const char* pathFormat,
                       const char* archiveName, char* out, size_t cap);

// Statuses whose Location is followed with another GET: 301, 302, 303, 307
// and 308.
bool IsRedirectStatus(uint32_t status);

// Redirects followed in a row before the download fails.
const int kMaxRedirects = 5;

// Where a redirect's |location| (the Location header's value) leads from
// |from|: an absolute "https://" or "http://" URL, host and ":port" split as
// in an https URL (the port defaulting to the scheme's), or a path starting
// with a single "/", on the same server. Once on https, only https: the
// package never leaves TLS. False, with |to|'s texts empty, for anything else
// (another or an upper-case scheme, "//host", a relative path, an empty text)
// and for a redirect from https to plain HTTP.
bool FollowRedirect(const PackageLocation& from, const char* location, PackageLocation* to);

// The object of a package's detached signature: ".sig" added to the path of
// |packageObject|, before its query ("/p.zip?t=1" gives "/p.zip.sig?t=1").
// The path ends at the first "?" or "#". Appended after the query, many
// servers would ignore the whole query and answer with the package itself.
// False, and |out| empty, when the result does not fit |cap|.
bool ComposeSignatureObject(const char* packageObject, char* out, size_t cap);
