#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

class EngineViewModel;

/// The tray menu, worked out without widgets: every item top to bottom with its text, shortcut, whether it
/// shows and what it does, from the engine's state. The tray builds its QMenu from this once and only
/// updates texts and visibility afterwards.
struct TrayMenuModel final {
    TrayMenuModel() = delete;

    static constexpr std::string_view kUpdateNow = "Update Now";
    static constexpr std::string_view kPause = "Pause";
    static constexpr std::string_view kResume = "Resume";
    static constexpr std::string_view kCheckForUpdates = "Check for Updates\u2026";
    static constexpr std::string_view kEditVibes = "Edit Vibes\u2026";
    static constexpr std::string_view kSettings = "Settings\u2026";
    /// Opens the Sources settings on Linux, where a player that cannot be read says why.
    static constexpr std::string_view kFixMusicAppAccess = "Fix Music App Access\u2026";
    static constexpr std::string_view kQuit = "Quit Nimbrel";

    /// What choosing an item does.
    enum class Action {
        none,
        updateNow,
        togglePause,
        checkForUpdates,
        editVibes,
        openSettings,
        /// Opens the settings where workspaces are connected.
        connectSlack,
        openSourcesSettings,
        quit
    };

    struct Item {
        /// A separator has no text and no action.
        bool isSeparator = false;
        std::string text;
        /// In QKeySequence's portable form ("Ctrl+E"); empty for none.
        std::string shortcut;
        bool isVisible = true;
        Action action = Action::none;
        friend bool operator==(const Item&, const Item&) = default;
    };

    /// What of the engine the menu depends on.
    struct Inputs {
        bool isPaused = false;
        /// Any workspace is configured.
        bool hasAccounts = false;
        /// Any workspace's token was rejected by Slack (or is missing from the keyring).
        bool needsReconnect = false;
        /// The last reading of the players was an error.
        bool readingFailed = false;
        friend bool operator==(const Inputs&, const Inputs&) = default;
    };

    /// The engine's Slack action: "Connect Slack" with no workspace, "Reconnect Slack" when one needs it,
    /// otherwise none.
    static std::optional<std::string_view> slackActionLabel(bool hasAccounts, bool needsReconnect);
    /// The inputs as the engine holds them now.
    static Inputs inputs(const EngineViewModel& engine);
    /// Every item, always the same number in the same order; the optional ones are hidden when they do not
    /// apply (a hidden Slack item has no text).
    static std::vector<Item> items(const Inputs& inputs);
};

} // namespace nimbrel
