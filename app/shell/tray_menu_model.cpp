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
    const Item separator{.isSeparator = true};
    const std::optional<std::string_view> slack = slackActionLabel(inputs.hasAccounts, inputs.needsReconnect);
    return {
        {.text = std::string(kUpdateNow), .action = Action::updateNow},
        {.text = std::string(inputs.isPaused ? kResume : kPause), .action = Action::togglePause},
        separator,
        {.text = std::string(kCheckForUpdates), .action = Action::checkForUpdates},
        {.text = std::string(kEditVibes), .shortcut = "Ctrl+E", .action = Action::editVibes},
        {.text = std::string(kSettings), .shortcut = "Ctrl+,", .action = Action::openSettings},
        {.text = slack ? std::string(*slack) + "\u2026" : std::string(),
         .isVisible = slack.has_value(),
         .action = Action::connectSlack},
        {.text = std::string(kFixMusicAppAccess),
         .isVisible = inputs.readingFailed,
         .action = Action::openSourcesSettings},
        separator,
        {.text = std::string(kQuit), .shortcut = "Ctrl+Q", .action = Action::quit},
    };
}

} // namespace nimbrel
