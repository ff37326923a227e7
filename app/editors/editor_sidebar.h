#pragma once

#include <QListWidget>
#include <optional>
#include <vector>

#include "app/editors/editor_sidebar_model.h"

namespace nimbrel {

/// The vibe editor's sidebar: draws `EditorSidebarModel`'s rows (section titles, hints, entries with a second
/// line), reports the route of the entry chosen, and reorders vibes by drag and drop or with Alt+Up and
/// Alt+Down. It never moves rows itself: it asks, and redraws from the model.
class EditorSidebar final : public QListWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorSidebar)

public:
    explicit EditorSidebar(QWidget* parent = nullptr);

    /// Shows `rows`, selecting the entry of `current`; rebuilt only when the rows differ.
    void show(std::vector<SidebarRow> rows, const std::optional<EditorRoute>& current);
    /// Selects the entry of `route` (or nothing), without emitting.
    void select(const std::optional<EditorRoute>& route);
    /// The list row of the entry for `route`, or -1.
    int rowOf(const EditorRoute& route) const;
    const std::vector<SidebarRow>& rows() const { return m_rows; }

    /// Where a drop on list row `row` puts the dragged vibes: the position among the vibes (0 to their count)
    /// in front of which they go. Dropping below the last vibe, or on anything after it, appends.
    int vibeDestination(int row, bool below) const;

Q_SIGNALS:
    /// The user chose an entry.
    void routeChosen(const EditorRoute& route);
    /// The user moved the vibes at these positions in front of the vibe at `destination`.
    void vibesMoved(const std::vector<int>& positions, int destination);
    /// The user pressed Delete on a vibe.
    void vibeDeleteRequested(const QUuid& id);

protected:
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int firstVibeRow() const;
    int vibeCount() const;
    /// The position among the vibes of the current entry, or -1.
    int currentVibePosition() const;

    std::vector<SidebarRow> m_rows;
};

} // namespace nimbrel
