#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/config/built_in_config.h"
#include "core/matching/vibe_engine.h"
#include "core/rendering/slack_emoji.h"
#include "core/rendering/status_text.h"

namespace nimbrel {
namespace {

struct Track {
    std::string artist;
    std::string title;
    std::vector<std::string> genres;
};

// A spread of real-looking tracks: matched by genre, matched by the artist's name only, unmatched (the
// default vibe), long titles that must be shortened, and non-Latin text.
const std::vector<Track>& tracks() {
    static const std::vector<Track> all = {
        {"Bonobo", "Kerala", {"Electronic"}},
        {"Sigur R\u00F3s", "Hopp\u00EDpolla", {"Alternative", "Post-Rock"}},
        {"Nils Frahm", "Says (Live at the Royal Albert Hall, Remastered Deluxe Anniversary Edition 2024)", {}},
        {"Miles Davis", "So What", {"Jazz"}},
        {"\u5742\u672C\u9F8D\u4E00", "Merry Christmas Mr. Lawrence \U0001F384", {"Soundtrack"}},
        {"Unknown Garage Band", "Demo #4", {}},
    };
    return all;
}

// One track through what the engine does per track change: resolve the vibe from the genres and the
// artist, then render the status line. The built-in configuration, as a new user has it.
void perTrackPipeline(benchmark::State& state) {
    const VibeConfig config = builtInConfig().value_or(VibeConfig{});
    std::size_t index = 0;
    for (auto _ : state) {
        const Track& track = tracks()[index++ % tracks().size()];
        const std::optional<VibeResolution> resolution = VibeEngine::resolve(config, track.genres, track.artist);
        if (resolution) {
            std::string status = StatusText::render(config, resolution->vibe, track.artist, track.title);
            benchmark::DoNotOptimize(status);
        }
    }
}
BENCHMARK(perTrackPipeline);

void canonicalizingShortcodes(benchmark::State& state) {
    const std::string text =
        "Deep focus :headphones: \u00B7 :zap::fire: Kerala :notashortcode: \U0001F3B5 :musical_note:";
    for (auto _ : state) {
        std::string canonical = SlackEmoji::canonicalizingShortcodes(text);
        benchmark::DoNotOptimize(canonical);
    }
}
BENCHMARK(canonicalizingShortcodes);

} // namespace
} // namespace nimbrel
