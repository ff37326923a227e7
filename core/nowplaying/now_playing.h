#pragma once

#include <string>
#include <utility>
#include <variant>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// What one player was doing when it was asked. Equal readings have the same case and identical texts.
class NIMBREL_CORE_EXPORT NowPlaying {
public:
    /// The player is playing; either text may be empty.
    struct Playing {
        std::string artist;
        std::string track;
        friend bool operator==(const Playing&, const Playing&) = default;
    };
    /// The player runs but is not playing; `state` is the player's own word for it.
    struct NotPlaying {
        std::string state;
        std::string artist;
        std::string track;
        friend bool operator==(const NotPlaying&, const NotPlaying&) = default;
    };
    /// The player gave no usable answer; `detail` is a complete sentence for the user.
    struct Error {
        std::string detail;
        friend bool operator==(const Error&, const Error&) = default;
    };
    /// The player application is not running.
    struct NotRunning {
        friend bool operator==(const NotRunning&, const NotRunning&) = default;
    };

    using Case = std::variant<Playing, NotPlaying, Error, NotRunning>;

    NowPlaying()
        : m_case(NotRunning{}) {}
    NowPlaying(Case value) // NOLINT(google-explicit-constructor): a reading is its case
        : m_case(std::move(value)) {}

    static NowPlaying playing(std::string artist, std::string track);
    static NowPlaying notPlaying(std::string state, std::string artist, std::string track);
    static NowPlaying error(std::string detail);
    static NowPlaying notRunning();

    bool isPlaying() const noexcept { return std::holds_alternative<Playing>(m_case); }
    bool isNotPlaying() const noexcept { return std::holds_alternative<NotPlaying>(m_case); }
    bool isError() const noexcept { return std::holds_alternative<Error>(m_case); }
    bool isNotRunning() const noexcept { return std::holds_alternative<NotRunning>(m_case); }

    /// The payload when the reading is of case T, else null.
    template <typename T>
    const T* as() const noexcept {
        return std::get_if<T>(&m_case);
    }
    const Case& value() const noexcept { return m_case; }

    friend bool operator==(const NowPlaying&, const NowPlaying&) = default;

private:
    Case m_case;
};

} // namespace nimbrel
