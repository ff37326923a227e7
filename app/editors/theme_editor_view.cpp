#include "app/editors/theme_editor_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <utility>

#include "app/editors/screen_labels.h"
#include "app/editors/template_field.h"
#include "app/editors/vibes_editor_model.h"

namespace nimbrel {
namespace {

using screen_labels::heading;
using screen_labels::noteLabel;
using screen_labels::qt;

const QColor kWarningColour(0xa8, 0x4a, 0x00);
constexpr const char* kColorEmojiFamily = "Noto Color Emoji";
constexpr std::string_view kLock = "\U0001F512";

/// Sets the field's text only when it differs, so the user's own keystroke never moves their cursor.
void showText(QLineEdit* field, const std::string& text) {
    const QString shown = qt(text);
    if (field->text() != shown) {
        field->setText(shown);
    }
}

QLineEdit* lineEdit(std::string_view accessibleName, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setAccessibleName(qt(accessibleName));
    return field;
}

} // namespace

ThemeEditorView::ThemeEditorView(VibesEditorModel& editor, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_pages = new QStackedWidget(this);
    outer->addWidget(m_pages);

    // A route to a theme that is gone.
    auto* missing = new QWidget(m_pages);
    auto* missingLayout = new QVBoxLayout(missing);
    m_notFound = heading(ThemeEditorText::kNotFound, missing);
    m_notFound->setAlignment(Qt::AlignCenter);
    m_notFound->setForegroundRole(QPalette::PlaceholderText);
    missingLayout->addWidget(m_notFound);
    m_pages->addWidget(missing);

    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(6);

    // Built-in themes: a lock, why nothing can be changed, and the way out.
    m_builtInBanner = new QWidget(page);
    auto* banner = new QHBoxLayout(m_builtInBanner);
    banner->setContentsMargins(0, 0, 0, 0);
    auto* lock = new QLabel(qt(kLock), m_builtInBanner);
    QFont lockFont = lock->font();
    lockFont.setFamilies(QStringList{QString::fromLatin1(kColorEmojiFamily)} + lockFont.families());
    lockFont.setPointSizeF(lockFont.pointSizeF() * 1.4);
    lock->setFont(lockFont);
    lock->setAccessibleName(QStringLiteral("Locked"));
    banner->addWidget(lock);
    auto* builtInNote = new QLabel(qt(ThemeEditorText::kBuiltInNote), m_builtInBanner);
    builtInNote->setWordWrap(true);
    banner->addWidget(builtInNote, 1);
    m_duplicate = new QPushButton(qt(ThemeEditorText::kDuplicateButton), m_builtInBanner);
    m_duplicate->setAutoDefault(false);
    banner->addWidget(m_duplicate);
    layout->addWidget(m_builtInBanner);
    m_summary = noteLabel({}, page);
    layout->addWidget(m_summary);

    layout->addWidget(heading(ThemeEditorText::kNameTitle, page));
    m_name = lineEdit(ThemeEditorText::kNameTitle, page);
    m_name->setPlaceholderText(qt(ThemeEditorText::kNamePlaceholder));
    layout->addWidget(m_name);
    layout->addSpacing(10);

    layout->addWidget(heading(ThemeEditorText::kDecorationTitle, page));
    auto* decoration = new QGridLayout;
    decoration->addWidget(noteLabel(ThemeEditorText::kPrefixTitle, page), 0, 0);
    decoration->addWidget(noteLabel(ThemeEditorText::kSuffixTitle, page), 0, 1);
    m_prefix = lineEdit(ThemeEditorText::kPrefixTitle, page);
    m_suffix = lineEdit(ThemeEditorText::kSuffixTitle, page);
    decoration->addWidget(m_prefix, 1, 0);
    decoration->addWidget(m_suffix, 1, 1);
    layout->addLayout(decoration);
    layout->addWidget(noteLabel(ThemeEditorText::kDecorationHelp, page));
    m_warning = new QLabel(page);
    m_warning->setWordWrap(true);
    QFont warningFont = m_warning->font();
    warningFont.setWeight(QFont::Medium);
    m_warning->setFont(warningFont);
    QPalette warningPalette = m_warning->palette();
    warningPalette.setColor(QPalette::WindowText, kWarningColour);
    m_warning->setPalette(warningPalette);
    layout->addWidget(m_warning);
    m_reason = noteLabel({}, page);
    layout->addWidget(m_reason);
    layout->addSpacing(10);

    layout->addWidget(heading(ThemeEditorText::kLettersTitle, page));
    m_transform = new QComboBox(page);
    m_transform->setAccessibleName(qt(ThemeEditorText::kLettersTitle));
    for (const TextTransform transform : TextTransform::allCases()) {
        m_transform->addItem(qt(transform.displayName()));
        m_transform->setItemData(m_transform->count() - 1, qt(transform.summary()), Qt::ToolTipRole);
    }
    auto* transformRow = new QHBoxLayout;
    transformRow->addWidget(m_transform);
    m_transformSummary = new QLabel(page);
    m_transformSummary->setWordWrap(true);
    transformRow->addWidget(m_transformSummary, 1);
    layout->addLayout(transformRow);
    layout->addWidget(noteLabel(ThemeEditorText::kLettersHelp, page));
    layout->addSpacing(10);

    layout->addWidget(heading(ThemeEditorText::kTemplateTitle, page));
    m_ownTemplate = new QCheckBox(qt(ThemeEditorText::kOwnTemplateSwitch), page);
    layout->addWidget(m_ownTemplate);
    layout->addWidget(noteLabel(ThemeEditorText::kOwnTemplateHelp, page));
    m_template = new TemplateField(page);
    layout->addWidget(m_template);
    m_usesDefault = new QLabel(qt(ThemeEditorText::kUsesDefaultTemplate), page);
    layout->addWidget(m_usesDefault);
    layout->addSpacing(10);

    layout->addWidget(heading(ThemeEditorText::kPreviewTitle, page));
    auto* preview = new QGridLayout;
    preview->addWidget(noteLabel(ThemeEditorText::kBeforeTitle, page), 0, 0);
    preview->addWidget(noteLabel(ThemeEditorText::kAfterTitle, page), 1, 0);
    m_before = screen_labels::selectableLabel(page);
    m_after = screen_labels::selectableLabel(page);
    preview->addWidget(m_before, 0, 1);
    preview->addWidget(m_after, 1, 1);
    preview->setColumnStretch(1, 1);
    layout->addLayout(preview);
    layout->addSpacing(10);

    m_delete = new QPushButton(qt(ThemeEditorText::kDeleteButton), page);
    m_delete->setAutoDefault(false);
    auto* deleteRow = new QHBoxLayout;
    deleteRow->addWidget(m_delete);
    deleteRow->addStretch();
    layout->addLayout(deleteRow);
    m_deleteNote = noteLabel(ThemeEditorText::kDeleteNote, page);
    layout->addWidget(m_deleteNote);
    layout->addStretch();
    m_pages->addWidget(page);

    connect(m_name, &QLineEdit::textEdited, this,
            [this](const QString& text) { edit([&text](StatusTheme& theme) { theme.name = text.toStdString(); }); });
    connect(m_prefix, &QLineEdit::textEdited, this,
            [this](const QString& text) { edit([&text](StatusTheme& theme) { theme.prefix = text.toStdString(); }); });
    connect(m_suffix, &QLineEdit::textEdited, this,
            [this](const QString& text) { edit([&text](StatusTheme& theme) { theme.suffix = text.toStdString(); }); });
    connect(m_transform, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            edit([index](StatusTheme& theme) {
                theme.transform = TextTransform::allCases().at(static_cast<std::size_t>(index));
            });
        }
    });
    connect(m_ownTemplate, &QCheckBox::toggled, this, [this](bool on) {
        if (!on && m_shown.theme.templateText) {
            m_keptTemplate = qt(*m_shown.theme.templateText);
        }
        const std::string starting = m_keptTemplate.isNull() ? m_editor.statusFormat() : m_keptTemplate.toStdString();
        edit([on, &starting](StatusTheme& theme) { theme = ThemeEditorText::withOwnTemplate(theme, on, starting); });
    });
    connect(m_template, &TemplateField::textEdited, this, [this](const QString& text) {
        edit([&text](StatusTheme& theme) { theme.templateText = text.toStdString(); });
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        // The id is ours to keep: the view stays on it and then says the theme is gone.
        const std::string id = m_id;
        m_editor.deleteTheme(id);
        Q_EMIT deleted();
    });
    connect(m_duplicate, &QPushButton::clicked, this, [this] {
        const StatusTheme original = m_shown.theme;
        Q_EMIT themeDuplicated(m_editor.duplicateTheme(original));
    });
    connect(&m_editor, &VibesEditorModel::changed, this, &ThemeEditorView::refresh);
    refresh();
}

void ThemeEditorView::setThemeID(std::string id) {
    if (id != m_id) {
        m_keptTemplate = QString();
    }
    m_id = std::move(id);
    refresh();
}

void ThemeEditorView::edit(const std::function<void(StatusTheme&)>& change) {
    if (m_shown.kind != ThemeEditorText::Kind::custom) {
        return;
    }
    StatusTheme theme = m_shown.theme;
    change(theme);
    m_editor.setCustomTheme(std::move(theme));
}

void ThemeEditorView::refresh() {
    m_shown = ThemeEditorText::lookup(m_editor, m_id);
    if (m_shown.kind == ThemeEditorText::Kind::missing) {
        m_pages->setCurrentIndex(0);
        return;
    }
    m_pages->setCurrentIndex(1);
    const StatusTheme& theme = m_shown.theme;
    const bool editable = m_shown.kind == ThemeEditorText::Kind::custom;

    m_builtInBanner->setVisible(!editable);
    m_summary->setText(qt(theme.summary));
    m_summary->setVisible(!theme.summary.empty());

    for (QLineEdit* field : {m_name, m_prefix, m_suffix}) {
        field->setReadOnly(!editable);
        // A read-only field drawn like an editable one invites typing that goes nowhere.
        QPalette fieldPalette = field->palette();
        fieldPalette.setColor(QPalette::Base, palette().color(editable ? QPalette::Base : QPalette::Window));
        field->setPalette(fieldPalette);
    }
    showText(m_name, theme.name);
    showText(m_prefix, theme.prefix);
    showText(m_suffix, theme.suffix);
    const std::optional<ThemeEditorText::FontWarning> warning =
        ThemeEditorText::fontWarning(theme.prefix, theme.suffix);
    m_warning->setText(warning ? qt(warning->caption) : QString());
    m_reason->setText(warning ? qt(warning->reason) : QString());
    m_warning->setVisible(warning.has_value());
    m_reason->setVisible(warning.has_value());

    {
        const QSignalBlocker blocker(m_transform);
        m_transform->setCurrentIndex(static_cast<int>(theme.transform.value()));
    }
    m_transform->setEnabled(editable);
    m_transformSummary->setText(qt(theme.transform.summary()));

    {
        const QSignalBlocker blocker(m_ownTemplate);
        m_ownTemplate->setChecked(theme.templateText.has_value());
    }
    m_ownTemplate->setEnabled(editable);
    m_template->setVisible(theme.templateText.has_value());
    m_template->setEnabled(editable);
    m_template->setText(qt(theme.templateText.value_or(std::string())));
    m_usesDefault->setVisible(!theme.templateText.has_value());

    m_before->setText(qt(ThemeEditorText::previewBefore(theme, m_editor.statusFormat())));
    m_after->setText(qt(ThemeEditorText::previewAfter(theme, m_editor.statusFormat())));

    m_delete->setVisible(editable);
    m_deleteNote->setVisible(editable);
}

} // namespace nimbrel
