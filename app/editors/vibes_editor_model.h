#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUndoStack>
#include <QUuid>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/clients/timers.h"
#include "app/editors/config_holder.h"
#include "app/editors/identified_vibe.h"
#include "core/config/vibe.h"
#include "core/config/vibe_config.h"
#include "core/theme/status_theme.h"

namespace nimbrel {

/// The working copy behind the vibe editor: the ordered vibes, the default vibe, the default template, the
/// default theme and the custom themes. Every edit changes the model at once and emits `changed()`; the named
/// operations also record one undo step. Each change of the draft schedules a commit, so a burst of edits
/// reaches the configuration holder as one complete, validated configuration. An invalid state is never
/// applied: `errorMessage()` names the first problem until it is fixed.
///
/// Main thread only. The holder and the undo stack belong to others: the holder's owner calls
/// `setConfigHolder(nullptr)` before the holder goes; the stack is watched and may go at any time.
class VibesEditorModel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VibesEditorModel)
    Q_PROPERTY(bool useDefaultVibe READ useDefaultVibe WRITE setUseDefaultVibe NOTIFY changed)
    Q_PROPERTY(QString errorText READ errorText NOTIFY changed)
    Q_PROPERTY(bool loaded READ loaded NOTIFY changed)

public:
    /// The six editable fields; undo and redo exchange whole drafts.
    struct EditorDraft {
        std::vector<IdentifiedVibe> vibes;
        bool useDefaultVibe = true;
        /// Kept while `useDefaultVibe` is off, so switching it back on restores it.
        Vibe defaultVibe = initialDefaultVibe();
        std::string statusFormat{VibeConfig::defaultStatusFormat};
        std::string themeID{VibeConfig::plainThemeID};
        std::vector<StatusTheme> customThemes;

        friend bool operator==(const EditorDraft&, const EditorDraft&) = default;
    };

    /// The quiet period after the last edit before the draft is committed.
    static constexpr std::chrono::milliseconds kCommitDelay{350};
    /// Shown under the problem while the draft is invalid.
    static constexpr std::string_view kNotSavedCaption = "Your changes aren\u2019t being saved until this is fixed.";

    static constexpr std::string_view kVibeNeedsName = "Every vibe needs a name.";
    static constexpr std::string_view kDefaultVibeNeedsName = "Default vibe needs a name.";
    static constexpr std::string_view kThemeNeedsName = "Every theme needs a name.";
    /// "Duplicate vibe name “chill”."
    static std::string duplicateVibeNameProblem(std::string_view name);

    static constexpr std::string_view kAddVibeStep = "Add Vibe";
    static constexpr std::string_view kDeleteVibeStep = "Delete Vibe";
    static constexpr std::string_view kReorderVibesStep = "Reorder Vibes";
    static constexpr std::string_view kAddThemeStep = "Add Theme";
    static constexpr std::string_view kDuplicateThemeStep = "Duplicate Theme";
    static constexpr std::string_view kDeleteThemeStep = "Delete Theme";
    static constexpr std::string_view kMapGenreStep = "Map Genre";
    static constexpr std::string_view kUnmapGenreStep = "Unmap Genre";
    static constexpr std::string_view kResetVibesStep = "Reset Vibes";

    static constexpr std::string_view kNewVibeName = "new-vibe";
    static constexpr std::string_view kNewVibeStatusText = "New vibe";
    static constexpr std::string_view kNewVibeEmoji = ":headphones:";
    static constexpr std::string_view kNewThemeName = "My theme";
    static constexpr std::string_view kThemeCopySuffix = " copy";

    /// The default vibe of a model not yet loaded: "listening", "Vibing", ":headphones:".
    static Vibe initialDefaultVibe();

    /// A model with the initial values; `timers` (not owned) runs the delayed commit.
    explicit VibesEditorModel(Timers& timers, QObject* parent = nullptr);
    /// Commits a pending edit at once, so closing the editor within the quiet period loses nothing.
    ~VibesEditorModel() override;

    /// Where configurations are read from and applied to; nullptr when the engine is gone.
    void setConfigHolder(ConfigHolder* holder);
    ConfigHolder* configHolder() const { return m_holder; }
    /// Where the named steps are recorded (not owned); without one, edits are made but not recorded.
    void setUndoStack(QUndoStack* stack);
    QUndoStack* undoStack() const { return m_undoStack; }

    const std::vector<IdentifiedVibe>& vibes() const { return m_draft.vibes; }
    /// The vibe with this identity, or nullptr.
    const IdentifiedVibe* vibe(const QUuid& id) const;
    bool useDefaultVibe() const { return m_draft.useDefaultVibe; }
    const Vibe& defaultVibe() const { return m_draft.defaultVibe; }
    const std::string& statusFormat() const { return m_draft.statusFormat; }
    const std::string& themeID() const { return m_draft.themeID; }
    const std::vector<StatusTheme>& customThemes() const { return m_draft.customThemes; }
    /// The problem found by the latest commit; none while the draft is valid.
    const std::optional<std::string>& errorMessage() const { return m_errorMessage; }
    /// `errorMessage()` for the screens; empty when there is none.
    QString errorText() const;
    /// Whether the model has been filled from the holder's configuration.
    bool loaded() const { return m_loaded; }
    /// Whether a delayed commit is waiting for its quiet period to end.
    bool hasPendingCommit() const { return m_commitTask != nullptr; }
    /// A snapshot of the editable fields.
    const EditorDraft& draft() const { return m_draft; }
    /// The built-in themes, then the custom themes.
    std::vector<StatusTheme> allThemes() const;

    /// Fills the model from the holder's configuration, every vibe with a fresh identity. Earlier undo steps
    /// describe another draft, so the undo stack is cleared; a pending commit is dropped. False (and nothing
    /// changes) without a holder.
    bool load();

    /// Appends "new-vibe" and returns its identity, for the editor to select. "Add Vibe".
    QUuid addVibe();
    /// Removes the vibe with this identity. "Delete Vibe".
    void deleteVibe(const QUuid& id);
    /// Removes the vibes at these list positions; positions out of range are ignored. "Delete Vibe".
    void deleteVibes(const std::vector<int>& positions);
    /// Moves the vibes at `positions` (in their list order) in front of the vibe now at `destination`, or to
    /// the end when `destination` is the list's size: list drag and drop. "Reorder Vibes".
    void moveVibes(const std::vector<int>& positions, int destination);
    /// Appends "My theme" with an unused id and returns the id. "Add Theme".
    std::string addTheme();
    /// Appends a copy of a built-in or custom theme, named "… copy", with a new id and no summary; returns
    /// the new id. "Duplicate Theme".
    std::string duplicateTheme(const StatusTheme& theme);
    /// Removes the custom theme with this id; a default theme falls back to plain and overrides naming it
    /// are dropped. Built-in ids are not removable. "Delete Theme".
    void deleteTheme(std::string_view id);
    /// Takes the trimmed genre away from every vibe's keywords (ignoring case) and, with a vibe, appends it
    /// to that vibe's keywords. A blank genre does nothing. "Map Genre", or "Unmap Genre" without a vibe.
    void mapGenre(std::string_view genre, const std::optional<QUuid>& vibe);
    /// Replaces the vibes (fresh identities) and the default vibe with the built-in ones. "Reset Vibes".
    /// False, and nothing changes, when the built-in document cannot be read.
    bool resetVibesToDefaults();

    /// Field edits from the screens: made in place, no undo step. A vibe keeps its identity; false when no
    /// vibe has it.
    bool setVibe(const QUuid& id, Vibe vibe);
    void setUseDefaultVibe(bool use);
    void setDefaultVibe(Vibe vibe);
    void setStatusFormat(std::string format);
    void setThemeID(std::string id);
    /// Replaces the fields of the custom theme with the same id (the id itself never changes, so overrides
    /// stay valid); false when no custom theme has it.
    bool setCustomTheme(StatusTheme theme);

    /// Replaces the editable fields with `draft` and schedules a commit: what undo and redo do.
    void restoreDraft(EditorDraft draft);

    /// The first problem of the current state, or none.
    std::optional<std::string> validationError() const;
    /// The holder's configuration with the editor's parts in place (names and texts trimmed); none while
    /// the state is invalid or there is no holder.
    std::optional<VibeConfig> makeConfiguration() const;
    /// What the screens preview: `makeConfiguration()`, or while the state is invalid the configuration in
    /// force, which is what stays applied; none without a holder.
    std::optional<VibeConfig> previewConfiguration() const;
    /// Validates and, when valid and different from the configuration in force, applies the state.
    void commit();
    /// Restarts the quiet period; `commit()` runs once it passes without another call.
    void scheduleCommit();

Q_SIGNALS:
    /// Any field changed: the draft, the error message or `loaded`.
    void changed();

private:
    void perform(std::string_view stepName, const std::function<void(EditorDraft&)>& change);
    void edit(const std::function<void(EditorDraft&)>& change);
    void setErrorMessage(std::optional<std::string> message);
    std::set<std::string, std::less<>> themeIDsInUse() const;

    Timers& m_timers;
    EditorDraft m_draft;
    std::optional<std::string> m_errorMessage;
    ConfigHolder* m_holder = nullptr;
    QPointer<QUndoStack> m_undoStack;
    std::unique_ptr<TimerHandle> m_commitTask;
    bool m_loaded = false;
};

} // namespace nimbrel
