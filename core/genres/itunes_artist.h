#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "core/json/json_reader.h"
#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// One result of an iTunes artist search.
struct NIMBREL_CORE_EXPORT ITunesArtist {
    /// "artistName"; required.
    std::string name;
    /// "primaryGenreName", when the catalogue has one.
    std::optional<std::string> genre;
    /// "artistId"; read for completeness, no rule uses it.
    std::optional<std::int64_t> id;

    friend bool operator==(const ITunesArtist&, const ITunesArtist&) = default;

    /// Decodes one result. Throws DecodeError naming the path when "artistName" is missing or a known key
    /// holds a value of the wrong type.
    static ITunesArtist fromJson(const nlohmann::json& json, const JsonPath& path = {});
};

} // namespace nimbrel
