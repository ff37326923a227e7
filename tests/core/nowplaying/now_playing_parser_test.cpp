#include "core/nowplaying/now_playing_parser.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

TEST(NowPlayingParser, ParsesEveryShapeOfOutput) {
    const NowPlaying kNoResponse = NowPlaying::error(std::string(NowPlayingParser::kNoResponseDetail));
    const struct {
        const char* label;
        std::string output;
        NowPlaying expected;
    } cases[] = {
        {"empty", "", kNoResponse},
        {"only spaces and line breaks", " \n\r\n\t ", kNoResponse},
        {"not running", "notrunning", NowPlaying::notRunning()},
        {"not running is case-sensitive", "NotRunning", NowPlaying::notPlaying("NotRunning", "", "")},
        {"state alone", "paused", NowPlaying::notPlaying("paused", "", "")},
        {"playing with track", "playing\tBonobo\tKerala", NowPlaying::playing("Bonobo", "Kerala")},
        {"playing is case-sensitive", "Playing\tBonobo\tKerala", NowPlaying::notPlaying("Playing", "Bonobo", "Kerala")},
        {"title keeps inner tab", "playing\tA\tB\tC", NowPlaying::playing("A", "B\tC")},
        {"empty artist", "playing\t\tTitle", NowPlaying::playing("", "Title")},
        {"trailing tab trimmed with empty track", "playing\tArtist\t", NowPlaying::playing("Artist", "")},
        {"inner spaces stay", "stopped\t Artist \t Title", NowPlaying::notPlaying("stopped", " Artist ", " Title")},
        {"outer white space trimmed", "\n playing\tA\tT \r\n", NowPlaying::playing("A", "T")},
        {"unicode texts", "playing\tSigur R\u00F3s\t\U0001F3B5 Hopp\u00EDpolla",
         NowPlaying::playing("Sigur R\u00F3s", "\U0001F3B5 Hopp\u00EDpolla")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NowPlayingParser::parse(c.output), c.expected) << c.label;
    }
}

} // namespace
} // namespace nimbrel
