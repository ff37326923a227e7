#include "app/editors/vibe_editor.h"

#include "app/editors/engine_config_holder.h"
#include "app/editors/engine_preview_feed.h"
#include "app/editors/genre_map_model.h"
#include "app/editors/live_preview_model.h"
#include "app/editors/vibe_editor_window.h"
#include "app/editors/vibes_editor_model.h"
#include "app/engine/engine_view_model.h"
#include "core/genres/itunes_genres.h"

namespace nimbrel {

VibeEditor::VibeEditor(EngineViewModel& engine, Timers& timers, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_holder(std::make_unique<EngineConfigHolder>(engine))
    , m_model(std::make_unique<VibesEditorModel>(timers))
    , m_preview(std::make_unique<LivePreviewModel>(*m_model))
    , m_genreMap(std::make_unique<GenreMapModel>(*m_model)) {
    m_model->setConfigHolder(m_holder.get());
    m_window = std::make_unique<VibeEditorWindow>(*m_model, *m_preview, *m_genreMap);
    feedLivePreview(engine, *m_preview);
    connect(&engine, &EngineViewModel::observedGenresChanged, this, &VibeEditor::takeGenres);
    connect(&engine, &EngineViewModel::workspaceEmojiChanged, this, &VibeEditor::takeEmoji);
    connect(&engine, &EngineViewModel::configChanged, this, &VibeEditor::takeEmoji);
    takeGenres();
    takeEmoji();
}

VibeEditor::~VibeEditor() {
    // An edit still in its quiet period is applied while the engine is there to take it.
    m_window.reset();
    if (m_model->hasPendingCommit()) {
        m_model->commit();
    }
    m_model->setConfigHolder(nullptr);
}

void VibeEditor::open() {
    if (!m_window->isVisible()) {
        m_model->load();
        m_window->setRoute(m_model->vibes().empty() ? std::nullopt
                                                    : std::optional(EditorRoute::toVibe(m_model->vibes().front().id)));
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void VibeEditor::takeGenres() {
    std::vector<std::string> observed;
    for (const QString& genre : m_engine.observedGenres()) {
        observed.push_back(genre.toStdString());
    }
    QStringList suggestions;
    for (const std::string& genre : ITunesGenres::merged(observed)) {
        suggestions.push_back(QString::fromStdString(genre));
    }
    m_window->setGenreSuggestions(suggestions);
    m_genreMap->setObservedGenres(std::move(observed));
}

void VibeEditor::takeEmoji() {
    // Without a workspace nobody can say whether a custom shortcode renders.
    if (m_engine.config().slackAccounts.empty()) {
        m_window->setWorkspaceEmoji(std::nullopt);
        return;
    }
    const std::map<std::string, std::string>& emoji = m_engine.workspaceEmoji();
    m_window->setWorkspaceEmoji(SlackEmoji::Workspace(emoji.begin(), emoji.end()));
}

} // namespace nimbrel
