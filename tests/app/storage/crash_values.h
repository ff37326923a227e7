#pragma once

#include <chrono>

#include "core/config/built_in_config.h"
#include "core/config/vibe_config.h"
#include "core/genres/genre_cache.h"
#include "core/ownership/app_state.h"

namespace nimbrel::testing {

/// The two versions of each file that the crash test's writer alternates between. Each pair differs in
/// size and content, so a torn or mixed file matches neither.
struct CrashValues {
    VibeConfig config[2];
    AppState state[2];
    GenreCache cache[2];
    Instant now;

    static CrashValues make() {
        CrashValues values;
        values.now = Instant(std::chrono::sys_days(std::chrono::December / 1 / 2026));
        values.config[0] = builtInConfig().value_or(VibeConfig{});
        values.config[1] = values.config[0];
        values.config[1].pollSeconds = 300;
        values.config[1].vibes.resize(2);
        values.config[1].statusFormat = "{vibe} \u00B7 {track}";

        const SlackStatus ours{"Deep focus \u00B7 Kerala", ":headphones:", 0};
        const SlackStatus theirs{"In a meeting", ":calendar:", 1'800'000'000};
        values.state[0].recordWrite(ours, "k1", "T1");
        values.state[1] = values.state[0];
        values.state[1].yield(theirs, values.now, "T1");
        values.state[1].snapshot(theirs, values.now, "T2");
        values.state[1].recordWrite(SlackStatus{"Energy levels: elevated", ":zap:", 0}, "k2", "T2");

        const Instant earlier = values.now - std::chrono::hours(1);
        values.cache[0].record("Electronic", "Bonobo", earlier);
        values.cache[1] = values.cache[0];
        values.cache[1].record("Rock", "Jack Johnson", earlier);
        values.cache[1].record(std::nullopt, "Unknown Garage Band", earlier);
        return values;
    }
};

} // namespace nimbrel::testing
