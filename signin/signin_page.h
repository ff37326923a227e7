#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nimbrel {

/// The small HTML pages the service answers browsers with: a title, a few sentences and, where the browser
/// should go on, a button to the next address. Every text is escaped; no script, no outside resources.
struct SigninPage final {
    SigninPage() = delete;

    /// A button to an address.
    struct Link {
        std::string text;
        std::string address;
    };

    /// The page. `command`, when given, is shown as text the user can copy into a terminal.
    static std::string render(std::string_view title, std::string_view message, const std::optional<Link>& link,
                              std::string_view command = {});

    /// Text made safe for HTML element content and quoted attribute values.
    static std::string escaped(std::string_view text);
};

} // namespace nimbrel
