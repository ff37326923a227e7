#include "app/shell/tray_menu_model.h"

#include "app/engine/engine_text.h"
#include "app/engine/engine_view_model.h"

namespace nimbrel {

std::optional<std::string_view> TrayMenuModel::slackActionLabel(bool hasAccounts, bool needsReconnect) {
    if (!hasAccounts) {
        return EngineText::kConnectSlack;
    }
    if (needsReconnect) {
        return EngineText::kReconnectSlack;
    }
    return std::nullopt;
}

TrayMenuModel::Inputs TrayMenuModel::inputs(const EngineViewModel& engine) {
    return {.isPaused = engine.isPaused(),
            .hasAccounts = !engine.config().slackAccounts.empty(),
            .needsReconnect = !engine.slack().rejectedTeamIDs().empty(),
            .readingFailed = engine.lastReadState().isError()};
}

std::vector<TrayMenuModel::Item> TrayMenuModel::items(const Inputs& inputs) {
    const auto entry = [](std::string_view text, Action action, std::string_view shortcut = {}, bool visible = true) {
        return Item{.isSeparator = false,
                    .text = std::string(text),
                    .shortcut = std::string(shortcut),
                    .isVisible = visible,
                    .action = action};
    };
    const Item separator{.isSeparator = true, .text = {}, .shortcut = {}, .isVisible = true, .action = Action::none};
    const std::optional<std::string_view> slack = slackActionLabel(inputs.hasAccounts, inputs.needsReconnect);
    return {
        entry(kUpdateNow, Action::updateNow),
        entry(inputs.isPaused ? kResume : kPause, Action::togglePause),
        separator,
        entry(kCheckForUpdates, Action::checkForUpdates),
        entry(kEditVibes, Action::editVibes, "Ctrl+E"),
        entry(kSettings, Action::openSettings, "Ctrl+,"),
        entry(slack ? std::string(*slack) + "\u2026" : std::string(), Action::connectSlack, {}, slack.has_value()),
        entry(kFixMusicAppAccess, Action::openSourcesSettings, {}, inputs.readingFailed),
        separator,
        entry(kQuit, Action::quit, "Ctrl+Q"),
    };
}

} // namespace nimbrel
