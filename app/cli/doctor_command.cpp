#include "app/cli/doctor_command.h"

#include <array>
#include <chrono>

#include "app/cli/command_line.h"
#include "app/storage/app_state_store.h"
#include "app/storage/config_store.h"
#include "app/storage/genre_cache_store.h"

namespace nimbrel::cli {
namespace {

constexpr std::string_view kCommandPrefix = "nimbrel doctor: ";
constexpr std::array kOptions = {OptionSpec{"--json", false, false}};

constexpr std::string_view kBuiltInOrigin = "the built-in vibes: config.json does not exist yet";
constexpr std::string_view kFallbackOrigin = "the built-in vibes, which the program uses while config.json is "
                                             "unreadable";

DoctorFile fileCondition(std::string_view name, const FileReading& file) {
    switch (file.condition) {
    case FileReading::Condition::missing:
        return {std::string(name), DoctorFile::Condition::missing, ""};
    case FileReading::Condition::unreadable:
        return {std::string(name), DoctorFile::Condition::unreadable, file.problem.value_or("")};
    case FileReading::Condition::present:
        break;
    }
    return {std::string(name), DoctorFile::Condition::present, ""};
}

} // namespace

DoctorInputs gatherDoctorInputs(const AppFolder& folder, Instant now) {
    DoctorInputs inputs;
    inputs.folder = folder.path();
    inputs.now = now;
    // Each file is read as the program reads it, but the doctor only looks: nothing is created or written.
    ConfigReading config = ConfigStore::read(folder.file(AppFolder::kConfigFileName));
    inputs.files.push_back(fileCondition(AppFolder::kConfigFileName, config.file));
    inputs.config = std::move(config.config);
    inputs.configOrigin = config.report.config    ? std::string(AppFolder::kConfigFileName)
                          : config.file.isFound() ? std::string(kFallbackOrigin)
                                                  : std::string(kBuiltInOrigin);

    AppStateStore::Reading state = AppStateStore::read(folder.file(AppFolder::kStateFileName));
    inputs.files.push_back(fileCondition(AppFolder::kStateFileName, state.file));
    inputs.state = std::move(state.state);

    GenreCacheStore::Reading cache = GenreCacheStore::read(folder.file(AppFolder::kGenreCacheFileName));
    inputs.files.push_back(fileCondition(AppFolder::kGenreCacheFileName, cache.file));
    inputs.genreCache = std::move(cache.cache);
    return inputs;
}

int DoctorCommand::run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    ParsedArguments parsed;
    try {
        parsed = parseArguments(arguments, kOptions, 0);
    } catch (const UsageError& error) {
        err << kCommandPrefix << error.what() << "\n\n" << kHelp;
        return kExitUsage;
    }
    if (parsed.helpRequested) {
        out << kHelp;
        return kExitDone;
    }
    const DoctorInputs inputs = gatherDoctorInputs(AppFolder::fromEnvironment(), std::chrono::system_clock::now());
    if (parsed.has("--json")) {
        out << DoctorReport::json(inputs).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else {
        out << DoctorReport::text(inputs);
    }
    return kExitDone;
}

int runDoctor(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    return DoctorCommand::run(arguments, out, err);
}

} // namespace nimbrel::cli
