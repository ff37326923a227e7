#pragma once

#include <QAbstractButton>

#include "app/island/island_symbols.h"

namespace nimbrel {

/// A borderless button that shows one symbol, white on the island's black, and lights up under the pointer.
/// Its label is what screen readers announce and what its tooltip says.
class IslandButton final : public QAbstractButton {
    Q_OBJECT

public:
    /// `size` is the symbol's size in points; the button adds room around it for the pointer.
    IslandButton(IslandSymbols::Symbol symbol, QStringView label, double size, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandButton)

    IslandSymbols::Symbol symbol() const noexcept { return m_symbol; }
    QString label() const { return accessibleName(); }
    double symbolSize() const noexcept { return m_size; }
    bool isHovering() const noexcept { return m_hovering; }

    /// Changes symbol and label together (play ⇄ pause, pause ⇄ resume).
    void setSymbol(IslandSymbols::Symbol symbol, QStringView label);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    IslandSymbols::Symbol m_symbol;
    double m_size;
    bool m_hovering = false;
};

} // namespace nimbrel
