#include "app/editors/emoji_field.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <string_view>

#include "app/editors/emoji_choice.h"
#include "app/editors/emoji_picker_button.h"
#include "app/editors/screen_labels.h"

namespace nimbrel {

using screen_labels::qt;
namespace {

const QColor kOkGreen(0x26, 0x7a, 0x3a);
const QColor kWarningAmber(0x9a, 0x5b, 0x00);

} // namespace

EmojiField::EmojiField(QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    auto* row = new QHBoxLayout();
    m_edit = new QLineEdit(this);
    m_edit->setPlaceholderText(qt(EmojiChoice::kPrompt));
    m_edit->setAccessibleName(QStringLiteral("Slack emoji"));
    row->addWidget(m_edit, 1);
    m_button = new EmojiPickerButton(this);
    row->addWidget(m_button);
    layout->addLayout(row);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_status);
    setFocusProxy(m_edit);

    // Keystrokes and picks are the user's; a value set by the model only redraws.
    connect(m_edit, &QLineEdit::textChanged, this, &EmojiField::refresh);
    connect(m_edit, &QLineEdit::textEdited, this, &EmojiField::valueEdited);
    connect(m_button, &EmojiPickerButton::chosen, this, [this](const QString& colonForm) {
        if (colonForm == m_edit->text()) {
            return;
        }
        m_edit->setText(colonForm);
        Q_EMIT valueEdited(colonForm);
    });
    refresh();
}

void EmojiField::setValue(const QString& value) {
    if (m_edit->text() != value) {
        m_edit->setText(value);
    }
}

QString EmojiField::value() const {
    return m_edit->text();
}

void EmojiField::setWorkspaceEmoji(std::optional<SlackEmoji::Workspace> emoji) {
    m_workspace = emoji;
    m_button->setWorkspaceEmoji(std::move(emoji));
    refresh();
}

EmojiPickerPopup* EmojiField::popup() const {
    return m_button->popup();
}

void EmojiField::refresh() {
    m_button->setValue(m_edit->text());
    const EmojiChoice::StatusLine line = EmojiChoice::statusLine(m_edit->text().toStdString(), m_workspace);
    m_status->setText(qt(line.text));
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::WindowText, line.kind == EmojiChoice::StatusLine::Kind::ok ? kOkGreen : kWarningAmber);
    m_status->setPalette(palette);
    m_status->setVisible(line.kind != EmojiChoice::StatusLine::Kind::none);
}

} // namespace nimbrel
