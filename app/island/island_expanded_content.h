#pragma once

#include <QWidget>

namespace nimbrel {

class ArtTile;
class EngineViewModel;
class IslandHeadline;
class SlackToggle;
class TransportControls;

/// What the expanded island shows below the notch, in a centred column: the cover art, the headline, then
/// the transport controls with the Slack switch at the right. It follows the engine's now-playing state.
class IslandExpandedContent final : public QWidget {
    Q_OBJECT

public:
    static constexpr double kArtSide = 64;
    static constexpr double kArtCornerRadius = 12;

    /// `engine` must outlive the content.
    explicit IslandExpandedContent(EngineViewModel& engine, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandExpandedContent)

    ArtTile& artTile() const noexcept { return *m_art; }
    IslandHeadline& headline() const noexcept { return *m_headline; }
    TransportControls& transport() const noexcept { return *m_transport; }
    SlackToggle& slackToggle() const noexcept { return *m_toggle; }

Q_SIGNALS:
    /// The headline's ideal width and height, for the island's layout.
    void headlineMeasured(double idealWidth, double height);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void follow();
    void arrange();

    EngineViewModel& m_engine;
    ArtTile* m_art;
    IslandHeadline* m_headline;
    TransportControls* m_transport;
    SlackToggle* m_toggle;
};

} // namespace nimbrel
