#include <chrono>
#include <string>

#include <benchmark/benchmark.h>

#include "core/config/built_in_config.h"
#include "core/config/vibe_config.h"
#include "core/genres/genre_cache.h"
#include "core/ownership/app_state.h"

namespace nimbrel {
namespace {

void configDecode(benchmark::State& state) {
    const std::string_view document = builtInConfigText;
    for (auto _ : state) {
        VibeConfig config = VibeConfig::decode(document);
        benchmark::DoNotOptimize(config);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(document.size()));
}
BENCHMARK(configDecode);

void configEncode(benchmark::State& state) {
    const VibeConfig config = VibeConfig::decode(builtInConfigText);
    for (auto _ : state) {
        std::string bytes = config.encodedData();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(configEncode);

// A state as a long-time user with three workspaces has it: records with snapshots, a full recent list.
void stateDecode(benchmark::State& state) {
    AppState appState;
    const Instant now{std::chrono::sys_days(std::chrono::December / 1 / 2026)};
    for (const char* team : {"T0001", "T0002", "T0003"}) {
        appState.snapshot(SlackStatus{"In a meeting", ":calendar:", 1'800'000'000}, now, team);
        for (int i = 0; i < 10; ++i) {
            appState.recordWrite(SlackStatus{"Vibe " + std::to_string(i) + " \u00B7 Track", ":zap:", 0},
                                 "key" + std::to_string(i), team);
        }
    }
    const std::string bytes = appState.encodedData();
    for (auto _ : state) {
        AppStateReading reading = AppState::decode(bytes);
        benchmark::DoNotOptimize(reading);
    }
}
BENCHMARK(stateDecode);

// The doctor lists every genre of the cache; a cache of many distinct genres must not take quadratic time.
void observedGenres(benchmark::State& state) {
    const Instant now{std::chrono::sys_days(std::chrono::December / 1 / 2026)};
    GenreCache cache;
    for (std::int64_t index = 0; index < state.range(0); ++index) {
        cache.record("genre " + std::to_string(index), "artist " + std::to_string(index), now);
    }
    for (auto _ : state) {
        std::vector<std::string> genres = cache.observedGenres();
        benchmark::DoNotOptimize(genres);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(observedGenres)->RangeMultiplier(4)->Range(1000, 64000)->Complexity()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace nimbrel
