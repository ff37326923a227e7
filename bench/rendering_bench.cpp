#include <string>

#include <benchmark/benchmark.h>

#include "core/rendering/status_text.h"
#include "core/text/graphemes.h"
#include "core/theme/status_theme.h"

namespace nimbrel {
namespace {

// A realistic hard case: a body of exactly 100 characters mixing scripts, emoji and combining marks, so
// the transform, the measuring and the trimming all do real work.
std::string hundredCharacterBody() {
    std::string body = "Caf\u00E9 del Mar \u00B7 Sigur R\u00F3s \u2014 Hopp\u00EDpolla \U0001F3B5\U0001F44D\U0001F3FD "
                       "\U0001F1EF\U0001F1F5 e\u0301\u0323 \u30CE\u309A stra\u00DFe ";
    while (Graphemes::count(body) < 100) {
        body += "beats and bars ";
    }
    return std::string(Graphemes::prefix(body, 100));
}

// Each transform under the "dagger" decoration at Slack's limit: the body overflows by four characters,
// so every call transforms, measures, cuts and re-measures.
void applyWithTransform(benchmark::State& state) {
    StatusTheme theme = StatusTheme::dagger();
    theme.transform = TextTransform::allCases()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(std::string(theme.transform.rawValue()));
    const std::string body = hundredCharacterBody();
    for (auto _ : state) {
        std::string result = theme.apply(body, StatusText::slackLimit);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(applyWithTransform)->DenseRange(0, 4);

void clampHundredCharacters(benchmark::State& state) {
    const std::string body = hundredCharacterBody() + "x";
    for (auto _ : state) {
        std::string result = StatusText::clamp(body, StatusText::slackLimit);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(clampHundredCharacters);

} // namespace
} // namespace nimbrel
