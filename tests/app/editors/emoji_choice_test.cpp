#include "app/editors/emoji_choice.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using Kind = EmojiChoice::StatusLine::Kind;
using Category = SlackEmoji::Category;

const SlackEmoji::Workspace kWorkspace{{"party_blob", "https://emoji.example/party_blob.gif"},
                                       {"partyparrot", "https://emoji.example/partyparrot.gif"},
                                       {"shipit", "alias:squirrel"},
                                       {"squirrel", "https://emoji.example/squirrel.png"}};

std::vector<std::string> shortcodes(const std::vector<SlackEmoji::Entry>& entries) {
    std::vector<std::string> result;
    for (const auto& entry : entries) {
        result.push_back(entry.shortcode);
    }
    return result;
}

TEST(EmojiChoice, StatusLineJudgesTheNormalisedValue) {
    const std::optional<SlackEmoji::Workspace> none;
    const std::optional<SlackEmoji::Workspace> empty = SlackEmoji::Workspace{};
    const std::optional<SlackEmoji::Workspace> workspace = kWorkspace;
    const struct {
        std::string value;
        const std::optional<SlackEmoji::Workspace>* workspace;
        std::string text;
        Kind kind;
    } cases[] = {
        {"", &workspace, "", Kind::none},
        {"   ", &none, "", Kind::none},
        {" :ZAP: ", &none, "Renders in Slack \u2713", Kind::ok},
        {"headphones", &workspace, "Renders in Slack \u2713", Kind::ok},
        {":+1:", &empty, "Renders in Slack \u2713", Kind::ok},
        {":Party_Blob:", &workspace, "Custom emoji in your workspace \u2713", Kind::ok},
        {":party_blob:", &none, "Connect Slack to verify this renders \u2014 sent as-is for now.", Kind::warning},
        {":nope:", &workspace, "Slack won\u2019t render :nope: in your workspace.", Kind::warning},
        // A connected workspace without custom emoji still knows that a name is not one of them.
        {"Party_Blob", &empty, "Slack won\u2019t render :party_blob: in your workspace.", Kind::warning},
        // Not a name at all: shown as written.
        {" so happy ", &workspace, "Slack won\u2019t render so happy in your workspace.", Kind::warning},
        {"::", &workspace, "Slack won\u2019t render :: in your workspace.", Kind::warning},
    };
    for (const auto& c : cases) {
        const EmojiChoice::StatusLine line = EmojiChoice::statusLine(c.value, *c.workspace);
        EXPECT_EQ(line.text, c.text) << "value '" << c.value << "'";
        EXPECT_EQ(line.kind, c.kind) << "value '" << c.value << "'";
    }
}

TEST(EmojiChoice, ContentFiltersTheTabAndTheWorkspace) {
    // An empty search shows the whole tab, in the catalogue's order, and every custom emoji, sorted.
    const auto all = EmojiChoice::content("", Category::music, kWorkspace);
    EXPECT_EQ(all.entries.size(), 13U);
    EXPECT_EQ(all.entries.front().shortcode, "headphones");
    EXPECT_EQ(all.workspaceNames, (std::vector<std::string>{"party_blob", "partyparrot", "shipit", "squirrel"}));
    EXPECT_FALSE(all.custom);
    EXPECT_EQ(all.noMatch, "");
    EXPECT_EQ(all.firstChoice(), ":headphones:");

    // The search matches aliases, ignores case and the colons typed around a shortcode, and only this tab.
    const auto jazz = EmojiChoice::content("  :JAZZ ", Category::music, kWorkspace);
    EXPECT_EQ(shortcodes(jazz.entries), (std::vector<std::string>{"trumpet", "saxophone"}));
    EXPECT_TRUE(jazz.workspaceNames.empty());
    EXPECT_EQ(jazz.custom, ":jazz:");
    EXPECT_EQ(jazz.customLabel(), "Custom :jazz:");
    EXPECT_TRUE(EmojiChoice::content("jazz", Category::mood, kWorkspace).entries.empty());

    // Only the workspace matches: Return takes its first name.
    const auto party = EmojiChoice::content("PARTY", Category::focus, kWorkspace);
    EXPECT_TRUE(party.entries.empty());
    EXPECT_EQ(party.workspaceNames, (std::vector<std::string>{"party_blob", "partyparrot"}));
    EXPECT_EQ(party.noMatch, "");
    EXPECT_EQ(party.firstChoice(), ":party_blob:");

    // Without a workspace, or with one that has no custom emoji, there is no workspace section.
    EXPECT_FALSE(EmojiChoice::content("", Category::music, std::nullopt).hasWorkspaceSection);
    EXPECT_FALSE(EmojiChoice::content("", Category::music, SlackEmoji::Workspace{}).hasWorkspaceSection);
    EXPECT_TRUE(party.hasWorkspaceSection);
}

TEST(EmojiChoice, NoMatchStillOffersTheTypedShortcode) {
    const auto typed = EmojiChoice::content(" Dancing-Cat ", Category::symbols, kWorkspace);
    EXPECT_TRUE(typed.entries.empty());
    EXPECT_TRUE(typed.workspaceNames.empty());
    EXPECT_EQ(typed.noMatch, "No emoji match \u201CDancing-Cat\u201D");
    EXPECT_EQ(typed.custom, ":dancing-cat:");
    EXPECT_EQ(typed.firstChoice(), ":dancing-cat:");

    // Text that no shortcode can be gets no custom line, and Return picks nothing.
    for (const char* query : {"so happy", "a:b", "\U0001F3A7"}) {
        const auto content = EmojiChoice::content(query, Category::music, std::nullopt);
        EXPECT_FALSE(content.custom) << query;
        EXPECT_EQ(content.customLabel(), "") << query;
        EXPECT_FALSE(content.firstChoice()) << query;
        EXPECT_EQ(content.noMatch, std::string("No emoji match \u201C") + query + "\u201D") << query;
    }
}

TEST(EmojiChoice, ALargeWorkspaceIsCappedWithANote) {
    SlackEmoji::Workspace large;
    for (int i = 0; i < 450; ++i) {
        large.emplace("emoji_" + std::to_string(1000 + i), "https://emoji.example/x.png");
    }
    const auto all = EmojiChoice::content("", Category::music, large);
    EXPECT_EQ(all.workspaceNames.size(), EmojiChoice::kWorkspaceCap);
    EXPECT_EQ(all.workspaceMatchCount, 450U);
    EXPECT_EQ(all.workspaceNames.front(), "emoji_1000");
    EXPECT_EQ(all.moreNote(), "Showing the first 200 of 450 \u2014 type to narrow the list.");

    const auto narrowed = EmojiChoice::content("emoji_14", Category::music, large);
    EXPECT_EQ(narrowed.workspaceNames.size(), 50U);
    EXPECT_EQ(narrowed.moreNote(), "");
}

TEST(EmojiChoice, ThePickerOpensOnTheValuesTab) {
    EXPECT_EQ(EmojiChoice::categoryOf(" :ZAP: "), Category::mood);
    EXPECT_EQ(EmojiChoice::categoryOf(":headphones:"), Category::music);
    EXPECT_FALSE(EmojiChoice::categoryOf(":party_blob:"));
    EXPECT_FALSE(EmojiChoice::categoryOf(""));
}

} // namespace
} // namespace nimbrel
