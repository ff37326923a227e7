#pragma once

#include <QString>
#include <QToolButton>
#include <optional>

#include "core/rendering/slack_emoji.h"

namespace nimbrel {

class EmojiPickerPopup;

/// The button beside the emoji field: shows the value's emoji (a dashed face while it is empty) and opens the
/// picker under itself.
class EmojiPickerButton final : public QToolButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EmojiPickerButton)

public:
    explicit EmojiPickerButton(QWidget* parent = nullptr);

    /// The value the button shows and the picker marks.
    void setValue(const QString& value);
    const QString& value() const { return m_value; }
    void setWorkspaceEmoji(std::optional<SlackEmoji::Workspace> emoji);
    /// Opens the picker under the button.
    void openPicker();
    EmojiPickerPopup* popup() const { return m_popup; }

Q_SIGNALS:
    /// The user picked an emoji in the popup; the text is its colon form.
    void chosen(const QString& colonForm);

private:
    QString m_value;
    EmojiPickerPopup* m_popup = nullptr;
};

} // namespace nimbrel
