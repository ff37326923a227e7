#include "app/cli/doctor_command.h"

#include <array>
#include <chrono>

#include "app/cli/command_line.h"
#include "app/storage/app_state_store.h"
#include "app/storage/atomic_file.h"
#include "app/storage/genre_cache_store.h"
#include "core/config/built_in_config.h"

namespace nimbrel::cli {
namespace {

constexpr std::string_view kCommandPrefix = "nimbrel doctor: ";
constexpr std::array kOptions = {OptionSpec{"--json", false, false}};

constexpr std::string_view kBuiltInOrigin = "the built-in vibes: config.json does not exist yet";
constexpr std::string_view kFallbackOrigin = "the built-in vibes, which the program uses while config.json is "
                                             "unreadable";

DoctorFile fileCondition(std::string_view name, bool found, const std::optional<std::string>& problem) {
    if (!found) {
        return {std::string(name), DoctorFile::Condition::missing, ""};
    }
    if (problem) {
        return {std::string(name), DoctorFile::Condition::unreadable, *problem};
    }
    return {std::string(name), DoctorFile::Condition::present, ""};
}

// The configuration as the program's loader would settle on it, read without its first-run write.
DoctorFile readConfig(const std::filesystem::path& file, DoctorInputs& inputs) {
    const std::string_view name = AppFolder::kConfigFileName;
    const FileReadResult read = AtomicFile::read(file);
    std::optional<std::string> problem;
    bool found = true;
    if (const FileError* error = std::get_if<FileError>(&read)) {
        found = !error->isNotFound();
        if (found) {
            problem = error->description();
        }
    } else {
        try {
            inputs.config = VibeConfig::decode(std::get<std::string>(read));
            inputs.configOrigin = std::string(name);
            return fileCondition(name, true, std::nullopt);
        } catch (const DecodeError& decodeError) {
            problem = decodeError.location().empty() ? decodeError.reason()
                                                     : decodeError.location() + ": " + decodeError.reason();
        }
    }
    inputs.config = builtInConfig().value_or(VibeConfig());
    inputs.configOrigin = found ? kFallbackOrigin : kBuiltInOrigin;
    return fileCondition(name, found, problem);
}

} // namespace

DoctorInputs gatherDoctorInputs(const AppFolder& folder, Instant now) {
    DoctorInputs inputs;
    inputs.folder = folder.path();
    inputs.now = now;
    // Paths are joined by hand rather than located: locating creates the folder, and the doctor only looks.
    inputs.files.push_back(readConfig(folder.path() / AppFolder::kConfigFileName, inputs));

    AppStateStore::Loaded state = AppStateStore::load(folder.path() / AppFolder::kStateFileName, {});
    inputs.files.push_back(fileCondition(AppFolder::kStateFileName, state.fileFound, state.problem));
    inputs.state.state = std::move(state.state);
    inputs.state.discardedSelfSnapshots = std::move(state.discardedSelfSnapshots);
    inputs.state.unreadableRecords = std::move(state.unreadableRecords);

    GenreCacheStore::Loaded cache = GenreCacheStore::load(folder.path() / AppFolder::kGenreCacheFileName, {});
    inputs.files.push_back(fileCondition(AppFolder::kGenreCacheFileName, cache.fileFound, cache.problem));
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
