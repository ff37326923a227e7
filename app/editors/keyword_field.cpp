#include "app/editors/keyword_field.h"

#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStringListModel>
#include <QToolButton>
#include <algorithm>

#include "app/editors/flow_layout.h"
#include "core/text/casing.h"
#include "core/text/whitespace.h"

namespace nimbrel {

KeywordField::KeywordField(QWidget* parent)
    : QWidget(parent)
    , m_flow(new FlowLayout(this, 4))
    , m_line(new QLineEdit(this))
    , m_suggestions(new QStringListModel(this)) {
    m_flow->setContentsMargins(0, 0, 0, 0);
    m_line->setMinimumWidth(220);
    m_line->setAccessibleName(tr("New keyword"));
    m_flow->addWidget(m_line);

    m_completer = new QCompleter(m_suggestions, this);
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setFilterMode(Qt::MatchContains);
    m_completer->setCompletionMode(QCompleter::PopupCompletion);
    m_line->setCompleter(m_completer);
    // Picking a suggestion adds it at once, as Return would.
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this, [this](const QString& genre) {
        m_line->setText(genre);
        takeTypedText();
    });
    connect(m_line, &QLineEdit::returnPressed, this, &KeywordField::takeTypedText);
    connect(m_line, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.contains(QLatin1Char(','))) {
            takeTypedText();
        }
    });
    m_line->installEventFilter(this);
    setFocusProxy(m_line);
}

void KeywordField::setKeywords(const std::vector<std::string>& keywords) {
    if (keywords == m_keywords) {
        return;
    }
    m_keywords = keywords;
    rebuildTokens();
}

void KeywordField::setSuggestions(const QStringList& genres) {
    if (m_suggestions->stringList() != genres) {
        m_suggestions->setStringList(genres);
    }
}

void KeywordField::setPlaceholderText(const QString& text) {
    m_line->setPlaceholderText(text);
}

bool KeywordField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_line) {
        if (event->type() == QEvent::FocusOut) {
            takeTypedText(); // what was typed is not lost by tabbing away
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Backspace && m_line->text().isEmpty() && !m_keywords.empty()) {
                const QString last = QString::fromStdString(m_keywords.back());
                removeAt(m_keywords.size() - 1);
                m_line->setText(last);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void KeywordField::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitHeight();
}

void KeywordField::fitHeight() {
    // The tokens wrap onto more rows as they grow or the field narrows. A minimum height is what every
    // layout up to the window honours; their cached heights-for-width are not asked again.
    m_flow->invalidate();
    setMinimumHeight(m_flow->heightForWidth(width()));
}

void KeywordField::takeTypedText() {
    const std::string typed = m_line->text().toStdString();
    m_line->clear();
    bool added = false;
    std::string_view rest = typed;
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view piece = Whitespace::trimmed(rest.substr(0, comma));
        const std::string lowered = Casing::lowercased(piece);
        const bool present = std::any_of(m_keywords.begin(), m_keywords.end(),
                                         [&](const std::string& each) { return Casing::lowercased(each) == lowered; });
        if (!piece.empty() && !present) {
            m_keywords.emplace_back(piece);
            added = true;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    if (added) {
        rebuildTokens();
        Q_EMIT keywordsEdited(m_keywords);
    }
}

void KeywordField::removeAt(std::size_t index) {
    if (index >= m_keywords.size()) {
        return;
    }
    m_keywords.erase(m_keywords.begin() + static_cast<std::ptrdiff_t>(index));
    rebuildTokens();
    Q_EMIT keywordsEdited(m_keywords);
}

void KeywordField::rebuildTokens() {
    const bool hadFocus = std::any_of(m_tokens.begin(), m_tokens.end(), [](QToolButton* b) { return b->hasFocus(); });
    for (QToolButton* token : m_tokens) {
        m_flow->removeWidget(token);
        token->hide(); // gone now, though deleted only once the event loop is back
        token->deleteLater();
    }
    m_tokens.clear();
    m_flow->removeWidget(m_line);
    for (std::size_t i = 0; i < m_keywords.size(); ++i) {
        const QString keyword = QString::fromStdString(m_keywords[i]);
        auto* token = new QToolButton(this);
        token->setText(keyword + QStringLiteral("  \u00d7"));
        token->setAutoRaise(false);
        token->setToolTip(tr("Remove “%1”").arg(keyword));
        token->setAccessibleName(tr("Remove keyword %1").arg(keyword));
        connect(token, &QToolButton::clicked, this, [this, i] { removeAt(i); });
        m_flow->addWidget(token);
        m_tokens.push_back(token);
    }
    m_flow->addWidget(m_line);
    fitHeight();
    if (hadFocus) {
        m_line->setFocus(); // the pressed token is gone; keep the keyboard in the field
    }
}

} // namespace nimbrel
