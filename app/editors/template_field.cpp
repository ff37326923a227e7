#include "app/editors/template_field.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCharFormat>
#include <QVBoxLayout>
#include <array>

#include "app/editors/screen_labels.h"
#include "core/rendering/status_text.h"

namespace nimbrel {

using screen_labels::qt;
namespace {

/// In the order the buttons show them: the most used first.
const std::array<std::string_view, 4> kTokens{StatusText::kVibePlaceholder, StatusText::kTrackPlaceholder,
                                              StatusText::kArtistPlaceholder, StatusText::kEmojiPlaceholder};

} // namespace

QString TemplateField::insertToolTip(const QString& token) {
    return QStringLiteral("Add ") + token + QStringLiteral(" to the end of the template");
}

TemplateField::TemplateField(QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_edit = new QLineEdit(this);
    m_edit->setAccessibleName(QStringLiteral("Template"));
    layout->addWidget(m_edit);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    auto* insertLabel = new QLabel(qt(kInsertTitle), this);
    insertLabel->setForegroundRole(QPalette::PlaceholderText);
    buttons->addWidget(insertLabel);
    for (const std::string_view token : kTokens) {
        const QString text = qt(token);
        auto* button = new QPushButton(text, this);
        button->setToolTip(insertToolTip(text));
        button->setAccessibleName(insertToolTip(text));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, text] { insertAtEnd(text); });
        buttons->addWidget(button);
        m_buttons.push_back(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(m_edit, &QLineEdit::textEdited, this, &TemplateField::textEdited);
    connect(m_edit, &QLineEdit::textChanged, this, &TemplateField::tintTokens);
    setFocusProxy(m_edit);
}

QString TemplateField::text() const {
    return m_edit->text();
}

void TemplateField::setText(const QString& text) {
    if (text != m_edit->text()) {
        m_edit->setText(text);
    }
}

void TemplateField::insertAtEnd(const QString& token) {
    m_edit->setText(m_edit->text() + token);
    m_edit->setCursorPosition(static_cast<int>(m_edit->text().size()));
    Q_EMIT textEdited(m_edit->text());
}

void TemplateField::tintTokens() {
    // QLineEdit draws extra formats only through an input-method event; an empty one changes no text and no
    // selection, and a read-only field ignores it.
    QTextCharFormat format;
    format.setForeground(palette().color(QPalette::Highlight));
    format.setFontWeight(QFont::DemiBold);
    const QString text = m_edit->text();
    const int cursor = m_edit->cursorPosition();
    QList<QInputMethodEvent::Attribute> attributes;
    for (const std::string_view token : kTokens) {
        const QString placeholder = qt(token);
        for (qsizetype at = text.indexOf(placeholder); at >= 0; at = text.indexOf(placeholder, at + 1)) {
            attributes.append(QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, static_cast<int>(at) - cursor,
                                                           static_cast<int>(placeholder.size()), format));
        }
    }
    QInputMethodEvent event(QString(), attributes);
    QCoreApplication::sendEvent(m_edit, &event);
}

} // namespace nimbrel
