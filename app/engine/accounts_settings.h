#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/engine/connect_phase.h"
#include "core/slack/slack_account.h"

namespace nimbrel {

class EngineViewModel;

/// What the accounts screen shows, worked out without widgets: the connect button, the line about the attempt
/// in flight, one row per workspace with its state and scope warnings, and the fixed explanations. The
/// command line's `nimbrel status` and the D-Bus interface use the rows' plain-word states.
struct AccountsSettings final {
    AccountsSettings() = delete;

    /// The symbols next to texts; `iconName` gives the freedesktop icon that draws each.
    enum class Symbol { none, checkMark, pause, warningTriangle, circularArrow };
    static std::string_view iconName(Symbol symbol);

    static constexpr std::string_view kConnectSlack = "Connect Slack";
    static constexpr std::string_view kAddWorkspace = "Add a Slack workspace\u2026";
    static constexpr std::string_view kFinishing = "Finishing\u2026";
    static constexpr std::string_view kWaitingForSlack = "Waiting for Slack\u2026";
    static constexpr std::string_view kCancel = "Cancel";
    static constexpr std::string_view kRefreshedSuffix = " was already connected \u2014 its details were refreshed.";
    static constexpr std::string_view kPostToggle = "Post my status here";
    static constexpr std::string_view kDisconnect = "Disconnect";
    static constexpr std::string_view kDisconnecting = "Disconnecting\u2026";
    static constexpr std::string_view kPosting = "Posting";
    static constexpr std::string_view kConnectedNotPosting = "Connected, not posting";
    static constexpr std::string_view kProfileReadScope = "users.profile:read";
    static constexpr std::string_view kEmojiReadScope = "emoji:read";
    static constexpr std::string_view kNoProfileRead =
        "Your workspace didn\u2019t grant profile read access, so Nimbrel can\u2019t put your previous status back "
        "when the music stops.";
    static constexpr std::string_view kNoEmojiRead = "Custom workspace emoji won\u2019t appear in the vibe editor.";

    /// The three explanations under the list. The last names this computer and the keyring where macOS says
    /// "this Mac" and "Keychain".
    static constexpr std::string_view kWhichWorkspace =
        "Slack installs into whichever workspace your browser is signed into \u2014 check the workspace name at "
        "the top of Slack\u2019s consent screen before you approve.";
    static constexpr std::string_view kProfileAccess =
        "Slack\u2019s consent screen will mention profile access, which also covers your email and phone number. "
        "Nimbrel reads only your status text, emoji, and expiry \u2014 so it can put your own status back when the "
        "music stops \u2014 and stores nothing else.";
    static constexpr std::string_view kWhereTheTokenLives =
        "Connecting passes your token through the Nimbrel backend, which deletes it the moment this computer "
        "collects it. After that it lives only in your keyring \u2014 one entry per workspace.";

    /// "Finishing…" while claiming; otherwise "Add a Slack workspace…" when a workspace exists, else
    /// "Connect Slack".
    static std::string_view connectButtonTitle(const ConnectPhase& phase, bool hasAccounts);

    /// The line about the attempt: the refreshed workspace, the failure, or "Waiting for Slack…" with a
    /// Cancel button; nothing when idle or claiming (the button says "Finishing…" then).
    struct PhaseLine {
        std::string text;
        Symbol symbol = Symbol::none;
        bool showsCancel = false;
        friend bool operator==(const PhaseLine&, const PhaseLine&) = default;
    };
    static PhaseLine phaseLine(const ConnectPhase& phase);

    enum class RowState { posting, connectedNotPosting, rejected };
    /// One workspace's row.
    struct Row {
        std::string teamID;
        std::string displayName;
        RowState state = RowState::posting;
        /// "Posting", "Connected, not posting" or "Slack rejected this connection (CODE). Reconnect to carry on."
        std::string stateText;
        Symbol symbol = Symbol::none;
        /// The "Post my status here" switch.
        bool isEnabled = true;
        /// The scope warnings shown under the row, profile first.
        std::vector<std::string> warnings;
        /// "Disconnect", or "Disconnecting…" (and not pressable) while that runs.
        std::string disconnectTitle;
        bool canDisconnect = true;
        /// "posting", "connected, not posting" or "rejected (CODE)".
        std::string plainState;
        friend bool operator==(const Row&, const Row&) = default;
    };
    /// The row of an account; `rejectedCode` is what rejected its token, if anything did.
    static Row row(const SlackAccount& account, const std::optional<std::string>& rejectedCode, bool disconnecting);
    /// Every configured workspace's row, in the configuration's order, as the engine holds them now.
    static std::vector<Row> rows(const EngineViewModel& engine, const std::set<std::string>& disconnecting = {});

    /// "Slack rejected this connection (CODE). Reconnect to carry on."
    static std::string rejectedText(std::string_view code);
    /// The plain word the command line prints: "posting", "connected, not posting" or "rejected (CODE)".
    static std::string plainState(const SlackAccount& account, const std::optional<std::string>& rejectedCode);
};

} // namespace nimbrel
