#pragma once

#include <QString>
#include <QWidget>
#include <vector>

class QLineEdit;
class QPushButton;

namespace nimbrel {

/// A status template in one line of plain text, with the placeholders tinted so they read as tokens, and
/// "Insert:" buttons that add "{vibe}", "{track}", "{artist}" or "{emoji}" to the end of the template.
class TemplateField final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TemplateField)

public:
    static constexpr std::string_view kInsertTitle = "Insert:";

    /// "Add {vibe} to the end of the template"
    static QString insertToolTip(const QString& token);

    explicit TemplateField(QWidget* parent = nullptr);

    QString text() const;
    /// Shows `text` without emitting `textEdited`; the cursor stays put when the text is already there.
    void setText(const QString& text);
    QLineEdit* lineEdit() const { return m_edit; }
    /// The insert buttons, in the order of the placeholders.
    const std::vector<QPushButton*>& insertButtons() const { return m_buttons; }

Q_SIGNALS:
    /// The user changed the template, by typing or with an insert button.
    void textEdited(const QString& text);

private:
    void insertAtEnd(const QString& token);
    void tintTokens();

    QLineEdit* m_edit = nullptr;
    std::vector<QPushButton*> m_buttons;
};

} // namespace nimbrel
