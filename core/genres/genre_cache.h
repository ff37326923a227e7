#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/json/decode_error.h"
#include "core/nimbrel_core_export.h"
#include "core/time/instant.h"

namespace nimbrel {

/// What the catalogue said about each artist: a genre, or that it had none. Lets the program ask about an
/// artist at most once a month, and about an artist without a genre at most once every six hours.
struct NIMBREL_CORE_EXPORT GenreCache {
    /// One artist's answer.
    struct NIMBREL_CORE_EXPORT Entry {
        /// The genre, trimmed; none remembers that the catalogue had no genre.
        std::optional<std::string> genre;
        Instant storedAt;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    /// The answer to a lookup.
    class NIMBREL_CORE_EXPORT Lookup {
    public:
        /// A fresh entry with this genre.
        struct Genre {
            std::string name;
            friend bool operator==(const Genre&, const Genre&) = default;
        };
        /// A fresh entry remembering that there is no genre.
        struct None {
            friend bool operator==(const None&, const None&) = default;
        };
        /// Nothing usable: never recorded, expired, dated in the future, or no artist. Ask the catalogue.
        struct Unknown {
            friend bool operator==(const Unknown&, const Unknown&) = default;
        };
        using Case = std::variant<Genre, None, Unknown>;

        Lookup(Case value) // NOLINT(google-explicit-constructor): a lookup is its case
            : m_case(std::move(value)) {}
        static Lookup genre(std::string name) { return Lookup(Genre{std::move(name)}); }
        static Lookup none() { return Lookup(None{}); }
        static Lookup unknown() { return Lookup(Unknown{}); }

        /// The payload when the answer is of case T, else null.
        template <typename T>
        const T* as() const noexcept {
            return std::get_if<T>(&m_case);
        }
        const Case& value() const noexcept { return m_case; }

        friend bool operator==(const Lookup&, const Lookup&) = default;

    private:
        Case m_case;
    };

    /// One entry per normalised artist name. Only expiry removes entries.
    std::map<std::string, Entry, std::less<>> entries;

    /// How long a genre stays fresh: 30 days, in seconds.
    static constexpr double hitLifetime = 2'592'000;
    /// How long "no genre" stays fresh: 6 hours, in seconds.
    static constexpr double missLifetime = 21'600;

    static constexpr std::string_view kEntriesKey = "entries";
    static constexpr std::string_view kGenreKey = "genre";
    static constexpr std::string_view kStoredAtKey = "storedAt";

    GenreCache() = default;
    explicit GenreCache(std::map<std::string, Entry, std::less<>> initialEntries);

    /// The key of an artist: the name as artists are compared everywhere (case and diacritics folded, "&"
    /// as "and", white space collapsed, a leading "the " dropped).
    static std::string key(std::string_view artist);
    /// Whether an entry is fresh at `now`: not dated later, and younger than its kind's lifetime (an entry
    /// exactly that old is stale).
    static bool isFresh(const Entry& entry, Instant now);

    /// What the cache knows about the artist at `now`. A stale entry answers `unknown` but stays until the
    /// next prune.
    Lookup lookup(std::string_view artist, Instant now) const;
    /// Remembers the artist's genre (trimmed; blank or none remembers that there is none) as of `now`,
    /// replacing any earlier entry. An artist whose key is empty is not recorded.
    void record(const std::optional<std::string>& genre, std::string_view artist, Instant now);
    /// Removes every entry that is not fresh at `now`.
    void prune(Instant now);
    /// How many entries are fresh at `now`.
    std::size_t freshCount(Instant now) const;
    /// Every distinct genre held (exact comparison, stale entries included), in the user's sort order
    /// ignoring case.
    std::vector<std::string> observedGenres() const;

    /// The document: {"entries": {key: {"genre": …, "storedAt": "2025-03-01T18:04:05Z"}}}.
    nlohmann::json toJson() const;
    /// The document pretty-printed with keys sorted, as the cache file holds it.
    std::string encodedData() const;
    /// Reads a document; "entries" and every "storedAt" are required, "genre" is optional. Throws
    /// DecodeError naming the key path of the first problem.
    static GenreCache fromJson(const nlohmann::json& json);
    /// Parses and reads the text of a cache file, as `fromJson`.
    static GenreCache decode(std::string_view bytes);

    friend bool operator==(const GenreCache&, const GenreCache&) = default;
};

} // namespace nimbrel
