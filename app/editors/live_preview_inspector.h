#pragma once

#include <QWidget>
#include <vector>

class QLabel;
class QToolButton;

namespace nimbrel {

class FlowLayout;
class LivePreviewModel;

/// The live preview pane of the vibe editor: draws `LivePreviewModel` — the placeholder while nothing
/// plays, else the track, the status card with its length counter, why the vibe matched, and the artist's
/// genres as buttons that add a genre to the selected vibe. Every decision is the model's.
class LivePreviewInspector final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LivePreviewInspector)

public:
    /// Draws `model`, which must outlive the pane.
    explicit LivePreviewInspector(LivePreviewModel& model, QWidget* parent = nullptr);

    /// The genre buttons in the order of the genres, for the keyboard and for tests.
    const std::vector<QToolButton*>& chipButtons() const { return m_chips; }
    QLabel* statusLabel() const { return m_status; }
    QLabel* counterLabel() const { return m_counter; }

private:
    void refresh();
    void rebuildChips();

    LivePreviewModel& m_model;
    QWidget* m_placeholder = nullptr;
    QWidget* m_content = nullptr;
    QLabel* m_track = nullptr;
    QLabel* m_artist = nullptr;
    QLabel* m_emoji = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_counter = nullptr;
    QLabel* m_why = nullptr;
    QLabel* m_theme = nullptr;
    QLabel* m_genresCaption = nullptr;
    QLabel* m_noGenres = nullptr;
    QWidget* m_chipArea = nullptr;
    FlowLayout* m_chipLayout = nullptr;
    std::vector<QToolButton*> m_chips;
};

} // namespace nimbrel
