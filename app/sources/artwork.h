#pragma once

#include <string>
#include <variant>
#include <vector>

namespace nimbrel {

/// The current track's cover: an https address of the image, or the image's bytes.
struct Artwork {
    struct Url {
        std::string address;
        friend bool operator==(const Url&, const Url&) = default;
    };
    struct Data {
        std::vector<char> bytes;
        friend bool operator==(const Data&, const Data&) = default;
    };

    std::variant<Url, Data> value;

    const Url* url() const noexcept { return std::get_if<Url>(&value); }
    const Data* data() const noexcept { return std::get_if<Data>(&value); }
    friend bool operator==(const Artwork&, const Artwork&) = default;
};

} // namespace nimbrel
