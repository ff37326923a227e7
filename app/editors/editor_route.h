#pragma once

#include <QUuid>
#include <string>

namespace nimbrel {

/// What the vibe editor's detail pane shows. A route names its vibe or theme by identity, so it survives
/// renames; one whose vibe or theme is gone stays put and the pane says so.
struct EditorRoute {
    enum class Kind { vibe, theme, formatting, genres, defaultVibe };

    Kind kind = Kind::formatting;
    /// The vibe's editor identity, for `vibe`.
    QUuid vibe;
    /// The theme's id, for `theme`.
    std::string themeID;

    static EditorRoute toVibe(const QUuid& id) { return {.kind = Kind::vibe, .vibe = id, .themeID = {}}; }
    static EditorRoute toTheme(std::string id) { return {.kind = Kind::theme, .vibe = {}, .themeID = std::move(id)}; }
    static EditorRoute formatting() { return {.kind = Kind::formatting, .vibe = {}, .themeID = {}}; }
    static EditorRoute genres() { return {.kind = Kind::genres, .vibe = {}, .themeID = {}}; }
    static EditorRoute defaultVibe() { return {.kind = Kind::defaultVibe, .vibe = {}, .themeID = {}}; }

    friend bool operator==(const EditorRoute&, const EditorRoute&) = default;
};

} // namespace nimbrel
