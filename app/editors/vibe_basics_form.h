#pragma once

#include <QWidget>
#include <optional>

#include "core/config/vibe.h"
#include "core/rendering/slack_emoji.h"

class QFormLayout;
class QLineEdit;

namespace nimbrel {

class EmojiField;

/// The fields a vibe and the default vibe share: name, status text and Slack emoji, in a form the screens
/// add their own rows to. Shows a vibe without disturbing the field being typed in.
class VibeBasicsForm final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VibeBasicsForm)

public:
    VibeBasicsForm(const QString& namePlaceholder, const QString& statusTextPlaceholder, QWidget* parent = nullptr);

    /// Shows `vibe`'s name, status text and emoji; a field already holding the value is left alone, so the
    /// cursor stays where the user types.
    void show(const Vibe& vibe);
    /// `base` with the name, status text and emoji as the fields hold them.
    Vibe applied(Vibe base) const;
    void setWorkspaceEmoji(const std::optional<SlackEmoji::Workspace>& emoji);

    QFormLayout* form() const { return m_form; }
    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* statusTextEdit() const { return m_statusText; }
    EmojiField* emojiField() const { return m_emoji; }

Q_SIGNALS:
    /// The user changed one of the fields.
    void edited();

private:
    QFormLayout* m_form = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_statusText = nullptr;
    EmojiField* m_emoji = nullptr;
};

} // namespace nimbrel
