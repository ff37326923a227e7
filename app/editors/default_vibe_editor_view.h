#pragma once

#include <QWidget>
#include <optional>

#include "core/rendering/slack_emoji.h"

class QCheckBox;

namespace nimbrel {

class VibeBasicsForm;
class VibesEditorModel;

/// The screen of the default vibe, used when nothing matches: whether there is one, and its name, status
/// text and emoji (kept while it is switched off, so switching it back on restores them).
class DefaultVibeEditorView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DefaultVibeEditorView)

public:
    /// `editor` must outlive the screen.
    explicit DefaultVibeEditorView(VibesEditorModel& editor, QWidget* parent = nullptr);

    void setWorkspaceEmoji(const std::optional<SlackEmoji::Workspace>& emoji);

    QCheckBox* useDefaultSwitch() const { return m_use; }
    VibeBasicsForm* basics() const { return m_basics; }

private:
    void refresh();

    VibesEditorModel& m_editor;
    QCheckBox* m_use = nullptr;
    VibeBasicsForm* m_basics = nullptr;
};

} // namespace nimbrel
