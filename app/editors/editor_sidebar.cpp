#include "app/editors/editor_sidebar.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/editors/screen_labels.h"
#include "app/editors/settings_widgets.h"

namespace nimbrel {

using settings_widgets::qt;

namespace {

enum Role { kKindRole = Qt::UserRole + 1, kDetailRole, kMatchingRole, kDefaultThemeRole, kOffRole };

constexpr int kPadding = 6;
/// The waveform beside the vibe that matches what plays, in the green of "playing".
constexpr QColor kMatchingGreen{0x2e, 0x9d, 0x4c};
const QString kWaveform = QStringLiteral("\u223f");

SidebarRow::Kind kindOf(const QModelIndex& index) {
    return static_cast<SidebarRow::Kind>(index.data(kKindRole).toInt());
}

/// Draws a row by its kind: a bold section title, a small wrapped hint, or an entry with its second line,
/// the matching waveform and the default-theme mark.
class SidebarDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const SidebarRow::Kind kind = kindOf(index);
        if (kind == SidebarRow::Kind::item) {
            QStyleOptionViewItem background = option;
            initStyleOption(&background, index);
            background.text.clear();
            background.icon = {};
            option.widget->style()->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);
        }
        painter->save();
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QPalette& palette = option.palette;
        const QColor text = selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
        QColor dim = text;
        dim.setAlphaF(0.6F);
        const QRect area = option.rect.adjusted(kPadding, kPadding / 2, -kPadding, -kPadding / 2);
        const QString title = index.data(Qt::DisplayRole).toString();

        if (kind == SidebarRow::Kind::section) {
            QFont bold = option.font;
            bold.setBold(true);
            painter->setFont(bold);
            painter->setPen(dim);
            painter->drawText(area, Qt::AlignLeft | Qt::AlignBottom, title);
        } else if (kind == SidebarRow::Kind::hint) {
            painter->setFont(smallFont(option.font));
            painter->setPen(dim);
            painter->drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, title);
        } else {
            const QFontMetrics metrics(option.font);
            QRect titleLine(area.left(), area.top(), area.width(), metrics.height());
            const bool off = index.data(kOffRole).toBool();
            if (index.data(kMatchingRole).toBool()) {
                painter->setPen(kMatchingGreen);
                painter->setFont(option.font);
                painter->drawText(titleLine, Qt::AlignRight | Qt::AlignVCenter, kWaveform);
                titleLine.setRight(titleLine.right() - metrics.horizontalAdvance(kWaveform) - kPadding);
            }
            if (index.data(kDefaultThemeRole).toBool()) {
                const QFont small = smallFont(option.font);
                const QString mark = qt(EditorSidebarModel::kYourDefaultTheme);
                painter->setFont(small);
                painter->setPen(selected ? text : palette.color(QPalette::Link));
                painter->drawText(titleLine, Qt::AlignRight | Qt::AlignVCenter, mark);
                titleLine.setRight(titleLine.right() - QFontMetrics(small).horizontalAdvance(mark) - kPadding);
            }
            painter->setFont(option.font);
            painter->setPen(off ? dim : text);
            painter->drawText(titleLine, Qt::AlignLeft | Qt::AlignVCenter,
                              metrics.elidedText(title, Qt::ElideRight, titleLine.width()));
            const QString detail = index.data(kDetailRole).toString();
            if (!detail.isEmpty()) {
                const QFont small = smallFont(option.font);
                painter->setFont(small);
                painter->setPen(dim);
                const QRect detailLine(area.left(), titleLine.bottom() + 1, area.width(), QFontMetrics(small).height());
                painter->drawText(detailLine, Qt::AlignLeft | Qt::AlignVCenter,
                                  QFontMetrics(small).elidedText(detail, Qt::ElideRight, detailLine.width()));
            }
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int width = option.widget != nullptr ? option.widget->width() - 4 * kPadding : 200;
        const QFontMetrics metrics(option.font);
        const QFontMetrics small(smallFont(option.font));
        switch (kindOf(index)) {
        case SidebarRow::Kind::section:
            return {width, metrics.height() + 3 * kPadding};
        case SidebarRow::Kind::hint: {
            const QRect bounds = small.boundingRect(QRect(0, 0, width - 2 * kPadding, 1000), Qt::TextWordWrap,
                                                    index.data(Qt::DisplayRole).toString());
            return {width, bounds.height() + kPadding};
        }
        case SidebarRow::Kind::item:
            break;
        }
        const bool twoLines = !index.data(kDetailRole).toString().isEmpty();
        return {width, metrics.height() + (twoLines ? small.height() + 1 : 0) + kPadding * 2};
    }

private:
    static QFont smallFont(const QFont& font) { return screen_labels::scaledFont(font, 0.85); }
};

} // namespace

EditorSidebar::EditorSidebar(QWidget* parent)
    : QListWidget(parent) {
    setItemDelegate(new SidebarDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setResizeMode(QListView::Adjust);
    setWordWrap(true);
    setAccessibleName(tr("Vibes, themes and screens"));
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(m_rows.size()) && m_rows[static_cast<std::size_t>(row)].route) {
            Q_EMIT routeChosen(*m_rows[static_cast<std::size_t>(row)].route);
        }
    });
}

void EditorSidebar::show(std::vector<SidebarRow> rows, const std::optional<EditorRoute>& current) {
    if (rows != m_rows) {
        const QSignalBlocker blocker(this);
        m_rows = std::move(rows);
        clear();
        for (const SidebarRow& row : m_rows) {
            auto* item = new QListWidgetItem(qt(row.title), this);
            item->setData(kKindRole, static_cast<int>(row.kind));
            item->setData(kDetailRole, qt(row.detail));
            item->setData(kMatchingRole, row.isMatching);
            item->setData(kDefaultThemeRole, row.isDefaultTheme);
            item->setData(kOffRole, row.isOff);
            if (!row.toolTip.empty()) {
                item->setToolTip(qt(row.toolTip));
            }
            // Screen readers read the second line too.
            item->setData(Qt::AccessibleTextRole,
                          row.detail.empty() ? qt(row.title) : qt(row.title + ", " + row.detail));
            Qt::ItemFlags flags = Qt::NoItemFlags;
            if (row.route) {
                flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
                if (row.route->kind == EditorRoute::Kind::vibe) {
                    flags |= Qt::ItemIsDragEnabled;
                }
            }
            // Vibes go in front of a vibe or after the last one; nothing else takes a drop.
            if (row.route && row.route->kind == EditorRoute::Kind::vibe) {
                flags |= Qt::ItemIsDropEnabled;
            }
            item->setFlags(flags);
        }
    }
    select(current);
}

void EditorSidebar::select(const std::optional<EditorRoute>& route) {
    const QSignalBlocker blocker(this);
    const int row = route ? rowOf(*route) : -1;
    if (row < 0) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(row);
    // Before the list has its size, any row would look out of view; the top is where it opens.
    if (isVisible()) {
        scrollToItem(item(row));
    } else {
        scrollToTop();
    }
}

int EditorSidebar::rowOf(const EditorRoute& route) const {
    const auto found =
        std::find_if(m_rows.begin(), m_rows.end(), [&](const SidebarRow& row) { return row.route == route; });
    return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
}

int EditorSidebar::firstVibeRow() const {
    const auto first = std::find_if(m_rows.begin(), m_rows.end(), [](const SidebarRow& row) {
        return row.route && row.route->kind == EditorRoute::Kind::vibe;
    });
    return first == m_rows.end() ? -1 : static_cast<int>(first - m_rows.begin());
}

int EditorSidebar::vibeCount() const {
    return static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(), [](const SidebarRow& row) {
        return row.route && row.route->kind == EditorRoute::Kind::vibe;
    }));
}

int EditorSidebar::vibeDestination(int row, bool below) const {
    const int first = firstVibeRow();
    const int count = vibeCount();
    if (first < 0 || row < 0) {
        return count;
    }
    return std::clamp(row - first + (below ? 1 : 0), 0, count);
}

int EditorSidebar::currentVibePosition() const {
    const int row = currentRow();
    const int first = firstVibeRow();
    if (first < 0 || row < first || row >= first + vibeCount()) {
        return -1;
    }
    return row - first;
}

void EditorSidebar::dropEvent(QDropEvent* event) {
    const int first = firstVibeRow();
    std::vector<int> positions;
    for (const QListWidgetItem* dragged : selectedItems()) {
        const int row = this->row(dragged);
        if (first >= 0 && row >= first && row < first + vibeCount()) {
            positions.push_back(row - first);
        }
    }
    const QModelIndex target = indexAt(event->position().toPoint());
    const bool below = dropIndicatorPosition() == QAbstractItemView::BelowItem;
    // The model moves the vibes and the list is redrawn from it; Qt's own move would fight that.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (!positions.empty()) {
        std::sort(positions.begin(), positions.end());
        Q_EMIT vibesMoved(positions, vibeDestination(target.isValid() ? target.row() : -1, below));
    }
}

void EditorSidebar::keyPressEvent(QKeyEvent* event) {
    const int position = currentVibePosition();
    if (position >= 0 && event->modifiers() == Qt::AltModifier &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        if (event->key() == Qt::Key_Up && position > 0) {
            Q_EMIT vibesMoved({position}, position - 1);
        } else if (event->key() == Qt::Key_Down && position + 1 < vibeCount()) {
            Q_EMIT vibesMoved({position}, position + 2);
        }
        event->accept();
        return;
    }
    if (position >= 0 && event->key() == Qt::Key_Delete) {
        Q_EMIT vibeDeleteRequested(m_rows[static_cast<std::size_t>(currentRow())].route->vibe);
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace nimbrel
