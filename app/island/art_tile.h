#pragma once

#include <QByteArray>
#include <QImage>
#include <QWidget>

namespace nimbrel {

/// The cover art: the image at the tile's side with rounded corners, or, without one, a music note at 0.4
/// of the side and half opacity over a faint background.
class ArtTile final : public QWidget {
    Q_OBJECT

public:
    ArtTile(double side, double cornerRadius, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ArtTile)

    /// The encoded image (PNG, JPEG…); bytes that are no image show the placeholder.
    void setImageData(const QByteArray& bytes);
    const QImage& image() const noexcept { return m_image; }
    double side() const noexcept { return m_side; }
    double cornerRadius() const noexcept { return m_cornerRadius; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    double m_side;
    double m_cornerRadius;
};

} // namespace nimbrel
