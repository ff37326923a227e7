#pragma once

#include <string>
#include <vector>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// The genre names the iTunes catalogue is known to send, offered by the genre editor.
struct NIMBREL_CORE_EXPORT ITunesGenres final {
    ITunesGenres() = delete;

    /// The 65 catalogue names, spelled exactly as the service sends them, in alphabetical order.
    static const std::vector<std::string>& known();

    /// The catalogue extended by genres seen in use: each trimmed, blank ones skipped, and dropped when it
    /// differs from a name already present only by letter case. Sorted for the user's locale, ignoring case.
    static std::vector<std::string> merged(const std::vector<std::string>& observed);
};

} // namespace nimbrel
