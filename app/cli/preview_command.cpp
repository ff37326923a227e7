#include "app/cli/preview_command.h"

#include <array>
#include <optional>
#include <variant>

#include <nlohmann/json.hpp>

#include "app/cli/command_line.h"
#include "app/log/log_sink.h"
#include "app/storage/app_folder.h"
#include "app/storage/config_store.h"
#include "core/config/vibe_config.h"
#include "core/matching/vibe_engine.h"
#include "core/rendering/slack_emoji.h"
#include "core/rendering/status_text.h"
#include "core/text/graphemes.h"

namespace nimbrel::cli {
namespace {

constexpr std::string_view kCommandPrefix = "nimbrel preview: ";

constexpr std::array kOptions = {
    OptionSpec{"--artist", true, false}, OptionSpec{"--track", true, false}, OptionSpec{"--genre", true, true},
    OptionSpec{"--config", true, false}, OptionSpec{"--json", false, false},
};

// The configuration to preview with, and the exit status when the file could not be used.
std::variant<VibeConfig, int> loadConfig(const std::optional<std::string>& file, std::ostream& err, int& fileStatus) {
    if (file) {
        ConfigReading reading = ConfigStore::read(*file);
        if (!reading.report.config) {
            err << kCommandPrefix << reading.failure(*file) << '\n';
            return PreviewCommand::kExitFileError;
        }
        return std::move(reading.config);
    }

    // The user's file, loaded exactly as the program loads it. The program falls back silently; a
    // preview says so, because the user is looking at what their file would do, and its exit status
    // says so to a script.
    const LogSink log = [&err, appLog = appLogSink()](LogLevel level, std::string_view line) {
        appLog(level, line);
        if (level != LogLevel::debug) {
            err << kCommandPrefix << line << '\n';
        }
    };
    ConfigStore store(AppFolder::fromEnvironment(), log);
    VibeConfig config = store.load();
    if (const std::optional<UnreadableConfig>& unreadable = store.unreadable()) {
        err << kCommandPrefix << "warning: " << store.path().string() << ' ' << PreviewCommand::kFallbackWarning
            << unreadable->description() << '\n';
        fileStatus = PreviewCommand::kExitFileError;
    }
    return config;
}

std::string matchReason(const VibeResolution& resolution) {
    if (!resolution.hit) {
        return std::string(PreviewCommand::kDefaultVibeReason);
    }
    const std::string_view hit = *resolution.hit;
    if (hit.starts_with(VibeResolution::kArtistNameHitPrefix)) {
        return "matched " + inQuotes(hit.substr(VibeResolution::kArtistNameHitPrefix.size())) +
               " in the artist\u2019s name";
    }
    return "matched " + inQuotes(hit) + " in the genres";
}

// Text that came from the command line may be any bytes; JSON output must stay valid UTF-8.
std::string dumped(const nlohmann::ordered_json& json) {
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace

int PreviewCommand::run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    ParsedArguments parsed;
    try {
        parsed = parseArguments(arguments, kOptions, 0);
        if (!parsed.helpRequested) {
            for (const std::string_view required : {"--artist", "--track"}) {
                if (!parsed.has(required)) {
                    throw UsageError(std::string(required) + " is required");
                }
            }
        }
    } catch (const UsageError& error) {
        err << kCommandPrefix << error.what() << "\n\n" << kHelp;
        return kExitUsage;
    }
    if (parsed.helpRequested) {
        out << kHelp;
        return kExitMatched;
    }

    int fileStatus = kExitMatched;
    std::variant<VibeConfig, int> loaded = loadConfig(parsed.value("--config"), err, fileStatus);
    if (const int* status = std::get_if<int>(&loaded)) {
        return *status;
    }
    const VibeConfig& config = std::get<VibeConfig>(loaded);
    const std::string artist = parsed.value("--artist").value_or("");
    const std::string track = parsed.value("--track").value_or("");
    const std::optional<VibeResolution> resolution = VibeEngine::resolve(config, parsed.allValues("--genre"), artist);
    const bool json = parsed.has("--json");

    if (!resolution) {
        if (json) {
            out << dumped(nlohmann::ordered_json{{"vibe", nullptr}, {"hit", nullptr}}) << '\n';
        } else {
            out << kNoVibe << '\n';
        }
        return fileStatus != kExitMatched ? fileStatus : kExitNoVibe;
    }

    const Vibe& vibe = resolution->vibe;
    const std::string statusText = StatusText::render(config, vibe, artist, track);
    const std::size_t length = Graphemes::count(statusText);
    const StatusTheme theme = config.resolvedTheme(vibe);
    if (json) {
        nlohmann::ordered_json object;
        object["vibe"] = vibe.name;
        object["hit"] = resolution->hit ? nlohmann::ordered_json(*resolution->hit) : nlohmann::ordered_json(nullptr);
        object["status_text"] = statusText;
        object["status_emoji"] = vibe.statusEmoji;
        object["theme"] = theme.name;
        object["length"] = length;
        out << dumped(object) << '\n';
        return fileStatus;
    }

    const std::string glyph = SlackEmoji::display(vibe.statusEmoji);
    out << "Vibe:    " << vibe.name << " (" << matchReason(*resolution) << ")\n"
        << "Status:  " << statusText << '\n'
        << "Length:  " << length << " of " << StatusText::slackLimit << " characters\n"
        << "Emoji:   " << vibe.statusEmoji << (glyph != vibe.statusEmoji ? " " + glyph : "") << '\n'
        << "Theme:   " << theme.name << '\n';
    return fileStatus;
}

int runPreview(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    return PreviewCommand::run(arguments, out, err);
}

} // namespace nimbrel::cli
