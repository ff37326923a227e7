#pragma once

#include <QUrl>
#include <functional>
#include <optional>

namespace nimbrel {

class EngineViewModel;

/// Starts connecting a Slack workspace from a screen of the program: asks the engine for the sign-in link
/// and opens it in the default browser, saying in the log that there is no in-app session to use.
struct SignInLauncher final {
    SignInLauncher() = delete;

    /// Hands a link to the desktop's browser; false when no browser could be started.
    using Opener = std::function<bool(const QUrl&)>;

    enum class Outcome {
        /// The engine made no link; its connect phase says why.
        noLink,
        /// The browser has the link; the engine waits for the callback.
        opened,
        /// The engine waits, but no browser took the link: the user has to open it by hand.
        notOpened,
    };
    struct Result {
        Outcome outcome = Outcome::noLink;
        /// The start link, when the engine made one.
        std::optional<QUrl> link;
    };

    static Result start(EngineViewModel& engine, const Opener& open);
};

} // namespace nimbrel
