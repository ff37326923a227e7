#pragma once

#include <QObject>
#include <memory>

namespace nimbrel {

class EngineConfigHolder;
class EngineViewModel;
class GenreMapModel;
class LivePreviewModel;
class Timers;
class VibeEditorWindow;
class VibesEditorModel;

/// The vibe editor as the program holds it: the window, its models and the engine feeding them. Built the
/// first time it opens; each opening after the window was closed reads the configuration in force afresh,
/// so edits made meanwhile elsewhere (a reload from disk) are not overwritten by a stale draft.
class VibeEditor final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VibeEditor)

public:
    /// `engine` and `timers` must outlive the editor.
    VibeEditor(EngineViewModel& engine, Timers& timers, QObject* parent = nullptr);
    ~VibeEditor() override;

    /// Shows the window in front, filled from the configuration in force unless it is already open.
    void open();
    VibeEditorWindow& window() { return *m_window; }
    VibesEditorModel& model() { return *m_model; }

private:
    void takeGenres();
    void takeEmoji();

    EngineViewModel& m_engine;
    std::unique_ptr<EngineConfigHolder> m_holder;
    std::unique_ptr<VibesEditorModel> m_model;
    std::unique_ptr<LivePreviewModel> m_preview;
    std::unique_ptr<GenreMapModel> m_genreMap;
    std::unique_ptr<VibeEditorWindow> m_window;
};

} // namespace nimbrel
