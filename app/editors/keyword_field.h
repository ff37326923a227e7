#pragma once

#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

class QCompleter;
class QLineEdit;
class QStringListModel;
class QToolButton;

namespace nimbrel {

class FlowLayout;

/// A token field for a vibe's match keywords: each keyword a removable token, then a line that suggests
/// genres as you type. Return, a comma or leaving the field adds what was typed; Backspace in the empty
/// line takes the last token back into it.
class KeywordField final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeywordField)

public:
    explicit KeywordField(QWidget* parent = nullptr);

    /// Shows `keywords` without emitting; tokens are rebuilt only when they differ.
    void setKeywords(const std::vector<std::string>& keywords);
    const std::vector<std::string>& keywords() const { return m_keywords; }
    /// The genres offered while typing.
    void setSuggestions(const QStringList& genres);
    void setPlaceholderText(const QString& text);

    QLineEdit* lineEdit() const { return m_line; }
    /// The tokens' remove buttons, in keyword order.
    const std::vector<QToolButton*>& tokenButtons() const { return m_tokens; }

Q_SIGNALS:
    /// The user added or removed a keyword.
    void keywordsEdited(const std::vector<std::string>& keywords);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// Adds each comma-separated piece of the line that is not blank and not already there (ignoring case).
    void takeTypedText();
    void removeAt(std::size_t index);
    void rebuildTokens();
    void fitHeight();

    std::vector<std::string> m_keywords;
    FlowLayout* m_flow = nullptr;
    QLineEdit* m_line = nullptr;
    QCompleter* m_completer = nullptr;
    QStringListModel* m_suggestions = nullptr;
    std::vector<QToolButton*> m_tokens;
};

} // namespace nimbrel
