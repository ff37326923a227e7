#include "app/editors/emoji_picker_popup.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>

#include "app/editors/emoji_choice.h"
#include "app/editors/screen_labels.h"

namespace nimbrel {

using screen_labels::qt;
namespace {

constexpr int kEmojiColumns = 9;
constexpr int kWorkspaceColumns = 3;
constexpr int kEmojiButtonSide = 40;
constexpr int kPopupWidth = 440;
constexpr int kPopupHeight = 400;
const char* const kColonFormProperty = "nimbrelColonForm";

/// "musical_note" read out as "musical note".
QString spokenName(std::string_view shortcode) {
    QString name = qt(shortcode);
    name.replace(QLatin1Char('_'), QLatin1Char(' '));
    return name;
}

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

} // namespace

QFont colorEmojiFont(QFont font, double scale) {
    font.setFamilies({QStringLiteral("Noto Color Emoji")});
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * scale);
    }
    return font;
}

EmojiPickerPopup::EmojiPickerPopup(QWidget* parent)
    : QFrame(parent, Qt::Popup) {
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);

    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(QStringLiteral("Search"));
    m_search->setAccessibleName(QStringLiteral("Search emoji"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    layout->addWidget(m_search);

    m_tabs = new QTabBar(this);
    m_tabs->setDrawBase(true);
    m_tabs->setExpanding(false);
    m_tabs->setAccessibleName(QStringLiteral("Emoji categories"));
    for (const SlackEmoji::Category category : SlackEmoji::Category::allCases()) {
        // "&" would make a mnemonic of the next letter.
        QString label = qt(category.rawValue());
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        m_tabs->addTab(label);
    }
    layout->addWidget(m_tabs);

    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget(m_scroll);
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    m_emojiGrid = new QWidget(content);
    auto* emojiLayout = new QGridLayout(m_emojiGrid);
    emojiLayout->setContentsMargins(0, 0, 0, 0);
    emojiLayout->setSpacing(2);
    emojiLayout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    contentLayout->addWidget(m_emojiGrid);

    m_noMatch = new QLabel(content);
    m_noMatch->setWordWrap(true);
    m_noMatch->setForegroundRole(QPalette::PlaceholderText);
    contentLayout->addWidget(m_noMatch);

    m_workspaceTitle = new QLabel(qt(EmojiChoice::kYourWorkspace), content);
    QFont titleFont = m_workspaceTitle->font();
    titleFont.setBold(true);
    m_workspaceTitle->setFont(titleFont);
    contentLayout->addSpacing(6);
    contentLayout->addWidget(m_workspaceTitle);
    m_workspaceGrid = new QWidget(content);
    auto* workspaceLayout = new QGridLayout(m_workspaceGrid);
    workspaceLayout->setContentsMargins(0, 0, 0, 0);
    workspaceLayout->setSpacing(2);
    workspaceLayout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    contentLayout->addWidget(m_workspaceGrid);
    m_moreNote = new QLabel(content);
    m_moreNote->setWordWrap(true);
    m_moreNote->setForegroundRole(QPalette::PlaceholderText);
    contentLayout->addWidget(m_moreNote);
    contentLayout->addStretch();
    m_scroll->setWidget(content);
    layout->addWidget(m_scroll, 1);

    m_customButton = new QPushButton(this);
    m_customButton->setFlat(true);
    m_customButton->setStyleSheet(QStringLiteral("text-align: left; padding: 4px 6px;"));
    m_customButton->installEventFilter(this);
    connect(m_customButton, &QPushButton::clicked, this, [this] {
        if (m_customChoice) {
            choose(qt(*m_customChoice));
        }
    });
    layout->addWidget(m_customButton);

    connect(m_search, &QLineEdit::textChanged, this, &EmojiPickerPopup::rebuild);
    connect(m_tabs, &QTabBar::currentChanged, this, &EmojiPickerPopup::rebuild);
    resize(kPopupWidth, kPopupHeight);
    rebuild();
}

void EmojiPickerPopup::setWorkspaceEmoji(std::optional<SlackEmoji::Workspace> emoji) {
    m_workspace = std::move(emoji);
    rebuild();
}

void EmojiPickerPopup::openBelow(const QWidget* anchor, const QString& currentValue) {
    m_anchor = anchor;
    m_current = currentValue;
    {
        // One rebuild for the new state, not one per change.
        const QSignalBlocker blockSearch(m_search);
        const QSignalBlocker blockTabs(m_tabs);
        if (const auto category = EmojiChoice::categoryOf(currentValue.toStdString())) {
            const auto all = SlackEmoji::Category::allCases();
            m_tabs->setCurrentIndex(static_cast<int>(std::find(all.begin(), all.end(), *category) - all.begin()));
        }
        m_search->clear();
    }
    rebuild();

    // Right-aligned with the anchor, which sits at the end of its field.
    QPoint position = anchor->mapToGlobal(QPoint(anchor->width() - width(), anchor->height()));
    if (const QScreen* screen = anchor->screen()) {
        const QRect available = screen->availableGeometry();
        if (position.y() + height() > available.bottom()) {
            position.setY(anchor->mapToGlobal(QPoint(0, 0)).y() - height());
        }
        position.setX(
            std::clamp(position.x(), available.left(), std::max(available.left(), available.right() - width())));
        position.setY(std::max(position.y(), available.top()));
    }
    move(position);
    show();
    m_search->setFocus(Qt::PopupFocusReason);
}

void EmojiPickerPopup::rebuild() {
    const SlackEmoji::Category category =
        SlackEmoji::Category::allCases().at(static_cast<std::size_t>(std::max(0, m_tabs->currentIndex())));
    const EmojiChoice::Content content = EmojiChoice::content(m_search->text().toStdString(), category, m_workspace);
    const std::string currentName = SlackEmoji::normalize(m_current.toStdString());

    auto* emojiLayout = static_cast<QGridLayout*>(m_emojiGrid->layout());
    clearLayout(emojiLayout);
    m_emojiButtons.clear();
    for (const SlackEmoji::Entry& entry : content.entries) {
        QToolButton* button = addChoiceButton(m_emojiGrid, qt(entry.glyph), qt(entry.colonized()));
        button->setFont(colorEmojiFont(font(), 1.5));
        button->setFixedSize(kEmojiButtonSide, kEmojiButtonSide);
        button->setAccessibleName(spokenName(entry.shortcode));
        button->setAutoRaise(entry.shortcode != currentName);
        const int index = static_cast<int>(m_emojiButtons.size());
        emojiLayout->addWidget(button, index / kEmojiColumns, index % kEmojiColumns);
        m_emojiButtons.push_back(button);
    }
    m_emojiGrid->setVisible(!m_emojiButtons.empty());

    auto* workspaceLayout = static_cast<QGridLayout*>(m_workspaceGrid->layout());
    clearLayout(workspaceLayout);
    m_workspaceButtons.clear();
    const int cellWidth = (kPopupWidth - 40) / kWorkspaceColumns;
    for (const std::string& name : content.workspaceNames) {
        const QString colonForm = qt(EmojiChoice::colonized(name));
        QToolButton* button = addChoiceButton(m_workspaceGrid, colonForm, colonForm);
        // Long names are cut in the grid; the tooltip has them whole.
        button->setText(button->fontMetrics().elidedText(colonForm, Qt::ElideMiddle, cellWidth - 16));
        button->setAccessibleName(colonForm);
        button->setAutoRaise(name != currentName);
        const int index = static_cast<int>(m_workspaceButtons.size());
        workspaceLayout->addWidget(button, index / kWorkspaceColumns, index % kWorkspaceColumns, Qt::AlignLeft);
        m_workspaceButtons.push_back(button);
    }
    const bool showsWorkspace = content.hasWorkspaceSection && !m_workspaceButtons.empty();
    m_workspaceTitle->setVisible(showsWorkspace);
    m_workspaceGrid->setVisible(showsWorkspace);
    m_moreNote->setText(qt(content.moreNote()));
    m_moreNote->setVisible(showsWorkspace && !m_moreNote->text().isEmpty());

    m_noMatch->setText(qt(content.noMatch));
    m_noMatch->setVisible(!content.noMatch.empty());
    m_customChoice = content.custom;
    m_customButton->setText(qt(content.customLabel()));
    m_customButton->setToolTip(m_customChoice ? qt(*m_customChoice) : QString());
    m_customButton->setVisible(m_customChoice.has_value());
    m_firstChoice = content.firstChoice();
    updateTabOrder();
}

QToolButton* EmojiPickerPopup::addChoiceButton(QWidget* parent, const QString& text, const QString& colonForm) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(colonForm);
    button->setProperty(kColonFormProperty, colonForm);
    button->setFocusPolicy(Qt::StrongFocus);
    button->installEventFilter(this);
    connect(button, &QToolButton::clicked, this, [this, colonForm] { choose(colonForm); });
    return button;
}

void EmojiPickerPopup::choose(const QString& colonForm) {
    hide();
    Q_EMIT chosen(colonForm);
}

void EmojiPickerPopup::updateTabOrder() {
    QWidget* previous = m_tabs;
    setTabOrder(m_search, m_tabs);
    for (const auto* buttons : {&m_emojiButtons, &m_workspaceButtons}) {
        for (QToolButton* button : *buttons) {
            setTabOrder(previous, button);
            previous = button;
        }
    }
    setTabOrder(previous, m_customButton);
}

bool EmojiPickerPopup::moveFocus(QAbstractButton* from, int key) {
    // The two grids, one after the other: left and right walk through both, up and down stay in a column
    // and step into the next grid (or back to the search field) at the edges.
    struct Grid {
        const std::vector<QToolButton*>* buttons;
        int columns;
    };
    const Grid grids[] = {{&m_emojiButtons, kEmojiColumns}, {&m_workspaceButtons, kWorkspaceColumns}};
    std::vector<QToolButton*> all(m_emojiButtons);
    all.insert(all.end(), m_workspaceButtons.begin(), m_workspaceButtons.end());
    const auto found = std::find(all.begin(), all.end(), from);
    if (found == all.end()) {
        return false;
    }
    const auto position = static_cast<int>(found - all.begin());
    const bool inEmoji = position < static_cast<int>(m_emojiButtons.size());
    const Grid& grid = grids[inEmoji ? 0 : 1];
    const int index = inEmoji ? position : position - static_cast<int>(m_emojiButtons.size());
    const int count = static_cast<int>(grid.buttons->size());
    QWidget* target = nullptr;
    switch (key) {
    case Qt::Key_Left:
        target = position > 0 ? all[static_cast<std::size_t>(position - 1)] : nullptr;
        break;
    case Qt::Key_Right:
        target = position + 1 < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(position + 1)] : nullptr;
        break;
    case Qt::Key_Up:
        if (index >= grid.columns) {
            target = (*grid.buttons)[static_cast<std::size_t>(index - grid.columns)];
        } else if (!inEmoji && !m_emojiButtons.empty()) {
            target = m_emojiButtons.front();
        } else {
            target = m_search;
        }
        break;
    case Qt::Key_Down:
        if (index + grid.columns < count) {
            target = (*grid.buttons)[static_cast<std::size_t>(index + grid.columns)];
        } else if (inEmoji && !m_workspaceButtons.empty()) {
            target = m_workspaceButtons.front();
        } else if (m_customButton->isVisible()) {
            target = m_customButton;
        }
        break;
    default:
        return false;
    }
    if (target) {
        target->setFocus(Qt::TabFocusReason);
    }
    return true;
}

bool EmojiPickerPopup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched != m_search && watched != m_customButton) {
        m_scroll->ensureWidgetVisible(static_cast<QWidget*>(watched));
    }
    if (event->type() != QEvent::KeyPress) {
        return QFrame::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool isReturn = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == m_search) {
        if (isReturn) {
            if (m_firstChoice) {
                choose(qt(*m_firstChoice));
            }
            return true;
        }
        if (key == Qt::Key_Down) {
            if (!m_emojiButtons.empty() || !m_workspaceButtons.empty()) {
                (m_emojiButtons.empty() ? m_workspaceButtons : m_emojiButtons).front()->setFocus(Qt::TabFocusReason);
            } else if (m_customButton->isVisible()) {
                m_customButton->setFocus(Qt::TabFocusReason);
            }
            return true;
        }
        return QFrame::eventFilter(watched, event);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(watched)) {
        if (isReturn) {
            button->click();
            return true;
        }
        if (button == m_customButton && key == Qt::Key_Up) {
            m_search->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (moveFocus(button, key)) {
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void EmojiPickerPopup::mousePressEvent(QMouseEvent* event) {
    // A click on the button that opened the popup only closes it; replayed, it would open it again at once.
    if (m_anchor && !rect().contains(event->position().toPoint()) &&
        QRect(m_anchor->mapToGlobal(QPoint(0, 0)), m_anchor->size()).contains(event->globalPosition().toPoint())) {
        setAttribute(Qt::WA_NoMouseReplay);
    }
    QFrame::mousePressEvent(event);
}

void EmojiPickerPopup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

} // namespace nimbrel
