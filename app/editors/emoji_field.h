#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "core/rendering/slack_emoji.h"

class QLabel;
class QLineEdit;

namespace nimbrel {

class EmojiPickerButton;
class EmojiPickerPopup;

/// A vibe's Slack emoji: a text field for any shortcode, the picker button beside it, and a line below that
/// says whether Slack will render the value.
class EmojiField final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EmojiField)

public:
    explicit EmojiField(QWidget* parent = nullptr);

    /// Shows a value from the model. Does not emit `valueEdited`, and leaves the field (and its cursor)
    /// alone when it already holds that text, so a redraw never fights the user's typing.
    void setValue(const QString& value);
    QString value() const;
    /// The connected workspace's custom emoji; none while no workspace is connected.
    void setWorkspaceEmoji(std::optional<SlackEmoji::Workspace> emoji);

    QLineEdit* lineEdit() const { return m_edit; }
    EmojiPickerButton* pickerButton() const { return m_button; }
    QLabel* statusLabel() const { return m_status; }
    EmojiPickerPopup* popup() const;

Q_SIGNALS:
    /// The user typed in the field or picked an emoji; the text is the field's new value.
    void valueEdited(const QString& value);

private:
    void refresh();

    std::optional<SlackEmoji::Workspace> m_workspace;
    QLineEdit* m_edit = nullptr;
    EmojiPickerButton* m_button = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace nimbrel
