#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QUndoStack>
#include <functional>
#include <optional>

#include "app/editors/editor_route.h"
#include "core/rendering/slack_emoji.h"

class QAction;
class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QToolButton;

namespace nimbrel {

class DefaultVibeEditorView;
class EditorSidebar;
class FormattingView;
class GenreMapModel;
class GenreMapView;
class LivePreviewInspector;
class LivePreviewModel;
class ThemeEditorView;
class VibeEditorView;
class VibesEditorModel;

/// The vibe editor: the sidebar of vibes, screens and themes, the screen of the chosen route, the live
/// preview as an inspector, and the problem banner while the editor's state cannot be saved. The window owns
/// the undo stack the editor records its named steps on (Ctrl+Z, Ctrl+Shift+Z).
class VibeEditorWindow final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VibeEditorWindow)

public:
    /// Asks the user to confirm "Reset Vibes to Defaults…"; true to go ahead.
    using ConfirmReset = std::function<bool(QWidget* parent)>;

    /// The models must outlive the window.
    VibeEditorWindow(VibesEditorModel& editor, LivePreviewModel& preview, GenreMapModel& genreMap,
                     QWidget* parent = nullptr);
    ~VibeEditorWindow() override;

    /// Shows the screen of `route`; none shows "Select a vibe".
    void setRoute(const std::optional<EditorRoute>& route);
    const std::optional<EditorRoute>& route() const { return m_route; }
    /// The genres the keyword field suggests: the catalogue and those seen on this computer.
    void setGenreSuggestions(const QStringList& genres);
    /// The workspaces' custom emoji; none while no workspace is connected.
    void setWorkspaceEmoji(const std::optional<SlackEmoji::Workspace>& emoji);
    /// Replaces the confirmation dialog (tests answer it themselves).
    void setConfirmReset(ConfirmReset confirm) { m_confirmReset = std::move(confirm); }
    /// Asks, then replaces the vibes with the built-in ones and shows the first.
    void resetVibesToDefaults();

    QUndoStack& undoStack() { return m_undoStack; }
    EditorSidebar* sidebar() const { return m_sidebar; }
    QWidget* currentScreen() const;
    VibeEditorView* vibeView() const { return m_vibeView; }
    DefaultVibeEditorView* defaultVibeView() const { return m_defaultVibeView; }
    FormattingView* formattingView() const { return m_formattingView; }
    ThemeEditorView* themeView() const { return m_themeView; }
    GenreMapView* genreMapView() const { return m_genreMapView; }
    QWidget* banner() const { return m_banner; }
    QLabel* bannerProblem() const { return m_bannerProblem; }
    QAction* newVibeAction() const { return m_newVibe; }
    QAction* newThemeAction() const { return m_newTheme; }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }
    QAction* previewAction() const { return m_previewToggle; }
    QPushButton* resetButton() const { return m_reset; }
    QWidget* inspector() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    QWidget* buildSidebarPanel();
    QWidget* buildBanner();
    void refresh();
    void refreshSidebar();
    void showPreview(bool shown);
    void addVibe();
    void addTheme();
    void deleteVibe(const QUuid& id);

    VibesEditorModel& m_editor;
    LivePreviewModel& m_preview;
    GenreMapModel& m_genreMap;
    QUndoStack m_undoStack;
    std::optional<EditorRoute> m_route;
    ConfirmReset m_confirmReset;

    EditorSidebar* m_sidebar = nullptr;
    QPushButton* m_reset = nullptr;
    QWidget* m_banner = nullptr;
    QLabel* m_bannerProblem = nullptr;
    QStackedWidget* m_screens = nullptr;
    QWidget* m_nothingSelected = nullptr;
    VibeEditorView* m_vibeView = nullptr;
    DefaultVibeEditorView* m_defaultVibeView = nullptr;
    FormattingView* m_formattingView = nullptr;
    ThemeEditorView* m_themeView = nullptr;
    GenreMapView* m_genreMapView = nullptr;
    QScrollArea* m_inspector = nullptr;
    QAction* m_newVibe = nullptr;
    QAction* m_newTheme = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_previewToggle = nullptr;
};

} // namespace nimbrel
