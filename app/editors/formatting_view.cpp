#include "app/editors/formatting_view.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>

#include "app/editors/screen_labels.h"
#include "app/editors/template_field.h"
#include "app/editors/theme_editor_text.h"
#include "app/editors/vibes_editor_model.h"
#include "core/rendering/status_text.h"

namespace nimbrel {

using screen_labels::heading;
using screen_labels::noteLabel;
using screen_labels::qt;

FormattingView::FormattingView(VibesEditorModel& editor, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor)
    , m_model(editor) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(6);

    layout->addWidget(heading(FormattingModel::kTemplateTitle, this));
    m_template = new TemplateField(this);
    layout->addWidget(m_template);
    layout->addWidget(noteLabel(FormattingModel::templateHelp(), this));
    layout->addSpacing(12);

    layout->addWidget(heading(FormattingModel::kThemeTitle, this));
    m_theme = new QComboBox(this);
    m_theme->setAccessibleName(qt(FormattingModel::kThemeTitle));
    m_theme->setPlaceholderText(qt(ThemeEditorText::kNotFound));
    m_theme->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* themeRow = new QHBoxLayout;
    themeRow->addWidget(m_theme);
    themeRow->addStretch();
    layout->addLayout(themeRow);
    layout->addWidget(noteLabel(FormattingModel::kThemeHelp, this));
    m_ownTemplate = new QLabel(qt(FormattingModel::kOwnTemplateNote), this);
    m_ownTemplate->setWordWrap(true);
    layout->addWidget(m_ownTemplate);
    layout->addSpacing(12);

    layout->addWidget(heading(FormattingModel::kSampleTitle, this));
    auto* card = new QFrame(this);
    card->setFrameShape(QFrame::StyledPanel);
    card->setAutoFillBackground(true);
    card->setBackgroundRole(QPalette::Base);
    auto* cardLayout = new QVBoxLayout(card);
    m_sample = screen_labels::selectableLabel(card);
    cardLayout->addWidget(m_sample);
    m_counter = new QLabel(card);
    m_counter->setAlignment(Qt::AlignRight);
    m_counter->setForegroundRole(QPalette::PlaceholderText);
    cardLayout->addWidget(m_counter);
    layout->addWidget(card);
    m_sampleCaption = noteLabel({}, this);
    layout->addWidget(m_sampleCaption);
    layout->addStretch();

    connect(m_template, &TemplateField::textEdited, this,
            [this](const QString& text) { m_editor.setStatusFormat(text.toStdString()); });
    connect(m_theme, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            m_editor.setThemeID(m_theme->itemData(index).toString().toStdString());
        }
    });
    connect(&m_editor, &VibesEditorModel::changed, this, &FormattingView::refresh);
    refresh();
}

void FormattingView::setPlaying(std::string artist, std::string track, std::vector<std::string> genres) {
    m_model.setPlaying(std::move(artist), std::move(track), std::move(genres));
    refresh();
}

void FormattingView::refillThemes() {
    const std::vector<StatusTheme> themes = m_model.themes();
    bool same = m_theme->count() == static_cast<int>(themes.size());
    for (int i = 0; same && i < m_theme->count(); ++i) {
        const StatusTheme& theme = themes[static_cast<std::size_t>(i)];
        same = m_theme->itemData(i).toString() == qt(theme.id) && m_theme->itemText(i) == qt(theme.name);
    }
    const QSignalBlocker blocker(m_theme);
    if (!same) {
        // Rebuilt only when a theme came, went or was renamed, so an open list is not pulled from under the user.
        m_theme->clear();
        for (const StatusTheme& theme : themes) {
            m_theme->addItem(qt(theme.name), qt(theme.id));
            m_theme->setItemData(m_theme->count() - 1, qt(ThemeEditorText::listPreview(theme)), Qt::ToolTipRole);
        }
    }
    const std::optional<std::size_t> index = m_model.themeIndex();
    m_theme->setCurrentIndex(index ? static_cast<int>(*index) : -1);
}

void FormattingView::refresh() {
    m_template->setText(qt(m_editor.statusFormat()));
    refillThemes();
    m_ownTemplate->setVisible(m_model.themeHasOwnTemplate());
    m_sample->setText(qt(m_model.sample()));
    m_sampleCaption->setText(qt(m_model.sampleCaption()));
    m_counter->setText(qt(m_model.sampleCounter()));
}

} // namespace nimbrel
