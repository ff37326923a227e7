#include "app/editors/vibe_basics_form.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/editors/emoji_field.h"
#include "app/editors/settings_widgets.h"
#include "app/editors/vibe_editor_text.h"

namespace nimbrel {

using settings_widgets::qt;

namespace {

void showText(QLineEdit* edit, const std::string& value) {
    const QString text = QString::fromStdString(value);
    if (edit->text() != text) {
        edit->setText(text);
    }
}

} // namespace

VibeBasicsForm::VibeBasicsForm(const QString& namePlaceholder, const QString& statusTextPlaceholder, QWidget* parent)
    : QWidget(parent)
    , m_form(new QFormLayout(this))
    , m_name(new QLineEdit(this))
    , m_statusText(new QLineEdit(this))
    , m_emoji(new EmojiField(this)) {
    m_form->setContentsMargins(0, 0, 0, 0);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_name->setPlaceholderText(namePlaceholder);
    m_statusText->setPlaceholderText(statusTextPlaceholder);
    m_form->addRow(qt(VibeEditorText::kName), m_name);
    m_form->addRow(qt(VibeEditorText::kStatusText), m_statusText);

    auto* emoji = new QWidget(this);
    auto* emojiColumn = new QVBoxLayout(emoji);
    emojiColumn->setContentsMargins(0, 0, 0, 0);
    emojiColumn->addWidget(m_emoji);
    emojiColumn->addWidget(settings_widgets::noteLabel(qt(VibeEditorText::kEmojiHelp), emoji));
    m_form->addRow(qt(VibeEditorText::kSlackEmoji), emoji);

    connect(m_name, &QLineEdit::textEdited, this, &VibeBasicsForm::edited);
    connect(m_statusText, &QLineEdit::textEdited, this, &VibeBasicsForm::edited);
    connect(m_emoji, &EmojiField::valueEdited, this, &VibeBasicsForm::edited);
}

void VibeBasicsForm::show(const Vibe& vibe) {
    showText(m_name, vibe.name);
    showText(m_statusText, vibe.statusText);
    const QString emoji = QString::fromStdString(vibe.statusEmoji);
    if (m_emoji->value() != emoji) {
        m_emoji->setValue(emoji);
    }
}

Vibe VibeBasicsForm::applied(Vibe base) const {
    base.name = m_name->text().toStdString();
    base.statusText = m_statusText->text().toStdString();
    base.statusEmoji = m_emoji->value().toStdString();
    return base;
}

void VibeBasicsForm::setWorkspaceEmoji(const std::optional<SlackEmoji::Workspace>& emoji) {
    m_emoji->setWorkspaceEmoji(emoji);
}

} // namespace nimbrel
