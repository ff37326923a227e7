#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temporary_folder.h"

namespace nimbrel::testing {

/// What a command printed and returned.
struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

template <typename Run>
CommandResult runInProcess(Run run, const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    CommandResult result;
    result.status = run(arguments, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

/// Points the program's folder at a place of the test's choosing for the guard's lifetime.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::string& value)
        : m_name(std::move(name)) {
        if (const char* previous = std::getenv(m_name.c_str())) {
            m_previous = previous;
        }
        ::setenv(m_name.c_str(), value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (m_previous) {
            ::setenv(m_name.c_str(), m_previous->c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

/// A configuration with two vibes and a default, in a form a user might write by hand.
inline constexpr std::string_view kSmallConfig = R"({
  "status_format": "{vibe} · {track} — {artist}",
  "theme": "dagger",
  "default_vibe": {"name": "listening", "status_text": "Music is on", "status_emoji": ":headphones:"},
  "vibes": [
    {"name": "hip-hop", "status_text": "Beats and bars", "status_emoji": ":microphone:", "match": ["rap", "hip hop"]},
    {"name": "quiet", "status_text": "Something quiet", "status_emoji": ":brain:", "match": ["ambient"], "theme": "plain"}
  ]
})";

/// A fresh folder, with NIMBREL_HOME pointing at "home" inside it, so a command never touches the real
/// user's files.
class CommandTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    ScopedEnvironment home{"NIMBREL_HOME", (folder / "home").string()};
};

} // namespace nimbrel::testing
