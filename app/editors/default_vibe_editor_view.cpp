#include "app/editors/default_vibe_editor_view.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/editors/settings_widgets.h"
#include "app/editors/vibe_basics_form.h"
#include "app/editors/vibe_editor_text.h"
#include "app/editors/vibes_editor_model.h"

namespace nimbrel {

using settings_widgets::qt;

DefaultVibeEditorView::DefaultVibeEditorView(VibesEditorModel& editor, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor)
    , m_use(new QCheckBox(qt(VibeEditorText::kUseDefaultVibe), this))
    , m_basics(new VibeBasicsForm(qt(VibeEditorText::kDefaultNamePlaceholder),
                                  qt(VibeEditorText::kDefaultStatusTextPlaceholder), this)) {
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_use);
    column->addWidget(settings_widgets::noteLabel(qt(VibeEditorText::kUseDefaultVibeNote), this));
    column->addSpacing(8);
    column->addWidget(m_basics);
    column->addStretch();

    connect(m_use, &QCheckBox::toggled, &m_editor, &VibesEditorModel::setUseDefaultVibe);
    connect(m_basics, &VibeBasicsForm::edited, this,
            [this] { m_editor.setDefaultVibe(m_basics->applied(m_editor.defaultVibe())); });
    connect(&m_editor, &VibesEditorModel::changed, this, &DefaultVibeEditorView::refresh);
    refresh();
}

void DefaultVibeEditorView::setWorkspaceEmoji(const std::optional<SlackEmoji::Workspace>& emoji) {
    m_basics->setWorkspaceEmoji(emoji);
}

void DefaultVibeEditorView::refresh() {
    {
        const QSignalBlocker blocker(m_use);
        m_use->setChecked(m_editor.useDefaultVibe());
    }
    m_basics->show(m_editor.defaultVibe());
    m_basics->setEnabled(m_editor.useDefaultVibe());
}

} // namespace nimbrel
