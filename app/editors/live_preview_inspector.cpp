#include "app/editors/live_preview_inspector.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>
#include <string_view>

#include "app/editors/flow_layout.h"
#include "app/editors/live_preview_model.h"
#include "app/editors/screen_labels.h"

namespace nimbrel {

using screen_labels::qt;
namespace {

const QColor kOverLimitRed(0xc0, 0x1c, 0x28);
constexpr const char* kColorEmojiFamily = "Noto Color Emoji";

/// A pause sign in a ring, drawn rather than taken from an icon theme that may not have one.
QPixmap pauseCircle(const QColor& colour, qreal ratio) {
    constexpr int kSide = 44;
    QPixmap pixmap(QSize(kSide, kSide) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 3));
    painter.drawEllipse(QRectF(2, 2, kSide - 4, kSide - 4));
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(15, 13, 5, 18), 1.5, 1.5);
    painter.drawRoundedRect(QRectF(24, 13, 5, 18), 1.5, 1.5);
    return pixmap;
}

QLabel* wrappingLabel(QWidget* parent, QPalette::ColorRole role = QPalette::WindowText) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setForegroundRole(role);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

LivePreviewInspector::LivePreviewInspector(LivePreviewModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model) {
    auto* layout = new QVBoxLayout(this);

    // Nothing playing.
    m_placeholder = new QWidget(this);
    auto* placeholderLayout = new QVBoxLayout(m_placeholder);
    placeholderLayout->addStretch();
    auto* pauseSymbol = new QLabel(m_placeholder);
    pauseSymbol->setPixmap(pauseCircle(palette().color(QPalette::PlaceholderText), devicePixelRatioF()));
    pauseSymbol->setAlignment(Qt::AlignHCenter);
    auto* placeholderTitle = screen_labels::heading(LivePreviewModel::kNothingPlayingTitle, m_placeholder);
    placeholderTitle->setAlignment(Qt::AlignHCenter);
    auto* placeholderText = wrappingLabel(m_placeholder, QPalette::PlaceholderText);
    placeholderText->setText(qt(LivePreviewModel::kNothingPlayingText));
    placeholderText->setAlignment(Qt::AlignHCenter);
    placeholderLayout->addWidget(pauseSymbol);
    placeholderLayout->addWidget(placeholderTitle);
    placeholderLayout->addWidget(placeholderText);
    placeholderLayout->addStretch();
    layout->addWidget(m_placeholder);

    m_content = new QWidget(this);
    auto* content = new QVBoxLayout(m_content);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(10);

    // Now playing.
    content->addWidget(screen_labels::heading("\u266A " + std::string(LivePreviewModel::kNowPlayingTitle), m_content));
    m_track = wrappingLabel(m_content);
    m_track->setFont(screen_labels::scaledFont(m_track->font(), 1.15));
    m_artist = wrappingLabel(m_content, QPalette::PlaceholderText);
    auto* nowPlaying = new QVBoxLayout;
    nowPlaying->setSpacing(2);
    nowPlaying->addWidget(m_track);
    nowPlaying->addWidget(m_artist);
    content->addLayout(nowPlaying);

    // The status card.
    auto* card = new QFrame(m_content);
    card->setFrameShape(QFrame::StyledPanel);
    card->setAutoFillBackground(true);
    card->setBackgroundRole(QPalette::Base);
    auto* cardLayout = new QVBoxLayout(card);
    auto* cardTitle = new QLabel(qt(LivePreviewModel::kStatusCardTitle), card);
    cardTitle->setForegroundRole(QPalette::PlaceholderText);
    cardLayout->addWidget(cardTitle);
    auto* statusRow = new QHBoxLayout;
    m_emoji = new QLabel(card);
    m_emoji->setAlignment(Qt::AlignTop);
    m_status = wrappingLabel(card);
    m_status->setFont(screen_labels::scaledFont(m_status->font(), 1.1));
    statusRow->addWidget(m_emoji);
    statusRow->addWidget(m_status, 1);
    cardLayout->addLayout(statusRow);
    m_counter = new QLabel(card);
    m_counter->setAlignment(Qt::AlignRight);
    m_counter->setFont(screen_labels::scaledFont(m_counter->font(), 0.85));
    cardLayout->addWidget(m_counter);
    content->addWidget(card);

    // Why this vibe.
    content->addWidget(screen_labels::heading(LivePreviewModel::kWhyTitle, m_content));
    m_why = wrappingLabel(m_content);
    m_theme = wrappingLabel(m_content, QPalette::PlaceholderText);
    auto* why = new QVBoxLayout;
    why->setSpacing(4);
    why->addWidget(m_why);
    why->addWidget(m_theme);
    content->addLayout(why);

    // Artist genre.
    auto* genresHeader = new QHBoxLayout;
    genresHeader->addWidget(screen_labels::heading(LivePreviewModel::kGenresTitle, m_content));
    m_genresCaption = new QLabel(m_content);
    m_genresCaption->setForegroundRole(QPalette::PlaceholderText);
    m_genresCaption->setFont(screen_labels::scaledFont(m_genresCaption->font(), 0.85));
    genresHeader->addWidget(m_genresCaption);
    genresHeader->addStretch();
    content->addLayout(genresHeader);
    m_chipArea = new QWidget(m_content);
    m_chipLayout = new FlowLayout(m_chipArea);
    content->addWidget(m_chipArea);
    m_noGenres = wrappingLabel(m_content, QPalette::PlaceholderText);
    content->addWidget(m_noGenres);
    content->addStretch();
    layout->addWidget(m_content);

    connect(&m_model, &LivePreviewModel::changed, this, &LivePreviewInspector::refresh);
    refresh();
}

void LivePreviewInspector::refresh() {
    const bool hasTrack = m_model.hasTrack();
    m_placeholder->setVisible(!hasTrack);
    m_content->setVisible(hasTrack);
    const PreviewResult& result = m_model.result();

    m_track->setText(qt(result.track));
    m_artist->setText(qt(result.artist));

    const std::string emoji = m_model.emojiShown();
    m_emoji->setText(qt(emoji));
    m_emoji->setToolTip(qt(m_model.emojiToolTip()));
    m_emoji->setVisible(!emoji.empty());
    // A glyph is drawn large; a custom emoji's :name: stays at text size.
    QFont emojiFont = screen_labels::scaledFont(font(), m_model.emojiIsGlyph() ? 1.8 : 1.0);
    if (m_model.emojiIsGlyph()) {
        // Slack draws emoji in colour; without asking, fontconfig may hand out a monochrome symbol font first.
        emojiFont.setFamilies(QStringList{QString::fromLatin1(kColorEmojiFamily)} + emojiFont.families());
    }
    m_emoji->setFont(emojiFont);
    m_status->setText(qt(m_model.statusShown()));
    m_status->setForegroundRole(result.status.empty() ? QPalette::PlaceholderText : QPalette::WindowText);

    m_counter->setText(qt(LivePreviewModel::lengthCounter(m_model.statusLength())));
    QPalette counterPalette = palette();
    if (m_model.isOverLimit()) {
        counterPalette.setColor(QPalette::WindowText, kOverLimitRed);
    } else {
        counterPalette.setColor(QPalette::WindowText, palette().color(QPalette::PlaceholderText));
    }
    m_counter->setPalette(counterPalette);

    m_why->setText(qt(m_model.whyText()));
    const std::string themeText = m_model.themeText();
    m_theme->setText(qt(themeText));
    m_theme->setVisible(!themeText.empty());

    m_genresCaption->setText(qt(m_model.genresCaption()));
    m_noGenres->setText(qt(m_model.noGenresText()));
    m_noGenres->setVisible(result.genres.empty());
    m_chipArea->setVisible(!result.genres.empty());
    rebuildChips();
}

void LivePreviewInspector::rebuildChips() {
    // A click on a chip changes the model, which lands here while that chip is still emitting: old chips
    // are only hidden now and deleted once control is back in the event loop.
    // The keyboard stays on the genre it was on, so mapping by keyboard can go on from there.
    QString focusedGenre;
    for (QToolButton* chip : m_chips) {
        if (chip == focusWidget()) {
            focusedGenre = chip->accessibleName();
        }
        m_chipLayout->removeWidget(chip);
        chip->hide();
        chip->deleteLater();
    }
    m_chips.clear();
    for (const GenreChip& chip : m_model.chips()) {
        auto* button = new QToolButton(m_chipArea);
        const QString symbol =
            chip.isMapped ? QStringLiteral("\u2713 ") : (chip.isAddable ? QStringLiteral("+ ") : QString());
        button->setText(symbol + qt(chip.text));
        button->setToolTip(qt(chip.toolTip));
        button->setAccessibleName(qt(chip.text));
        button->setAccessibleDescription(qt(chip.toolTip));
        button->setCheckable(false);
        button->setAutoRaise(false);
        button->setFocusPolicy(Qt::StrongFocus);
        // Only a chip that can still be added does something; the others stay focusable for their tooltips.
        button->setCursor(chip.isAddable && !chip.isMapped ? Qt::PointingHandCursor : Qt::ArrowCursor);
        const std::string genre = chip.text;
        connect(button, &QToolButton::clicked, this, [this, genre] { m_model.activateChip(genre); });
        m_chipLayout->addWidget(button);
        m_chips.push_back(button);
        if (!focusedGenre.isEmpty() && button->accessibleName() == focusedGenre) {
            button->show(); // a hidden widget takes no focus
            button->setFocus();
        }
    }
    m_chipArea->updateGeometry();
}

} // namespace nimbrel
