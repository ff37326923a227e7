#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel::cli {

/// One option a command accepts, spelled with its dashes ("--artist").
struct OptionSpec {
    std::string_view name;
    /// Takes a value, as "--name VALUE" or "--name=VALUE"; otherwise it is a switch.
    bool takesValue = false;
    /// May be given more than once; the values are kept in order.
    bool repeatable = false;
};

/// The command line does not fit the command; the message says why, for the user.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What a command was given: option values, switches and plain arguments.
struct ParsedArguments {
    /// Values by option name, in the order given.
    std::map<std::string, std::vector<std::string>, std::less<>> values;
    std::set<std::string, std::less<>> switches;
    std::vector<std::string> positionals;
    /// "--help" or "-h" was given before any "--"; nothing else is parsed then.
    bool helpRequested = false;

    bool has(std::string_view option) const;
    /// The value of an option given once, or none.
    std::optional<std::string> value(std::string_view option) const;
    /// Every value of a repeatable option, possibly none.
    std::vector<std::string> allValues(std::string_view option) const;
};

/// Splits a command's arguments by its options. "--" ends the options; "--help" and "-h" are understood by
/// every command. Throws UsageError for an unknown option, a missing value, a repeated option that may be
/// given once, or more than `maxPositionals` plain arguments.
ParsedArguments parseArguments(const std::vector<std::string>& arguments, std::span<const OptionSpec> options,
                               std::size_t maxPositionals);

/// "“text”": how messages quote what the user typed.
std::string inQuotes(std::string_view text);

} // namespace nimbrel::cli
