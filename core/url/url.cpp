#include "core/url/url.h"

#include <algorithm>
#include <charconv>

namespace nimbrel {
namespace {

constexpr std::string_view kSubDelims = "!$&'()*+,;=";
// Ports are 16-bit: a larger number names no port at all rather than one that wraps around.
constexpr int kMaxPort = 65535;

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isUnreserved(char c) {
    return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

int hexValue(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    return (c >= 'a' ? c - 'a' : c - 'A') + 10;
}

// Whether every character is unreserved, a sub-delimiter, one of `extra`, or part of a well-formed
// percent escape.
bool isWellFormed(std::string_view text, std::string_view extra) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) {
                return false;
            }
            i += 2;
            continue;
        }
        if (!isUnreserved(c) && kSubDelims.find(c) == std::string_view::npos &&
            extra.find(c) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

bool isValidScheme(std::string_view scheme) {
    return !scheme.empty() && isAlpha(scheme.front()) && std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.';
    });
}

struct AuthorityParts {
    std::string_view host;
    std::string_view port;
    bool hasPort = false;
};

// userinfo "@" host ":" port, where host may be an IP literal in brackets.
std::optional<AuthorityParts> splitAuthority(std::string_view authority) {
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        if (!isWellFormed(authority.substr(0, at), ":")) {
            return std::nullopt;
        }
        authority.remove_prefix(at + 1);
    }
    AuthorityParts parts;
    std::string_view rest;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        parts.host = authority.substr(0, close + 1);
        if (!isWellFormed(parts.host.substr(1, parts.host.size() - 2), ":")) {
            return std::nullopt;
        }
        rest = authority.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') {
            return std::nullopt;
        }
    } else {
        const std::size_t colon = authority.find(':');
        parts.host = authority.substr(0, colon);
        if (!isWellFormed(parts.host, "")) {
            return std::nullopt;
        }
        rest = colon == std::string_view::npos ? std::string_view{} : authority.substr(colon);
    }
    if (!rest.empty()) {
        parts.hasPort = true;
        parts.port = rest.substr(1);
        if (!std::all_of(parts.port.begin(), parts.port.end(), isDigit)) {
            return std::nullopt;
        }
    }
    return parts;
}

} // namespace

std::optional<Url> Url::parse(std::string_view text) {
    Url url;
    std::string_view rest = text;

    // The scheme ends at the first ":" that comes before any "/", "?" or "#".
    if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
        const std::size_t firstDelimiter = rest.find_first_of("/?#");
        if (firstDelimiter == std::string_view::npos || colon < firstDelimiter) {
            const std::string_view scheme = rest.substr(0, colon);
            if (!isValidScheme(scheme)) {
                return std::nullopt;
            }
            url.m_scheme = std::string(scheme);
            rest.remove_prefix(colon + 1);
        }
    }
    if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
        const std::string_view fragment = rest.substr(hash + 1);
        if (!isWellFormed(fragment, ":@/?")) {
            return std::nullopt;
        }
        url.m_fragment = std::string(fragment);
        rest = rest.substr(0, hash);
    }
    if (const std::size_t question = rest.find('?'); question != std::string_view::npos) {
        const std::string_view query = rest.substr(question + 1);
        if (!isWellFormed(query, ":@/?")) {
            return std::nullopt;
        }
        url.m_query = std::string(query);
        rest = rest.substr(0, question);
    }
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view authority = rest.substr(0, slash);
        if (!splitAuthority(authority)) {
            return std::nullopt;
        }
        url.m_authority = std::string(authority);
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
    }
    if (!isWellFormed(rest, ":@/")) {
        return std::nullopt;
    }
    url.m_path = std::string(rest);
    return url;
}

std::optional<std::string> Url::host() const {
    if (!m_authority) {
        return std::nullopt;
    }
    const std::optional<AuthorityParts> parts = splitAuthority(*m_authority);
    if (!parts) {
        return std::nullopt;
    }
    return percentDecode(parts->host);
}

std::optional<int> Url::port() const {
    if (!m_authority) {
        return std::nullopt;
    }
    const std::optional<AuthorityParts> parts = splitAuthority(*m_authority);
    if (!parts || !parts->hasPort || parts->port.empty()) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(parts->port.data(), parts->port.data() + parts->port.size(), value);
    if (error != std::errc{} || end != parts->port.data() + parts->port.size() || value > kMaxPort) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<UrlQueryItem>> Url::queryItems() const {
    if (!m_query) {
        return std::nullopt;
    }
    std::vector<UrlQueryItem> items;
    if (m_query->empty()) {
        return items;
    }
    std::string_view rest = *m_query;
    while (true) {
        const std::size_t ampersand = rest.find('&');
        const std::string_view item = rest.substr(0, ampersand);
        const std::size_t equals = item.find('=');
        UrlQueryItem decoded;
        // Parsing validated every escape, so decoding cannot fail here.
        decoded.name = percentDecode(item.substr(0, equals)).value_or(std::string());
        if (equals != std::string_view::npos) {
            decoded.value = percentDecode(item.substr(equals + 1)).value_or(std::string());
        }
        items.push_back(std::move(decoded));
        if (ampersand == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(ampersand + 1);
    }
    return items;
}

Url Url::appendingPathComponents(std::string_view components) const {
    Url url = *this;
    std::string_view rest = components;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        if (!segment.empty()) {
            if (url.m_path.empty() || url.m_path.back() != '/') {
                url.m_path.push_back('/');
            }
            url.m_path.append(percentEncode(segment, "!$&'()*+,;=:@"));
        }
        if (slash == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(slash + 1);
    }
    return url;
}

Url Url::withQueryItems(const std::vector<UrlQueryItem>& items) const {
    Url url = *this;
    std::string query;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const UrlQueryItem& item = items[i];
        if (i > 0) {
            query.push_back('&');
        }
        query.append(percentEncode(item.name));
        if (item.value) {
            query.push_back('=');
            query.append(percentEncode(*item.value));
        }
    }
    url.m_query = std::move(query);
    return url;
}

std::string Url::text() const {
    std::string out;
    if (!m_scheme.empty()) {
        out.append(m_scheme).push_back(':');
    }
    if (m_authority) {
        out.append("//").append(*m_authority);
    }
    out.append(m_path);
    if (m_query) {
        out.append("?").append(*m_query);
    }
    if (m_fragment) {
        out.append("#").append(*m_fragment);
    }
    return out;
}

std::string Url::percentEncode(std::string_view text, std::string_view alsoAllowed) {
    static constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (isUnreserved(c) || alsoAllowed.find(c) != std::string_view::npos) {
            out.push_back(c);
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        }
    }
    return out;
}

std::optional<std::string> Url::percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
        i += 2;
    }
    return out;
}

} // namespace nimbrel
