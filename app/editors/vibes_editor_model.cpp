#include "app/editors/vibes_editor_model.h"

#include <QUndoCommand>
#include <algorithm>
#include <utility>

#include "app/log/app_log.h"
#include "core/config/built_in_config.h"
#include "core/text/casing.h"
#include "core/text/whitespace.h"

namespace nimbrel {
namespace {

constexpr std::string_view kRejectedLogPrefix = "commit: rejected \u2014 ";
constexpr std::string_view kRejectedUnknown = "unknown";

/// One named step. It holds the draft on the other side of the step and swaps it with the model's on every
/// undo and redo, so redo works exactly like undo.
class DraftExchange final : public QUndoCommand {
public:
    DraftExchange(VibesEditorModel& model, VibesEditorModel::EditorDraft other, std::string_view name)
        : QUndoCommand(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())))
        , m_model(&model)
        , m_other(std::move(other)) {}

    void undo() override { exchange(); }
    void redo() override {
        // The stack calls redo when the step is pushed; the model has made that change already.
        if (m_pushed) {
            exchange();
        }
        m_pushed = true;
    }

private:
    void exchange() {
        if (m_model.isNull()) {
            return; // the editor is gone; its steps are inert
        }
        VibesEditorModel::EditorDraft current = m_model->draft();
        m_model->restoreDraft(std::move(m_other));
        m_other = std::move(current);
    }

    QPointer<VibesEditorModel> m_model;
    VibesEditorModel::EditorDraft m_other;
    bool m_pushed = false;
};

Vibe trimmedVibe(Vibe vibe) {
    vibe.name = std::string(Whitespace::trimmed(vibe.name));
    vibe.statusText = std::string(Whitespace::trimmed(vibe.statusText));
    vibe.statusEmoji = std::string(Whitespace::trimmed(vibe.statusEmoji));
    return vibe;
}

std::vector<IdentifiedVibe> freshlyIdentified(const std::vector<Vibe>& vibes) {
    std::vector<IdentifiedVibe> result;
    result.reserve(vibes.size());
    for (const Vibe& vibe : vibes) {
        result.push_back({QUuid::createUuid(), vibe});
    }
    return result;
}

/// The names as the commit line prints them: `["chill", "focus"]`, each quoted so that names with spaces
/// or commas read unambiguously; a quote or backslash inside a name is escaped with a backslash.
std::string printedNames(const std::vector<Vibe>& vibes) {
    std::string text = "[";
    for (std::size_t i = 0; i < vibes.size(); ++i) {
        if (i > 0) {
            text += ", ";
        }
        text += '"';
        for (const char c : vibes[i].name) {
            if (c == '"' || c == '\\') {
                text += '\\';
            }
            text += c;
        }
        text += '"';
    }
    return text + "]";
}

} // namespace

std::string VibesEditorModel::duplicateVibeNameProblem(std::string_view name) {
    return "Duplicate vibe name \u201C" + std::string(name) + "\u201D.";
}

Vibe VibesEditorModel::initialDefaultVibe() {
    return Vibe{.name = "listening", .statusText = "Vibing", .statusEmoji = ":headphones:", .match = {}, .themeID = {}};
}

VibesEditorModel::VibesEditorModel(Timers& timers, QObject* parent)
    : QObject(parent)
    , m_timers(timers) {}

VibesEditorModel::~VibesEditorModel() {
    if (hasPendingCommit()) {
        commit();
    }
}

void VibesEditorModel::setConfigHolder(ConfigHolder* holder) {
    m_holder = holder;
}

void VibesEditorModel::setUndoStack(QUndoStack* stack) {
    m_undoStack = stack;
}

const IdentifiedVibe* VibesEditorModel::vibe(const QUuid& id) const {
    const auto found = std::ranges::find(m_draft.vibes, id, &IdentifiedVibe::id);
    return found != m_draft.vibes.end() ? &*found : nullptr;
}

QString VibesEditorModel::errorText() const {
    return m_errorMessage ? QString::fromStdString(*m_errorMessage) : QString();
}

std::vector<StatusTheme> VibesEditorModel::allThemes() const {
    std::vector<StatusTheme> themes = StatusTheme::builtIns();
    themes.insert(themes.end(), m_draft.customThemes.begin(), m_draft.customThemes.end());
    return themes;
}

bool VibesEditorModel::load() {
    if (m_holder == nullptr) {
        return false;
    }
    const VibeConfig& config = m_holder->config();
    EditorDraft draft;
    draft.vibes = freshlyIdentified(config.vibes);
    draft.useDefaultVibe = config.defaultVibe.has_value();
    // Without a default vibe in the configuration, the one already here stays for switching it back on.
    draft.defaultVibe = config.defaultVibe.value_or(m_draft.defaultVibe);
    draft.statusFormat = config.statusFormat;
    draft.themeID = config.themeID;
    draft.customThemes = config.customThemes;

    m_commitTask.reset();
    if (m_undoStack) {
        m_undoStack->clear();
    }
    m_draft = std::move(draft);
    m_errorMessage.reset();
    m_loaded = true;
    Q_EMIT changed();
    return true;
}

QUuid VibesEditorModel::addVibe() {
    const QUuid id = QUuid::createUuid();
    perform(kAddVibeStep, [&](EditorDraft& draft) {
        draft.vibes.push_back({id, Vibe{.name = std::string(kNewVibeName),
                                        .statusText = std::string(kNewVibeStatusText),
                                        .statusEmoji = std::string(kNewVibeEmoji),
                                        .match = {},
                                        .themeID = {}}});
    });
    return id;
}

void VibesEditorModel::deleteVibe(const QUuid& id) {
    perform(kDeleteVibeStep, [&](EditorDraft& draft) {
        std::erase_if(draft.vibes, [&](const IdentifiedVibe& entry) { return entry.id == id; });
    });
}

void VibesEditorModel::deleteVibes(const std::vector<int>& positions) {
    perform(kDeleteVibeStep, [&](EditorDraft& draft) {
        std::vector<IdentifiedVibe> kept;
        for (std::size_t i = 0; i < draft.vibes.size(); ++i) {
            if (std::ranges::find(positions, static_cast<int>(i)) == positions.end()) {
                kept.push_back(std::move(draft.vibes[i]));
            }
        }
        draft.vibes = std::move(kept);
    });
}

void VibesEditorModel::moveVibes(const std::vector<int>& positions, int destination) {
    perform(kReorderVibesStep, [&](EditorDraft& draft) {
        const int count = static_cast<int>(draft.vibes.size());
        const int target = std::clamp(destination, 0, count);
        std::vector<IdentifiedVibe> moved;
        std::vector<IdentifiedVibe> rest;
        int movedBeforeTarget = 0;
        for (int i = 0; i < count; ++i) {
            const auto index = static_cast<std::size_t>(i);
            if (std::ranges::find(positions, i) != positions.end()) {
                moved.push_back(std::move(draft.vibes[index]));
                movedBeforeTarget += i < target ? 1 : 0;
            } else {
                rest.push_back(std::move(draft.vibes[index]));
            }
        }
        // The destination counts positions of the list before the move.
        const auto insertAt = rest.begin() + (target - movedBeforeTarget);
        rest.insert(insertAt, std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()));
        draft.vibes = std::move(rest);
    });
}

std::string VibesEditorModel::addTheme() {
    const std::string id = StatusTheme::uniqueID(kNewThemeName, themeIDsInUse());
    perform(kAddThemeStep, [&](EditorDraft& draft) {
        draft.customThemes.push_back(StatusTheme{.id = id,
                                                 .name = std::string(kNewThemeName),
                                                 .prefix = {},
                                                 .suffix = {},
                                                 .transform = TextTransform::none,
                                                 .templateText = std::nullopt,
                                                 .summary = {}});
    });
    return id;
}

std::string VibesEditorModel::duplicateTheme(const StatusTheme& theme) {
    StatusTheme copy = theme;
    copy.name = theme.name + std::string(kThemeCopySuffix);
    copy.id = StatusTheme::uniqueID(copy.name, themeIDsInUse());
    copy.summary.clear();
    perform(kDuplicateThemeStep, [&](EditorDraft& draft) { draft.customThemes.push_back(copy); });
    return copy.id;
}

void VibesEditorModel::deleteTheme(std::string_view id) {
    perform(kDeleteThemeStep, [&](EditorDraft& draft) {
        if (std::erase_if(draft.customThemes, [&](const StatusTheme& theme) { return theme.id == id; }) == 0) {
            return;
        }
        if (draft.themeID == id) {
            draft.themeID = std::string(VibeConfig::plainThemeID);
        }
        const auto dropOverride = [&](Vibe& vibe) {
            if (vibe.themeID == id) {
                vibe.themeID.reset();
            }
        };
        for (IdentifiedVibe& entry : draft.vibes) {
            dropOverride(entry.vibe);
        }
        dropOverride(draft.defaultVibe);
    });
}

void VibesEditorModel::mapGenre(std::string_view genre, const std::optional<QUuid>& vibe) {
    const std::string trimmed(Whitespace::trimmed(genre));
    if (trimmed.empty()) {
        return;
    }
    // The same case folding as matching, so a mapped genre is taken from every vibe it would match exactly.
    const std::string lowered = Casing::lowercased(trimmed);
    perform(vibe ? kMapGenreStep : kUnmapGenreStep, [&](EditorDraft& draft) {
        for (IdentifiedVibe& entry : draft.vibes) {
            std::erase_if(entry.vibe.match,
                          [&](const std::string& keyword) { return Casing::lowercased(keyword) == lowered; });
            if (vibe && entry.id == *vibe) {
                entry.vibe.match.push_back(trimmed);
            }
        }
    });
}

bool VibesEditorModel::resetVibesToDefaults() {
    const std::optional<VibeConfig> builtIn = builtInConfig();
    if (!builtIn) {
        return false;
    }
    perform(kResetVibesStep, [&](EditorDraft& draft) {
        draft.vibes = freshlyIdentified(builtIn->vibes);
        draft.useDefaultVibe = builtIn->defaultVibe.has_value();
        if (builtIn->defaultVibe) {
            draft.defaultVibe = *builtIn->defaultVibe;
        }
    });
    return true;
}

bool VibesEditorModel::setVibe(const QUuid& id, Vibe vibe) {
    if (this->vibe(id) == nullptr) {
        return false;
    }
    edit([&](EditorDraft& draft) { std::ranges::find(draft.vibes, id, &IdentifiedVibe::id)->vibe = std::move(vibe); });
    return true;
}

void VibesEditorModel::setUseDefaultVibe(bool use) {
    edit([&](EditorDraft& draft) { draft.useDefaultVibe = use; });
}

void VibesEditorModel::setDefaultVibe(Vibe vibe) {
    edit([&](EditorDraft& draft) { draft.defaultVibe = std::move(vibe); });
}

void VibesEditorModel::setStatusFormat(std::string format) {
    edit([&](EditorDraft& draft) { draft.statusFormat = std::move(format); });
}

void VibesEditorModel::setThemeID(std::string id) {
    edit([&](EditorDraft& draft) { draft.themeID = std::move(id); });
}

bool VibesEditorModel::setCustomTheme(StatusTheme theme) {
    const auto found = std::ranges::find(m_draft.customThemes, theme.id, &StatusTheme::id);
    if (found == m_draft.customThemes.end()) {
        return false;
    }
    const auto index = found - m_draft.customThemes.begin();
    edit([&](EditorDraft& draft) { draft.customThemes[static_cast<std::size_t>(index)] = std::move(theme); });
    return true;
}

void VibesEditorModel::restoreDraft(EditorDraft draft) {
    m_draft = std::move(draft);
    Q_EMIT changed();
    scheduleCommit();
}

std::optional<std::string> VibesEditorModel::validationError() const {
    std::set<std::string_view, std::less<>> seen;
    for (const IdentifiedVibe& entry : m_draft.vibes) {
        const std::string_view name = Whitespace::trimmed(entry.vibe.name);
        if (name.empty()) {
            return std::string(kVibeNeedsName);
        }
        if (!seen.insert(name).second) {
            return duplicateVibeNameProblem(name);
        }
    }
    if (m_draft.useDefaultVibe && Whitespace::trimmed(m_draft.defaultVibe.name).empty()) {
        return std::string(kDefaultVibeNeedsName);
    }
    // Only spaces count here: a name of line breaks alone passes, as it always has.
    for (const StatusTheme& theme : m_draft.customThemes) {
        if (Whitespace::trimmedSpacesAndTabs(theme.name).empty()) {
            return std::string(kThemeNeedsName);
        }
    }
    return std::nullopt;
}

std::optional<VibeConfig> VibesEditorModel::makeConfiguration() const {
    if (m_holder == nullptr || validationError()) {
        return std::nullopt;
    }
    VibeConfig config = m_holder->config();
    config.vibes.clear();
    config.vibes.reserve(m_draft.vibes.size());
    for (const IdentifiedVibe& entry : m_draft.vibes) {
        config.vibes.push_back(trimmedVibe(entry.vibe));
    }
    config.defaultVibe =
        m_draft.useDefaultVibe ? std::optional<Vibe>(trimmedVibe(m_draft.defaultVibe)) : std::optional<Vibe>();
    config.statusFormat = m_draft.statusFormat;
    config.themeID = m_draft.themeID;
    config.customThemes = m_draft.customThemes;
    return config;
}

std::optional<VibeConfig> VibesEditorModel::previewConfiguration() const {
    if (std::optional<VibeConfig> draft = makeConfiguration()) {
        return draft;
    }
    return m_holder != nullptr ? std::optional(m_holder->config()) : std::nullopt;
}

void VibesEditorModel::commit() {
    // Whoever calls commit supersedes the delayed one.
    m_commitTask.reset();
    if (m_holder == nullptr) {
        return;
    }
    setErrorMessage(validationError());
    std::optional<VibeConfig> config = makeConfiguration();
    if (!config) {
        log(std::string(kRejectedLogPrefix) + m_errorMessage.value_or(std::string(kRejectedUnknown)), LogLevel::debug);
        return;
    }
    if (*config == m_holder->config()) {
        return;
    }
    log("commit: theme=" + config->themeID + " vibes=" + printedNames(config->vibes), LogLevel::debug);
    m_holder->applyConfig(std::move(*config), true);
}

void VibesEditorModel::scheduleCommit() {
    // Replacing the handle cancels the pending commit.
    m_commitTask = m_timers.start(kCommitDelay, TimerPurpose::editorCommit, [this] { commit(); });
}

void VibesEditorModel::perform(std::string_view stepName, const std::function<void(EditorDraft&)>& change) {
    EditorDraft before = m_draft;
    change(m_draft);
    if (m_draft == before) {
        return; // nothing changed: no step that would undo nothing
    }
    if (m_undoStack) {
        m_undoStack->push(new DraftExchange(*this, std::move(before), stepName));
    }
    Q_EMIT changed();
    scheduleCommit();
}

void VibesEditorModel::edit(const std::function<void(EditorDraft&)>& change) {
    EditorDraft edited = m_draft;
    change(edited);
    if (edited == m_draft) {
        return;
    }
    m_draft = std::move(edited);
    Q_EMIT changed();
    scheduleCommit();
}

void VibesEditorModel::setErrorMessage(std::optional<std::string> message) {
    if (message == m_errorMessage) {
        return;
    }
    m_errorMessage = std::move(message);
    Q_EMIT changed();
}

std::set<std::string, std::less<>> VibesEditorModel::themeIDsInUse() const {
    std::set<std::string, std::less<>> ids = StatusTheme::builtInIDs();
    for (const StatusTheme& theme : m_draft.customThemes) {
        ids.insert(theme.id);
    }
    return ids;
}

} // namespace nimbrel
