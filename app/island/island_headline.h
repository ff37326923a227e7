#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

namespace nimbrel {

/// The track and the artist on two lines (the track in the 13-point medium font at 85 % opacity, the
/// artist in the 12-point font at 50 %), "Nothing playing" when nothing plays, and the caption "Slack
/// updates paused" below while Slack updates are paused. Lines too long for the width are elided.
class IslandHeadline final : public QWidget {
    Q_OBJECT

public:
    explicit IslandHeadline(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandHeadline)

    /// Empty track and artist mean nothing plays.
    void setContent(const QString& track, const QString& artist, bool slackPaused);

    /// The lines as shown, before eliding.
    const QString& firstLine() const noexcept { return m_first; }
    const QString& secondLine() const noexcept { return m_second; }
    const QString& caption() const noexcept { return m_caption; }
    /// The width of the longest line, unelided.
    double idealWidth() const noexcept { return m_idealWidth; }
    /// The height of the lines shown.
    double textHeight() const noexcept { return m_textHeight; }

    QSize sizeHint() const override;

Q_SIGNALS:
    /// The ideal width or the height changed.
    void measured();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void remeasure();

    QString m_first;
    QString m_second;
    QString m_caption;
    QFont m_firstFont;
    QFont m_secondFont;
    double m_idealWidth = 0;
    double m_textHeight = 0;
};

} // namespace nimbrel
