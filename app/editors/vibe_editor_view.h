#pragma once

#include <QStringList>
#include <QUuid>
#include <QWidget>
#include <optional>

#include "core/rendering/slack_emoji.h"

class QLabel;
class QPushButton;

namespace nimbrel {

class KeywordField;
class LivePreviewModel;
class ThemeOverridePicker;
class VibeBasicsForm;
class VibesEditorModel;

/// The screen of one vibe: name, status text, emoji, match keywords and theme override, each edit made on
/// the editor model at once; whether the playing track matches it, and why; "Delete this vibe".
class VibeEditorView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VibeEditorView)

public:
    /// `editor` and `preview` must outlive the screen.
    VibeEditorView(VibesEditorModel& editor, const LivePreviewModel& preview, QWidget* parent = nullptr);

    /// Shows the vibe with this identity (or "Vibe not found" once it is gone).
    void setVibe(const QUuid& id);
    const QUuid& vibeID() const { return m_id; }
    /// The genres the keyword field suggests.
    void setGenreSuggestions(const QStringList& genres);
    void setWorkspaceEmoji(const std::optional<SlackEmoji::Workspace>& emoji);

    VibeBasicsForm* basics() const { return m_basics; }
    KeywordField* keywordField() const { return m_keywords; }
    ThemeOverridePicker* themePicker() const { return m_theme; }
    QLabel* matchingLabel() const { return m_matching; }
    QPushButton* deleteButton() const { return m_delete; }

Q_SIGNALS:
    /// "Delete this vibe" was pressed; the window deletes it and moves on.
    void deleteRequested(const QUuid& id);

private:
    void refresh();
    void refreshMatching();
    void edit();

    VibesEditorModel& m_editor;
    const LivePreviewModel& m_preview;
    QUuid m_id;
    QWidget* m_fields = nullptr;
    QLabel* m_notFound = nullptr;
    VibeBasicsForm* m_basics = nullptr;
    KeywordField* m_keywords = nullptr;
    ThemeOverridePicker* m_theme = nullptr;
    QLabel* m_matching = nullptr;
    QPushButton* m_delete = nullptr;
};

} // namespace nimbrel
