#include <string>

#include <benchmark/benchmark.h>

#include "core/text/casing.h"
#include "core/text/graphemes.h"

namespace nimbrel {
namespace {

const std::string kAsciiTitle = "Everything In Its Right Place - Remastered 2009 (Live at the Roundhouse)";
const std::string kMixedTitle = "Hopp\u00EDpolla \U0001F3B5\U0001F44D\U0001F3FD \U0001F1EF\U0001F1F5 "
                                "\U0001F468\u200D\U0001F469\u200D\U0001F467 e\u0301\u0323 \u30CE\u309A stra\u00DFe";

void countGraphemesAscii(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Graphemes::count(kAsciiTitle));
    }
}
BENCHMARK(countGraphemesAscii);

void countGraphemesMixed(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Graphemes::count(kMixedTitle));
    }
}
BENCHMARK(countGraphemesMixed);

void foldForMatching(benchmark::State& state) {
    for (auto _ : state) {
        std::string folded = Casing::folded(kMixedTitle);
        benchmark::DoNotOptimize(folded);
    }
}
BENCHMARK(foldForMatching);

} // namespace
} // namespace nimbrel
