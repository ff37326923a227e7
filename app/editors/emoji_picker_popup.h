#pragma once

#include <QFont>
#include <QFrame>
#include <QPointer>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "core/rendering/slack_emoji.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTabBar;
class QToolButton;
class QWidget;

namespace nimbrel {

/// The font that draws emoji in colour, scaled from a widget's font. The colour font stands alone: listed
/// before a text family, Qt 6.4 still draws symbols such as U+26A1 from a monochrome text font.
QFont colorEmojiFont(QFont font, double scale);

/// The emoji picker's popup: a search field, the five category tabs with their curated emoji, the
/// workspace's custom emoji and a line for typing any shortcode. Picking one emits its colon form and closes.
class EmojiPickerPopup final : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EmojiPickerPopup)

public:
    explicit EmojiPickerPopup(QWidget* parent = nullptr);

    /// The custom emoji of the connected workspace; none while no workspace is connected.
    void setWorkspaceEmoji(std::optional<SlackEmoji::Workspace> emoji);
    /// Shows the popup below the anchor (above it when the screen ends), with an empty search, on the tab of
    /// the current value and with the search field focused.
    void openBelow(const QWidget* anchor, const QString& currentValue);

    QLineEdit* searchField() const { return m_search; }
    QTabBar* tabBar() const { return m_tabs; }
    /// The curated emoji shown, in order.
    const std::vector<QToolButton*>& emojiButtons() const { return m_emojiButtons; }
    /// The workspace's custom emoji shown, in order.
    const std::vector<QToolButton*>& workspaceButtons() const { return m_workspaceButtons; }
    QLabel* workspaceTitle() const { return m_workspaceTitle; }
    QPushButton* customButton() const { return m_customButton; }
    QLabel* noMatchLabel() const { return m_noMatch; }

Q_SIGNALS:
    /// The user picked an emoji; the text is its colon form, such as ":headphones:".
    void chosen(const QString& colonForm);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void rebuild();
    void choose(const QString& colonForm);
    QToolButton* addChoiceButton(QWidget* parent, const QString& text, const QString& colonForm);
    /// Moves the keyboard focus from a choice button by arrow key; false when the key is not an arrow.
    bool moveFocus(QAbstractButton* from, int key);
    void updateTabOrder();

    std::optional<SlackEmoji::Workspace> m_workspace;
    QPointer<const QWidget> m_anchor;
    QString m_current;
    QLineEdit* m_search = nullptr;
    QTabBar* m_tabs = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_emojiGrid = nullptr;
    QLabel* m_workspaceTitle = nullptr;
    QWidget* m_workspaceGrid = nullptr;
    QLabel* m_moreNote = nullptr;
    QPushButton* m_customButton = nullptr;
    QLabel* m_noMatch = nullptr;
    std::vector<QToolButton*> m_emojiButtons;
    std::vector<QToolButton*> m_workspaceButtons;
    std::optional<std::string> m_firstChoice;
    std::optional<std::string> m_customChoice;
};

} // namespace nimbrel
