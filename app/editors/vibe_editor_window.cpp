#include "app/editors/vibe_editor_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/editors/default_vibe_editor_view.h"
#include "app/editors/editor_sidebar.h"
#include "app/editors/editor_sidebar_model.h"
#include "app/editors/formatting_view.h"
#include "app/editors/genre_map_model.h"
#include "app/editors/genre_map_view.h"
#include "app/editors/live_preview_inspector.h"
#include "app/editors/live_preview_model.h"
#include "app/editors/settings_widgets.h"
#include "app/editors/theme_editor_view.h"
#include "app/editors/vibe_basics_form.h"
#include "app/editors/vibe_editor_text.h"
#include "app/editors/vibe_editor_view.h"
#include "app/editors/vibes_editor_model.h"

namespace nimbrel {

using settings_widgets::qt;

namespace {

bool askToReset(QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, qt(VibeEditorText::kResetTitle), qt(VibeEditorText::kResetTitle),
                    QMessageBox::NoButton, parent);
    box.setInformativeText(qt(VibeEditorText::kResetMessage));
    QPushButton* reset = box.addButton(qt(VibeEditorText::kResetConfirm), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(qt(VibeEditorText::kCancel), QMessageBox::RejectRole);
    box.setDefaultButton(cancel); // a destructive step is never the Return key's
    box.exec();
    return box.clickedButton() == reset;
}

/// A screen in a scroll area, so long screens stay usable in a small window.
QScrollArea* scrolled(QWidget* screen, QWidget* parent) {
    auto* area = new QScrollArea(parent);
    area->setWidget(screen);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

} // namespace

VibeEditorWindow::VibeEditorWindow(VibesEditorModel& editor, LivePreviewModel& preview, GenreMapModel& genreMap,
                                   QWidget* parent)
    : QMainWindow(parent)
    , m_editor(editor)
    , m_preview(preview)
    , m_genreMap(genreMap)
    , m_confirmReset(&askToReset) {
    setWindowTitle(qt(VibeEditorText::kWindowTitle));
    m_editor.setUndoStack(&m_undoStack);
    buildActions();

    m_screens = new QStackedWidget(this);
    m_nothingSelected = new QWidget(m_screens);
    {
        auto* column = new QVBoxLayout(m_nothingSelected);
        column->addStretch();
        auto* title = new QLabel(qt(VibeEditorText::kNothingSelectedTitle), m_nothingSelected);
        QFont font = title->font();
        font.setPointSizeF(font.pointSizeF() * 1.4);
        font.setBold(true);
        title->setFont(font);
        column->addWidget(title, 0, Qt::AlignHCenter);
        column->addWidget(settings_widgets::noteLabel(qt(VibeEditorText::kNothingSelectedText), m_nothingSelected), 0,
                          Qt::AlignHCenter);
        column->addStretch();
    }
    m_vibeView = new VibeEditorView(m_editor, m_preview, m_screens);
    m_defaultVibeView = new DefaultVibeEditorView(m_editor, m_screens);
    m_formattingView = new FormattingView(m_editor, m_screens);
    m_themeView = new ThemeEditorView(m_editor, m_screens);
    m_genreMapView = new GenreMapView(m_genreMap, m_screens);
    for (QWidget* screen : {m_nothingSelected, static_cast<QWidget*>(m_vibeView),
                            static_cast<QWidget*>(m_defaultVibeView), static_cast<QWidget*>(m_formattingView),
                            static_cast<QWidget*>(m_themeView), static_cast<QWidget*>(m_genreMapView)}) {
        m_screens->addWidget(screen == m_genreMapView ? screen : scrolled(screen, m_screens));
    }

    auto* inspector = new LivePreviewInspector(m_preview, this);
    m_inspector = scrolled(inspector, this);
    m_inspector->setMinimumWidth(280);

    auto* split = new QSplitter(this);
    split->addWidget(buildSidebarPanel());
    split->addWidget(m_screens);
    split->addWidget(m_inspector);
    split->setStretchFactor(1, 1);
    split->setCollapsible(1, false);
    split->setSizes({260, 520, 300});

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildBanner());
    column->addWidget(split, 1);
    setCentralWidget(central);
    resize(1100, 680);

    connect(m_sidebar, &EditorSidebar::routeChosen, this, [this](const EditorRoute& route) { setRoute(route); });
    connect(m_sidebar, &EditorSidebar::vibesMoved, &m_editor, &VibesEditorModel::moveVibes);
    connect(m_sidebar, &EditorSidebar::vibeDeleteRequested, this, &VibeEditorWindow::deleteVibe);
    connect(m_vibeView, &VibeEditorView::deleteRequested, this, &VibeEditorWindow::deleteVibe);
    connect(m_themeView, &ThemeEditorView::themeDuplicated, this,
            [this](const std::string& id) { setRoute(EditorRoute::toTheme(id)); });
    connect(&m_editor, &VibesEditorModel::changed, this, &VibeEditorWindow::refresh);
    connect(&m_preview, &LivePreviewModel::changed, this, [this] {
        refreshSidebar();
        const LivePreviewModel::Playing& playing = m_preview.playing();
        m_formattingView->setPlaying(playing.artist, playing.track, playing.genres);
    });
    const LivePreviewModel::Playing& playing = m_preview.playing();
    m_formattingView->setPlaying(playing.artist, playing.track, playing.genres);
    setRoute(std::nullopt);
    refresh();
}

VibeEditorWindow::~VibeEditorWindow() {
    m_editor.setUndoStack(nullptr);
}

void VibeEditorWindow::buildActions() {
    m_newVibe = new QAction(qt(VibeEditorText::kNewVibe), this);
    m_newVibe->setShortcut(QKeySequence::New);
    connect(m_newVibe, &QAction::triggered, this, &VibeEditorWindow::addVibe);
    m_newTheme = new QAction(qt(VibeEditorText::kNewTheme), this);
    m_newTheme->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    connect(m_newTheme, &QAction::triggered, this, &VibeEditorWindow::addTheme);

    m_undo = m_undoStack.createUndoAction(this);
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo = m_undoStack.createRedoAction(this);
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    m_previewToggle = new QAction(qt(VibeEditorText::kLivePreview), this);
    m_previewToggle->setCheckable(true);
    m_previewToggle->setChecked(true);
    m_previewToggle->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P));
    connect(m_previewToggle, &QAction::toggled, this, &VibeEditorWindow::showPreview);

    auto* close = new QAction(tr("Close"), this);
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(m_newVibe);
    file->addAction(m_newTheme);
    file->addSeparator();
    file->addAction(close);
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(m_undo);
    edit->addAction(m_redo);
    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->addAction(m_previewToggle);

    QToolBar* bar = addToolBar(tr("Editor"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* add = new QToolButton(bar);
    add->setText(qt(VibeEditorText::kAddMenu));
    add->setIcon(QIcon::fromTheme(QStringLiteral("list-add")));
    add->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    add->setToolTip(qt(VibeEditorText::kAddMenuToolTip));
    add->setAccessibleName(qt(VibeEditorText::kAddMenu));
    add->setPopupMode(QToolButton::InstantPopup);
    auto* addMenu = new QMenu(add);
    addMenu->addAction(m_newVibe);
    addMenu->addAction(m_newTheme);
    add->setMenu(addMenu);
    bar->addWidget(add);
    auto* spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    m_previewToggle->setIcon(
        QIcon::fromTheme(QStringLiteral("view-right-pane"), QIcon::fromTheme(QStringLiteral("view-preview"))));
    bar->addAction(m_previewToggle);
    showPreview(true);
}

QWidget* VibeEditorWindow::buildSidebarPanel() {
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 6);
    m_sidebar = new EditorSidebar(panel);
    m_sidebar->setMinimumWidth(220);
    column->addWidget(m_sidebar, 1);
    auto* divider = new QFrame(panel);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    column->addWidget(divider);
    m_reset = new QPushButton(qt(VibeEditorText::kResetButton), panel);
    m_reset->setFlat(true);
    m_reset->setCursor(Qt::PointingHandCursor);
    m_reset->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); text-align: left; padding: 2px 8px; }"
                                          "QPushButton:hover, QPushButton:focus { text-decoration: underline; }"));
    connect(m_reset, &QPushButton::clicked, this, &VibeEditorWindow::resetVibesToDefaults);
    column->addWidget(m_reset, 0, Qt::AlignLeft);
    return panel;
}

QWidget* VibeEditorWindow::buildBanner() {
    m_banner = new QFrame(this);
    m_banner->setObjectName(QStringLiteral("problemBanner"));
    m_banner->setStyleSheet(QStringLiteral("#problemBanner { background: #fff4d6; border-bottom: 1px solid #e0c46c; }"
                                           "#problemBanner QLabel { color: #5a4300; }"));
    auto* row = new QHBoxLayout(m_banner);
    auto* icon = new QLabel(m_banner);
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* text = new QVBoxLayout();
    m_bannerProblem = new QLabel(m_banner);
    QFont bold = m_bannerProblem->font();
    bold.setBold(true);
    m_bannerProblem->setFont(bold);
    m_bannerProblem->setWordWrap(true);
    m_bannerProblem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->addWidget(m_bannerProblem);
    text->addWidget(new QLabel(qt(VibesEditorModel::kNotSavedCaption), m_banner));
    row->addLayout(text, 1);
    m_banner->setAccessibleName(tr("Problem"));
    m_banner->hide();
    return m_banner;
}

QWidget* VibeEditorWindow::currentScreen() const {
    QWidget* page = m_screens->currentWidget();
    if (auto* area = qobject_cast<QScrollArea*>(page)) {
        return area->widget();
    }
    return page;
}

QWidget* VibeEditorWindow::inspector() const {
    return m_inspector;
}

void VibeEditorWindow::setRoute(const std::optional<EditorRoute>& route) {
    m_route = route;
    QWidget* screen = m_nothingSelected;
    if (route) {
        switch (route->kind) {
        case EditorRoute::Kind::vibe:
            m_vibeView->setVibe(route->vibe);
            screen = m_vibeView;
            break;
        case EditorRoute::Kind::theme:
            m_themeView->setThemeID(route->themeID);
            screen = m_themeView;
            break;
        case EditorRoute::Kind::formatting:
            screen = m_formattingView;
            break;
        case EditorRoute::Kind::genres:
            screen = m_genreMapView;
            break;
        case EditorRoute::Kind::defaultVibe:
            screen = m_defaultVibeView;
            break;
        }
    }
    for (int i = 0; i < m_screens->count(); ++i) {
        QWidget* page = m_screens->widget(i);
        auto* area = qobject_cast<QScrollArea*>(page);
        if (page == screen || (area != nullptr && area->widget() == screen)) {
            m_screens->setCurrentIndex(i);
        }
    }
    m_preview.setSelectedVibe(route && route->kind == EditorRoute::Kind::vibe ? std::optional(route->vibe)
                                                                              : std::nullopt);
    m_sidebar->select(route);
}

void VibeEditorWindow::setGenreSuggestions(const QStringList& genres) {
    m_vibeView->setGenreSuggestions(genres);
}

void VibeEditorWindow::setWorkspaceEmoji(const std::optional<SlackEmoji::Workspace>& emoji) {
    m_vibeView->setWorkspaceEmoji(emoji);
    m_defaultVibeView->setWorkspaceEmoji(emoji);
}

void VibeEditorWindow::refresh() {
    const QString problem = m_editor.errorText();
    m_bannerProblem->setText(problem);
    m_banner->setVisible(!problem.isEmpty());
    // A vibe undone away has no screen to show; its theme counterpart says "Theme not found" instead, as a
    // theme can be deleted from its own screen.
    if (m_route && m_route->kind == EditorRoute::Kind::vibe && m_editor.vibe(m_route->vibe) == nullptr) {
        setRoute(std::nullopt);
    }
    refreshSidebar();
}

void VibeEditorWindow::refreshSidebar() {
    m_sidebar->show(EditorSidebarModel::rows(m_editor.draft(), m_preview.matchedVibe()), m_route);
}

void VibeEditorWindow::showPreview(bool shown) {
    if (m_inspector != nullptr) {
        m_inspector->setVisible(shown);
    }
    m_previewToggle->setToolTip(qt(shown ? VibeEditorText::kHidePreview : VibeEditorText::kShowPreview));
}

void VibeEditorWindow::addVibe() {
    setRoute(EditorRoute::toVibe(m_editor.addVibe()));
    QLineEdit* name = m_vibeView->basics()->nameEdit();
    name->setFocus();
    name->selectAll();
}

void VibeEditorWindow::addTheme() {
    setRoute(EditorRoute::toTheme(m_editor.addTheme()));
}

void VibeEditorWindow::deleteVibe(const QUuid& id) {
    m_editor.deleteVibe(id);
}

void VibeEditorWindow::resetVibesToDefaults() {
    if (!m_confirmReset(this)) {
        return;
    }
    if (!m_editor.resetVibesToDefaults()) {
        QMessageBox::warning(this, qt(VibeEditorText::kResetButton), qt(VibeEditorText::kResetFailed));
        return;
    }
    if (!m_editor.vibes().empty()) {
        setRoute(EditorRoute::toVibe(m_editor.vibes().front().id));
    }
}

void VibeEditorWindow::closeEvent(QCloseEvent* event) {
    // Closing within the quiet period after an edit must not lose it.
    if (m_editor.hasPendingCommit()) {
        m_editor.commit();
    }
    QMainWindow::closeEvent(event);
}

} // namespace nimbrel
