#include "app/editors/vibe_editor_view.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/editors/keyword_field.h"
#include "app/editors/live_preview_model.h"
#include "app/editors/settings_widgets.h"
#include "app/editors/theme_override_picker.h"
#include "app/editors/vibe_basics_form.h"
#include "app/editors/vibe_editor_text.h"
#include "app/editors/vibes_editor_model.h"

namespace nimbrel {

using settings_widgets::qt;

VibeEditorView::VibeEditorView(VibesEditorModel& editor, const LivePreviewModel& preview, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor)
    , m_preview(preview)
    , m_fields(new QWidget(this))
    , m_notFound(new QLabel(qt(VibeEditorText::kVibeNotFound), this))
    , m_basics(new VibeBasicsForm(qt(VibeEditorText::kNamePlaceholder), qt(VibeEditorText::kStatusTextPlaceholder),
                                  m_fields))
    , m_keywords(new KeywordField(m_fields))
    , m_theme(new ThemeOverridePicker(m_fields))
    , m_matching(new QLabel(m_fields))
    , m_delete(new QPushButton(qt(VibeEditorText::kDeleteVibe), m_fields)) {
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_notFound);
    outer->addWidget(m_fields);
    outer->addStretch();

    auto* column = new QVBoxLayout(m_fields);
    column->setContentsMargins(0, 0, 0, 0);
    m_matching->setWordWrap(true);
    m_matching->setStyleSheet(QStringLiteral("color: #2e9d4c;")); // the sidebar's "matching" green
    column->addWidget(m_matching);
    column->addWidget(m_basics);

    auto* keywords = new QWidget(m_fields);
    auto* keywordColumn = new QVBoxLayout(keywords);
    keywordColumn->setContentsMargins(0, 0, 0, 0);
    m_keywords->setPlaceholderText(qt(VibeEditorText::kKeywordsPlaceholder));
    keywordColumn->addWidget(m_keywords);
    keywordColumn->addWidget(settings_widgets::noteLabel(qt(VibeEditorText::kKeywordsHelp), keywords));
    m_basics->form()->addRow(qt(VibeEditorText::kKeywords), keywords);
    m_basics->form()->addRow(qt(VibeEditorText::kTheme), m_theme);

    m_delete->setAccessibleName(qt(VibeEditorText::kDeleteVibe));
    column->addWidget(m_delete, 0, Qt::AlignLeft);

    connect(m_basics, &VibeBasicsForm::edited, this, &VibeEditorView::edit);
    connect(m_keywords, &KeywordField::keywordsEdited, this, &VibeEditorView::edit);
    connect(m_theme, &ThemeOverridePicker::chosenEdited, this, &VibeEditorView::edit);
    connect(m_delete, &QPushButton::clicked, this, [this] { Q_EMIT deleteRequested(m_id); });
    connect(&m_editor, &VibesEditorModel::changed, this, &VibeEditorView::refresh);
    connect(&m_preview, &LivePreviewModel::changed, this, &VibeEditorView::refreshMatching);
    refresh();
}

void VibeEditorView::setVibe(const QUuid& id) {
    m_id = id;
    refresh();
}

void VibeEditorView::setGenreSuggestions(const QStringList& genres) {
    m_keywords->setSuggestions(genres);
}

void VibeEditorView::setWorkspaceEmoji(const std::optional<SlackEmoji::Workspace>& emoji) {
    m_basics->setWorkspaceEmoji(emoji);
}

void VibeEditorView::refresh() {
    const IdentifiedVibe* shown = m_editor.vibe(m_id);
    m_notFound->setVisible(shown == nullptr);
    m_fields->setVisible(shown != nullptr);
    if (shown == nullptr) {
        return;
    }
    m_basics->show(shown->vibe);
    m_keywords->setKeywords(shown->vibe.match);
    m_theme->show(m_editor.allThemes(), shown->vibe.themeID);
    refreshMatching();
}

void VibeEditorView::refreshMatching() {
    const bool matching = !m_id.isNull() && m_preview.matchedVibe() == m_id;
    m_matching->setVisible(matching);
    if (matching) {
        m_matching->setText(qt(VibeEditorText::matchingLine(m_preview.result().hit)));
    }
}

void VibeEditorView::edit() {
    const IdentifiedVibe* shown = m_editor.vibe(m_id);
    if (shown == nullptr) {
        return;
    }
    Vibe vibe = m_basics->applied(shown->vibe);
    vibe.match = m_keywords->keywords();
    vibe.themeID = m_theme->chosen();
    m_editor.setVibe(m_id, std::move(vibe));
}

} // namespace nimbrel
