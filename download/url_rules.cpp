#include "download/url_rules.h"

#include <cstring>

#include "fw/bounded_text.h"

namespace {

const char kHttpsScheme[] = "https://";
const size_t kHttpsSchemeLength = sizeof(kHttpsScheme) - 1;
const char kHttpScheme[] = "http://";
const size_t kHttpSchemeLength = sizeof(kHttpScheme) - 1;

bool StartsWith(const char* text, const char* prefix, size_t prefixLength) {
    return strncmp(text, prefix, prefixLength) == 0;
}

void ClearLocation(PackageLocation* location) {
    location->secure = false;
    location->port = kHttpPort;
    location->host[0] = '\0';
    location->object[0] = '\0';
}

// The ":" that names a port in the |length| bytes of |host|: the last one,
// after the closing "]" of a bracketed address. |length| when there is none.
size_t PortColon(const char* host, size_t length) {
    size_t start = 0;
    if (length > 0 && host[0] == '[') {
        const void* close = memchr(host, ']', length);
        start = close ? static_cast<size_t>(static_cast<const char*>(close) - host) : length;
    }
    for (size_t i = length; i > start; --i) {
        if (host[i - 1] == ':') return i - 1;
    }
    return length;
}

// 1 to 5 decimal digits naming a port, 1..65535.
bool ParsePort(const char* text, size_t length, uint16_t* port) {
    if (length < 1 || length > 5) return false;
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + static_cast<uint32_t>(text[i] - '0');
    }
    if (value < 1 || value > 65535) return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

// The part of a URL after its scheme: host[:port] up to the first "/", then the
// object; |secure| names the scheme and its default port.
bool SplitAuthority(const char* rest, bool secure, PackageLocation* out) {
    const char* slash = strchr(rest, '/');
    if (!slash) return false;
    size_t authority = static_cast<size_t>(slash - rest);
    size_t colon = PortColon(rest, authority);
    uint16_t port = secure ? kHttpsPort : kHttpPort;
    if (colon < authority && !ParsePort(rest + colon + 1, authority - colon - 1, &port))
        return false;
    if (colon == 0) return false;  // no host
    out->secure = secure;
    out->port = port;
    return BoundedText(out->host, sizeof out->host).Add(rest, colon).Fits() &&
           BoundedText(out->object, sizeof out->object).Add(slash).Fits();
}

// The plain-HTTP split of a "/axs:" URL. The 7 bytes go from the start even when the match is
// elsewhere: existing "/axs:" callers rely on exactly this rule.
bool SplitPlainHttpUrl(const char* url, PackageLocation* out) {
    const char* rest = url;
    if (strstr(rest, kHttpScheme)) rest += kHttpSchemeLength;
    const char* slash = strchr(rest, '/');
    size_t hostLength = slash ? static_cast<size_t>(slash - rest) : 0;
    const char* objectStart = slash ? slash : rest;
    return BoundedText(out->host, sizeof out->host).Add(rest, hostLength).Fits() &&
           BoundedText(out->object, sizeof out->object).Add(objectStart).Fits();
}

// |pathFormat| with its first "%s" replaced by |archiveName|.
bool ComposeObjectPath(const char* pathFormat, const char* archiveName, char* out, size_t cap) {
    const char* directive = strstr(pathFormat, "%s");
    BoundedText text(out, cap);
    if (!directive) return text.Add(pathFormat).Fits();
    size_t before = static_cast<size_t>(directive - pathFormat);
    return text.Add(pathFormat, before).Add(archiveName).Add(directive + 2).Fits();
}

// A scheme, host and port that ComposePackageUrl writes so that
// SplitPackageLocation gives them back.
bool ProfileServerValid(const char* scheme, const char* host, int32_t port) {
    bool secure = strcmp(scheme, "https") == 0;
    if (!secure && strcmp(scheme, "http") != 0) return false;
    size_t hostLength = strlen(host);
    if (hostLength == 0 || strchr(host, '/')) return false;
    if (!secure) return port == 0;
    // An unclosed "[" would take the port's ":" into the address.
    bool unclosed = host[0] == '[' && !strchr(host, ']');
    return port >= 0 && port <= 65535 && !unclosed && PortColon(host, hostLength) == hostLength;
}

}  // namespace

bool SplitPackageLocation(const char* url, PackageLocation* out) {
    ClearLocation(out);
    bool ok =
        StartsWith(url, kHttpsScheme, kHttpsSchemeLength)
            ? SplitAuthority(url + kHttpsSchemeLength, true, out)
            : SplitPlainHttpUrl(url, out);
    if (!ok) ClearLocation(out);
    return ok;
}

bool ComposePackageUrl(const char* scheme, const char* host, int32_t port, const char* pathFormat,
                       const char* archiveName, char* out, size_t cap) {
    char object[kUrlObjectCapacity];
    bool ok = ProfileServerValid(scheme, host, port) &&
              ComposeObjectPath(pathFormat, archiveName, object, sizeof object) &&
              object[0] == '/';
    if (!ok) {
        if (cap > 0) out[0] = '\0';
        return false;
    }
    BoundedText text(out, cap);
    text.Add(scheme).Add("://").Add(host);
    if (port != 0) text.Add(":").AddNumber(port, 0);
    return text.Add(object).Fits();
}

bool IsRedirectStatus(uint32_t status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool FollowRedirect(const PackageLocation& from, const char* location, PackageLocation* to) {
    bool ok = false;
    if (location[0] == '/' && location[1] != '/') {
        *to = from;
        ok = BoundedText(to->object, sizeof to->object).Add(location).Fits();
    } else if (StartsWith(location, kHttpsScheme, kHttpsSchemeLength)) {
        ok = SplitAuthority(location + kHttpsSchemeLength, true, to);
    } else if (StartsWith(location, kHttpScheme, kHttpSchemeLength)) {
        // A server's Location is a URL as servers write it: its port is a port, unlike in
        // the "/axs:" option's plain-HTTP rule.
        ok = SplitAuthority(location + kHttpSchemeLength, false, to);
    }
    ok = ok && (to->secure || !from.secure);  // never from TLS back to plain HTTP
    if (!ok) ClearLocation(to);
    return ok;
}

bool ComposeSignatureObject(const char* packageObject, char* out, size_t cap) {
    size_t path = strcspn(packageObject, "?#");
    return BoundedText(out, cap).Add(packageObject, path).Add(".sig").Add(packageObject + path).Fits();
}
