#include "core/genres/genre_cache.h"

#include <algorithm>
#include <set>

#include <nlohmann/json.hpp>

#include "core/json/iso8601.h"
#include "core/json/json_reader.h"
#include "core/matching/artist_identity.h"
#include "core/text/collation.h"
#include "core/text/whitespace.h"

namespace nimbrel {

GenreCache::GenreCache(std::map<std::string, Entry, std::less<>> initialEntries)
    : entries(std::move(initialEntries)) {}

std::string GenreCache::key(std::string_view artist) {
    return ArtistIdentity::normalized(artist);
}

bool GenreCache::isFresh(const Entry& entry, Instant now) {
    if (entry.storedAt > now) {
        return false;
    }
    const double lifetime = entry.genre ? hitLifetime : missLifetime;
    return Instants::secondsBetween(entry.storedAt, now) < lifetime;
}

GenreCache::Lookup GenreCache::lookup(std::string_view artist, Instant now) const {
    const std::string artistKey = key(artist);
    if (artistKey.empty() || entries.empty()) {
        return Lookup::unknown();
    }
    const auto found = entries.find(artistKey);
    if (found == entries.end() || !isFresh(found->second, now)) {
        return Lookup::unknown();
    }
    return found->second.genre ? Lookup::genre(*found->second.genre) : Lookup::none();
}

void GenreCache::record(const std::optional<std::string>& genre, std::string_view artist, Instant now) {
    std::string artistKey = key(artist);
    if (artistKey.empty()) {
        return;
    }
    std::optional<std::string> trimmed;
    if (genre) {
        if (const std::string_view kept = Whitespace::trimmed(*genre); !kept.empty()) {
            trimmed = std::string(kept);
        }
    }
    entries.insert_or_assign(std::move(artistKey), Entry{std::move(trimmed), now});
}

void GenreCache::prune(Instant now) {
    std::erase_if(entries, [now](const auto& item) { return !isFresh(item.second, now); });
}

std::size_t GenreCache::freshCount(Instant now) const {
    return static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [now](const auto& item) { return isFresh(item.second, now); }));
}

std::vector<std::string> GenreCache::observedGenres() const {
    // A set removes repeats in n log n; searching the list for each one was quadratic in a large cache.
    std::set<std::string_view> distinct;
    for (const auto& [artistKey, entry] : entries) {
        if (entry.genre) {
            distinct.insert(*entry.genre);
        }
    }
    std::vector<std::string> genres(distinct.begin(), distinct.end());
    std::stable_sort(genres.begin(), genres.end(), [](const std::string& a, const std::string& b) {
        return Collation::localizedCaseInsensitiveLess(a, b);
    });
    return genres;
}

nlohmann::json GenreCache::toJson() const {
    nlohmann::json entryObjects = nlohmann::json::object();
    for (const auto& [artistKey, entry] : entries) {
        nlohmann::json object = nlohmann::json::object();
        if (entry.genre) {
            object[std::string(kGenreKey)] = *entry.genre;
        }
        // The file keeps whole seconds; the fraction of a second an entry loses does not matter to
        // lifetimes of hours and days.
        object[std::string(kStoredAtKey)] = Iso8601::format(std::chrono::floor<std::chrono::seconds>(entry.storedAt));
        entryObjects[artistKey] = std::move(object);
    }
    return {{std::string(kEntriesKey), std::move(entryObjects)}};
}

std::string GenreCache::encodedData() const {
    // nlohmann's objects are ordered maps, so keys come out sorted at every level.
    return toJson().dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

GenreCache GenreCache::fromJson(const nlohmann::json& json) {
    const JsonObjectReader reader(json, JsonPath());
    const JsonPath entriesPath = JsonPath().key(kEntriesKey);
    const nlohmann::json* entryObjects = reader.value(kEntriesKey);
    if (entryObjects == nullptr) {
        throw DecodeError(entriesPath.text(), "required list of entries is missing");
    }
    (void)JsonObjectReader(*entryObjects, entriesPath); // throws unless it is an object
    GenreCache cache;
    for (const auto& [artistKey, value] : entryObjects->items()) {
        const JsonObjectReader entry(value, entriesPath.key(artistKey));
        const std::string storedAtText = entry.requiredString(kStoredAtKey);
        const std::optional<std::chrono::sys_seconds> storedAt = Iso8601::parse(storedAtText);
        if (!storedAt) {
            throw DecodeError(entry.path().key(kStoredAtKey).text(),
                              "\"" + storedAtText + "\" is not a date and time such as 2025-03-01T18:04:05Z");
        }
        // The clock counts nanoseconds, which reach only from 1677 to 2262; a date outside that is no time
        // the program could have stored.
        const std::optional<Instant> instant =
            Instants::fromSecondsSince1970(static_cast<double>(storedAt->time_since_epoch().count()));
        if (!instant) {
            throw DecodeError(entry.path().key(kStoredAtKey).text(), "\"" + storedAtText + "\" is out of range");
        }
        cache.entries.insert_or_assign(artistKey, Entry{entry.optionalString(kGenreKey), *instant});
    }
    return cache;
}

GenreCache GenreCache::decode(std::string_view bytes) {
    return fromJson(parseJsonDocument(bytes));
}

} // namespace nimbrel
