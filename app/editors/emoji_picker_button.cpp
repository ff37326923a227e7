#include "app/editors/emoji_picker_button.h"

#include <QFontMetrics>
#include <string_view>

#include "app/editors/emoji_choice.h"
#include "app/editors/emoji_picker_popup.h"
#include "app/editors/screen_labels.h"

namespace nimbrel {

using screen_labels::qt;
namespace {

constexpr int kMaxTextWidth = 120;
constexpr double kGlyphScale = 1.4;

} // namespace

EmojiPickerButton::EmojiPickerButton(QWidget* parent)
    : QToolButton(parent)
    , m_popup(new EmojiPickerPopup(this)) {
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(qt(EmojiChoice::kChooseEmoji));
    setAccessibleName(qt(EmojiChoice::kChooseEmoji));
    connect(this, &QToolButton::clicked, this, &EmojiPickerButton::openPicker);
    connect(m_popup, &EmojiPickerPopup::chosen, this, [this](const QString& colonForm) {
        setFocus(Qt::PopupFocusReason);
        Q_EMIT chosen(colonForm);
    });
    setValue({});
}

void EmojiPickerButton::setValue(const QString& value) {
    m_value = value;
    const std::string text = value.toStdString();
    const QString shown = qt(SlackEmoji::display(text));
    if (shown.isEmpty() || SlackEmoji::menuBarGlyph(text)) {
        setFont(colorEmojiFont(QFont(), kGlyphScale));
        setText(shown.isEmpty() ? qt(EmojiChoice::kEmptyFace) : shown);
    } else {
        // A custom emoji shows as its name, which may be long; the tooltip and the field have it whole.
        setFont(QFont());
        setText(fontMetrics().elidedText(shown, Qt::ElideMiddle, kMaxTextWidth));
    }
    setAccessibleDescription(shown);
}

void EmojiPickerButton::setWorkspaceEmoji(std::optional<SlackEmoji::Workspace> emoji) {
    m_popup->setWorkspaceEmoji(std::move(emoji));
}

void EmojiPickerButton::openPicker() {
    m_popup->openBelow(this, m_value);
}

} // namespace nimbrel
