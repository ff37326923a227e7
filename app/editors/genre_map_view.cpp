#include "app/editors/genre_map_view.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>

#include "app/editors/genre_map_model.h"
#include "app/editors/screen_labels.h"

namespace nimbrel {

using screen_labels::qt;
namespace {

/// Sets a label's text only when it differs, so an unchanged row costs no relayout.
void setText(QLabel* label, const QString& text) {
    if (label->text() != text) {
        label->setText(text);
    }
}

QLabel* dimmedLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

GenreMapView::GenreMapView(GenreMapModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model) {
    auto* layout = new QVBoxLayout(this);

    auto* introduction = new QLabel(qt(GenreMapModel::kIntroduction), this);
    introduction->setWordWrap(true);
    layout->addWidget(introduction);

    auto* controls = new QHBoxLayout;
    m_filter = new QLineEdit(this);
    m_filter->setPlaceholderText(qt(GenreMapModel::kFilterPlaceholder));
    m_filter->setAccessibleName(qt(GenreMapModel::kFilterPlaceholder));
    m_filter->setClearButtonEnabled(true);
    m_filter->installEventFilter(this);
    controls->addWidget(m_filter, 1);
    m_unmappedOnly = new QCheckBox(qt(GenreMapModel::kUnmappedOnly), this);
    m_unmappedOnly->setAccessibleName(qt(GenreMapModel::kUnmappedOnly));
    controls->addWidget(m_unmappedOnly);
    m_count = dimmedLabel(this);
    controls->addWidget(m_count);
    layout->addLayout(controls);

    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::StyledPanel);
    m_list = new QWidget(m_scroll);
    m_list->setBackgroundRole(QPalette::Base);
    m_list->setAutoFillBackground(true);
    m_listLayout = new QVBoxLayout(m_list);
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout->setSpacing(0);
    m_empty = dimmedLabel(m_list);
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setMargin(16);
    m_listLayout->addWidget(m_empty);
    m_listLayout->addStretch();
    m_scroll->setWidget(m_list);
    layout->addWidget(m_scroll, 1);

    connect(m_filter, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_model.setFilter(text.toUtf8().toStdString()); });
    connect(m_unmappedOnly, &QCheckBox::toggled, this, [this](bool on) { m_model.setUnmappedOnly(on); });
    connect(&m_model, &GenreMapModel::changed, this, &GenreMapView::refresh);
    refresh();
}

const GenreMapView::RowWidgets* GenreMapView::row(const std::string& genre) const {
    const auto found = std::ranges::find(m_rows, genre, &RowWidgets::genre);
    return found == m_rows.end() ? nullptr : &*found;
}

void GenreMapView::refresh() {
    const auto& rows = m_model.allRows();
    if (!std::ranges::equal(rows, m_rows, {}, &GenreMapModel::Row::genre, &RowWidgets::genre)) {
        rebuildRows();
    }
    // The field is the model's only source of a filter: set it back only when it differs, so typing keeps
    // its cursor.
    const QString filter = qt(m_model.filter());
    if (m_filter->text() != filter) {
        m_filter->setText(filter);
    }
    if (m_unmappedOnly->isChecked() != m_model.unmappedOnly()) {
        m_unmappedOnly->setChecked(m_model.unmappedOnly());
    }
    setText(m_count, qt(m_model.countText()));

    bool alternate = false;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const GenreMapModel::Row& entry = rows[index];
        RowWidgets& widgets = m_rows[index];
        setText(widgets.landing, QStringLiteral("\u2192 ") + qt(entry.landing));
        widgets.landing->setForegroundRole(entry.mapped ? QPalette::WindowText : QPalette::PlaceholderText);
        const bool shadowed = !entry.shadowExplanation.empty();
        if (shadowed) {
            setText(widgets.explanation,
                    qt(GenreMapModel::kShadowArrow) + QStringLiteral(" ") + qt(entry.shadowExplanation));
        }
        widgets.explanation->setVisible(shadowed);
        widgets.assign->setAccessibleDescription(qt(entry.landing));
        const bool shown = m_model.isShown(entry);
        widgets.frame->setVisible(shown);
        if (shown) {
            // Stripes over the shown rows only, so filtering keeps them alternating.
            widgets.frame->setBackgroundRole(alternate ? QPalette::AlternateBase : QPalette::Base);
            alternate = !alternate;
        }
    }
    const std::string empty = m_model.emptyText();
    setText(m_empty, qt(empty));
    m_empty->setVisible(!empty.empty());
}

void GenreMapView::rebuildRows() {
    // A new genre seen in use makes the rows anew; the keyboard stays on the genre it was on.
    std::string focused;
    for (RowWidgets& widgets : m_rows) {
        if (widgets.assign->hasFocus()) {
            focused = widgets.genre;
        }
        delete widgets.frame;
    }
    m_rows.clear();
    QWidget* previous = m_unmappedOnly;
    int position = 0;
    for (const GenreMapModel::Row& entry : m_model.allRows()) {
        RowWidgets widgets;
        widgets.genre = entry.genre;
        widgets.frame = new QWidget(m_list);
        widgets.frame->setAutoFillBackground(true);
        auto* rowLayout = new QVBoxLayout(widgets.frame);
        rowLayout->setContentsMargins(10, 6, 6, 6);
        rowLayout->setSpacing(2);

        auto* line = new QHBoxLayout;
        widgets.name = new QLabel(qt(entry.genre), widgets.frame);
        QFont bold = widgets.name->font();
        bold.setBold(true);
        widgets.name->setFont(bold);
        line->addWidget(widgets.name);
        widgets.badge = dimmedLabel(widgets.frame);
        widgets.badge->setFont(screen_labels::scaledFont(widgets.badge->font(), 0.85));
        widgets.badge->setText(qt(GenreMapModel::kObservedOnly));
        widgets.badge->setVisible(entry.observedOnly);
        line->addWidget(widgets.badge);
        line->addStretch();
        widgets.landing = new QLabel(widgets.frame);
        line->addWidget(widgets.landing);
        widgets.assign = new QPushButton(widgets.frame);
        widgets.assign->setText(qt(GenreMapModel::kAssign));
        widgets.assign->setAccessibleName(qt(GenreMapModel::assignName(entry.genre)));
        widgets.assign->setToolTip(qt(GenreMapModel::assignName(entry.genre)));
        widgets.assign->setFocusPolicy(Qt::StrongFocus);
        widgets.assign->installEventFilter(this);
        // The menu is filled as it opens, so an edit elsewhere never rebuilds seventy menus.
        auto* menu = new QMenu(widgets.assign);
        const std::string genre = entry.genre;
        QPushButton* button = widgets.assign;
        connect(menu, &QMenu::aboutToShow, this, [this, genre, button] { fillMenu(genre, button); });
        widgets.assign->setMenu(menu);
        line->addWidget(widgets.assign);
        rowLayout->addLayout(line);

        widgets.explanation = dimmedLabel(widgets.frame);
        widgets.explanation->setWordWrap(true);
        widgets.explanation->setVisible(false);
        rowLayout->addWidget(widgets.explanation);

        m_listLayout->insertWidget(position++, widgets.frame);
        setTabOrder(previous, widgets.assign);
        previous = widgets.assign;
        m_rows.push_back(widgets);
    }
    if (const RowWidgets* again = row(focused); again != nullptr) {
        again->assign->setFocus(Qt::OtherFocusReason);
    }
}

void GenreMapView::fillMenu(const std::string& genre, QPushButton* button) {
    QMenu* menu = button->menu();
    menu->clear();
    auto* group = new QActionGroup(menu);
    const std::vector<GenreMapModel::MenuEntry> entries = m_model.menuEntries(genre);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const GenreMapModel::MenuEntry& entry = entries[index];
        if (!entry.vibe && index > 0) {
            menu->addSeparator();
        }
        QAction* action = menu->addAction(qt(entry.title));
        action->setCheckable(true);
        action->setChecked(entry.checked);
        group->addAction(action);
        const std::optional<QUuid> vibe = entry.vibe;
        connect(action, &QAction::triggered, this, [this, genre, vibe] { m_model.assign(genre, vibe); });
    }
}

QPushButton* GenreMapView::neighbour(const QPushButton* button, int step) const {
    const auto found = std::ranges::find(m_rows, button, &RowWidgets::assign);
    auto index =
        button == nullptr ? (step > 0 ? -1 : static_cast<std::ptrdiff_t>(m_rows.size())) : found - m_rows.begin();
    if (button != nullptr && found == m_rows.end()) {
        return nullptr;
    }
    for (index += step; index >= 0 && index < static_cast<std::ptrdiff_t>(m_rows.size()); index += step) {
        const RowWidgets& widgets = m_rows[static_cast<std::size_t>(index)];
        if (!widgets.frame->isHidden()) {
            return widgets.assign;
        }
    }
    return nullptr;
}

bool GenreMapView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Down && key != Qt::Key_Up) {
        return QWidget::eventFilter(watched, event);
    }
    QPushButton* target = nullptr;
    if (watched == m_filter) {
        // Down from the filter goes to the first genre it left.
        target = key == Qt::Key_Down ? neighbour(nullptr, 1) : nullptr;
    } else if (auto* button = qobject_cast<QPushButton*>(watched)) {
        target = neighbour(button, key == Qt::Key_Down ? 1 : -1);
    }
    if (target == nullptr) {
        return QWidget::eventFilter(watched, event);
    }
    target->setFocus(Qt::TabFocusReason);
    m_scroll->ensureWidgetVisible(target);
    return true;
}

} // namespace nimbrel
