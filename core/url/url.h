#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// One item of a query: a name and, unless the item had no "=", a value. Both are percent-decoded.
struct NIMBREL_CORE_EXPORT UrlQueryItem {
    std::string name;
    std::optional<std::string> value;

    friend bool operator==(const UrlQueryItem&, const UrlQueryItem&) = default;
};

/// A URI reference split into its RFC 3986 components. Components are kept percent-encoded as written;
/// the accessors that return text a user or a protocol reads (host, query items) decode it. Every address
/// Nimbrel builds or reads goes through this type, so there is one set of encoding rules.
class NIMBREL_CORE_EXPORT Url {
public:
    /// Splits and validates a URI reference: a scheme of letters, digits, "+", "-", "."; only the
    /// characters RFC 3986 allows in each component; well-formed percent escapes; a numeric port.
    /// Anything else — spaces, non-ASCII text, a stray "%" — gives no value.
    static std::optional<Url> parse(std::string_view text);

    /// The scheme as written (compare it case-insensitively); empty for a relative reference.
    const std::string& scheme() const noexcept { return m_scheme; }
    /// The decoded host; none when the address has no authority ("//…"). May be empty ("file:///x").
    std::optional<std::string> host() const;
    /// The port, when the authority names one from 0 to 65535.
    std::optional<int> port() const;
    /// The path, percent-encoded as written.
    const std::string& path() const noexcept { return m_path; }
    /// The query, percent-encoded as written; none when there is no "?".
    const std::optional<std::string>& query() const noexcept { return m_query; }
    /// The query split at "&" and at each item's first "=", decoded; none when there is no "?".
    std::optional<std::vector<UrlQueryItem>> queryItems() const;

    /// This address with path components added, a "/" between them as needed ("slack/start" gives
    /// ".../slack/start"). Each segment is percent-encoded.
    Url appendingPathComponents(std::string_view components) const;
    /// This address with its query replaced by the items, each name and value percent-encoded so that
    /// only unreserved characters stay literal ("+", "&", "=" and spaces reach the server unchanged).
    Url withQueryItems(const std::vector<UrlQueryItem>& items) const;

    /// The whole address as text.
    std::string text() const;

    /// Percent-encodes every byte except RFC 3986's unreserved characters and those in `alsoAllowed`.
    static std::string percentEncode(std::string_view text, std::string_view alsoAllowed = {});
    /// Decodes percent escapes; none when an escape is malformed.
    static std::optional<std::string> percentDecode(std::string_view text);

    friend bool operator==(const Url&, const Url&) = default;

private:
    std::string m_scheme;
    std::optional<std::string> m_authority;
    std::string m_path;
    std::optional<std::string> m_query;
    std::optional<std::string> m_fragment;
};

} // namespace nimbrel
