#include "app/editors/emoji_choice.h"

#include "core/text/casing.h"
#include "core/text/whitespace.h"

namespace nimbrel {
namespace {

/// Whether the text is made only of the characters a Slack emoji name may have.
bool isShortcodeName(std::string_view name) {
    // A colon on both sides is what makes the catalogue judge the name by its characters alone.
    return !name.empty() && SlackEmoji::looksLikeShortcode(EmojiChoice::colonized(name));
}

} // namespace

std::string EmojiChoice::Content::customLabel() const {
    return custom ? std::string(kCustom) + " " + *custom : std::string();
}

std::string EmojiChoice::Content::moreNote() const {
    if (workspaceMatchCount <= workspaceNames.size()) {
        return {};
    }
    return "Showing the first " + std::to_string(workspaceNames.size()) + " of " + std::to_string(workspaceMatchCount) +
           " \u2014 type to narrow the list.";
}

std::optional<std::string> EmojiChoice::Content::firstChoice() const {
    if (!entries.empty()) {
        return entries.front().colonized();
    }
    if (!workspaceNames.empty()) {
        return colonized(workspaceNames.front());
    }
    return custom;
}

EmojiChoice::StatusLine EmojiChoice::statusLine(std::string_view value,
                                                const std::optional<SlackEmoji::Workspace>& workspace) {
    const std::string name = SlackEmoji::normalize(value);
    if (name.empty()) {
        return {};
    }
    if (SlackEmoji::glyph(name)) {
        return {std::string(kRendersInSlack), StatusLine::Kind::ok};
    }
    if (!workspace) {
        return {std::string(kConnectToVerify), StatusLine::Kind::warning};
    }
    if (workspace->contains(name)) {
        return {std::string(kCustomInWorkspace), StatusLine::Kind::ok};
    }
    // Name it the way Slack would (":party_blob:") when it is a name at all; anything else, such as a
    // pasted emoji character, as the user wrote it.
    const std::string shown = isShortcodeName(name) ? colonized(name) : std::string(Whitespace::trimmed(value));
    return {std::string(kWontRender) + " " + shown + " " + std::string(kInYourWorkspace), StatusLine::Kind::warning};
}

EmojiChoice::Content EmojiChoice::content(std::string_view query, SlackEmoji::Category category,
                                          const std::optional<SlackEmoji::Workspace>& workspace) {
    Content content;
    const std::string term = searchTerm(query);
    for (const SlackEmoji::Entry& entry : SlackEmoji::curated()) {
        if (entry.category == category && entry.matches(term)) {
            content.entries.push_back(entry);
        }
    }
    if (workspace && !workspace->empty()) {
        content.hasWorkspaceSection = true;
        // The map keeps the names sorted already.
        for (const auto& [name, value] : *workspace) {
            if (!term.empty() && Casing::lowercased(name).find(term) == std::string::npos) {
                continue;
            }
            ++content.workspaceMatchCount;
            if (content.workspaceNames.size() < kWorkspaceCap) {
                content.workspaceNames.push_back(name);
            }
        }
    }
    if (isShortcodeName(term)) {
        content.custom = colonized(term);
    }
    if (content.entries.empty() && content.workspaceMatchCount == 0) {
        content.noMatch =
            std::string(kNoMatchOpen) + std::string(Whitespace::trimmed(query)) + std::string(kNoMatchClose);
    }
    return content;
}

std::string EmojiChoice::searchTerm(std::string_view query) {
    std::string_view term = Whitespace::trimmed(query);
    while (!term.empty() && term.front() == ':') {
        term.remove_prefix(1);
    }
    while (!term.empty() && term.back() == ':') {
        term.remove_suffix(1);
    }
    return Casing::lowercased(Whitespace::trimmed(term));
}

std::string EmojiChoice::colonized(std::string_view name) {
    return ":" + std::string(name) + ":";
}

std::optional<SlackEmoji::Category> EmojiChoice::categoryOf(std::string_view value) {
    const std::string name = SlackEmoji::normalize(value);
    for (const SlackEmoji::Entry& entry : SlackEmoji::curated()) {
        if (entry.shortcode == name) {
            return entry.category;
        }
    }
    return std::nullopt;
}

} // namespace nimbrel
