#include "app/cli/command_line.h"

#include <algorithm>

namespace nimbrel::cli {

bool ParsedArguments::has(std::string_view option) const {
    return values.contains(option) || switches.contains(option);
}

std::optional<std::string> ParsedArguments::value(std::string_view option) const {
    const auto found = values.find(option);
    if (found == values.end() || found->second.empty()) {
        return std::nullopt;
    }
    return found->second.back();
}

std::vector<std::string> ParsedArguments::allValues(std::string_view option) const {
    const auto found = values.find(option);
    return found == values.end() ? std::vector<std::string>{} : found->second;
}

std::string inQuotes(std::string_view text) {
    return "\u201C" + std::string(text) + "\u201D";
}

ParsedArguments parseArguments(const std::vector<std::string>& arguments, std::span<const OptionSpec> options,
                               std::size_t maxPositionals) {
    ParsedArguments parsed;
    // A request for help wins over every other mistake on the line: it is what the user needs then. The
    // value of an option is no request for help, though: `--track -h` previews a track titled "-h".
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            break;
        }
        if (argument == "--help" || argument == "-h") {
            parsed.helpRequested = true;
            return parsed;
        }
        const auto spec = std::find_if(options.begin(), options.end(),
                                       [&argument](const OptionSpec& option) { return option.name == argument; });
        if (spec != options.end() && spec->takesValue) {
            ++i;
        }
    }

    const auto addPositional = [&](const std::string& argument) {
        if (parsed.positionals.size() >= maxPositionals) {
            throw UsageError("unexpected argument " + inQuotes(argument));
        }
        parsed.positionals.push_back(argument);
    };

    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument == "-" || !argument.starts_with("-")) {
            addPositional(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const auto spec = std::find_if(options.begin(), options.end(),
                                       [&name](const OptionSpec& option) { return option.name == name; });
        if (spec == options.end()) {
            throw UsageError("unknown option " + inQuotes(name));
        }
        if (!spec->repeatable && parsed.has(name)) {
            throw UsageError(name + " may be given only once");
        }
        if (!spec->takesValue) {
            if (equals != std::string::npos) {
                throw UsageError(name + " takes no value");
            }
            parsed.switches.insert(name);
            continue;
        }
        // The value is taken as it stands, even when it begins with a dash: artists named "-M-" exist.
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            throw UsageError(name + " needs a value");
        }
        parsed.values[name].push_back(std::move(value));
    }
    return parsed;
}

} // namespace nimbrel::cli
