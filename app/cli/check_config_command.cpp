#include "app/cli/check_config_command.h"

#include <filesystem>
#include <span>
#include <variant>

#include "app/cli/command_line.h"
#include "app/storage/app_folder.h"
#include "app/storage/config_store.h"
#include "core/config/config_decode_report.h"
#include "core/config/vibe_config.h"

namespace nimbrel::cli {
namespace {

constexpr std::string_view kCommandPrefix = "nimbrel check-config: ";

std::string counted(std::size_t count, std::string_view singular, std::string_view plural) {
    return std::to_string(count) + " " + std::string(count == 1 ? singular : plural);
}

} // namespace

std::string CheckConfigCommand::summary(const VibeConfig& config) {
    std::string line = "valid: " + counted(config.vibes.size(), "vibe", "vibes");
    line += config.defaultVibe ? ", default vibe " + inQuotes(config.defaultVibe->name) : ", no default vibe";
    line += ", theme " + inQuotes(config.themeID);
    line += ", template " + inQuotes(config.statusFormat);
    line += ", players ";
    if (config.sources.empty()) {
        line += "none";
    }
    for (std::size_t i = 0; i < config.sources.size(); ++i) {
        line += (i == 0 ? "" : ", ") + std::string(config.sources[i].rawValue());
    }
    line += ", when music stops " + std::string(config.whenMusicStops.rawValue());
    line += ", " + counted(config.slackAccounts.size(), "Slack workspace", "Slack workspaces") + ".";
    return line;
}

int CheckConfigCommand::run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    ParsedArguments parsed;
    try {
        parsed = parseArguments(arguments, std::span<const OptionSpec>(), 1);
    } catch (const UsageError& error) {
        err << kCommandPrefix << error.what() << "\n\n" << kHelp;
        return kExitUsage;
    }
    if (parsed.helpRequested) {
        out << kHelp;
        return kExitValid;
    }

    // Only looks: unlike the program, checking never creates the folder or writes a first-run file.
    const std::filesystem::path file = parsed.positionals.empty()
                                           ? AppFolder::fromEnvironment().path() / AppFolder::kConfigFileName
                                           : std::filesystem::path(parsed.positionals.front());
    const ConfigReading reading = ConfigStore::read(file);
    const ConfigDecodeReport& report = reading.report;
    if (!report.isReadable()) {
        err << kCommandPrefix << reading.failure(file) << '\n';
        if (!reading.file.isFound() && parsed.positionals.empty()) {
            err << kCommandPrefix << kNoFileYet << '\n';
        }
        return kExitInvalid;
    }
    out << file.string() << ": " << summary(*report.config) << '\n';
    for (const ConfigNotice& notice : report.notices) {
        out << kNoticePrefix << notice.message() << '\n';
    }
    return kExitValid;
}

int runCheckConfig(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    return CheckConfigCommand::run(arguments, out, err);
}

} // namespace nimbrel::cli
