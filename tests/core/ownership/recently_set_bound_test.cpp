#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/ownership/app_state.h"

namespace nimbrel {
namespace {

// A hand-edited or hostile state file cannot make the program hold (and the doctor print) more recent
// statuses than it ever keeps.
TEST(RecentlySetBound, DecodingKeepsOnlyTheNewestUpToTheLimit) {
    nlohmann::json texts = nlohmann::json::array();
    nlohmann::json emoji = nlohmann::json::array();
    for (int index = 0; index < 200'000; ++index) {
        texts.push_back("status " + std::to_string(index));
        emoji.push_back(":zap:");
    }
    const nlohmann::json document = {
        {"workspaces", nlohmann::json::object()}, {"recently_set_texts", texts}, {"recently_set_emoji", emoji}};
    const AppStateReading reading = AppState::decode(document.dump());
    ASSERT_EQ(reading.state.recentlySet.size(), AppState::recentlySetLimit);
    EXPECT_EQ(reading.state.recentlySet.front().text, "status 0");
    EXPECT_EQ(reading.state.recentlySet.back().text, "status " + std::to_string(AppState::recentlySetLimit - 1));
}

} // namespace
} // namespace nimbrel
