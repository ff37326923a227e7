#pragma once

#include <QObject>

#include "app/island/island_layout.h"

namespace nimbrel {

/// What the island shows: its layout and whether it is expanded. Both notify only when they change.
class IslandModel final : public QObject {
    Q_OBJECT

public:
    explicit IslandModel(QObject* parent = nullptr)
        : QObject(parent) {}
    Q_DISABLE_COPY_MOVE(IslandModel)

    const IslandLayout& layout() const noexcept { return m_layout; }
    bool isExpanded() const noexcept { return m_isExpanded; }

    void setLayout(const IslandLayout& layout);
    void setExpanded(bool expanded);
    /// The headline's measured size, kept in the layout.
    void setHeadlineSize(double idealWidth, double height);

Q_SIGNALS:
    void layoutChanged();
    void expandedChanged();

private:
    IslandLayout m_layout;
    bool m_isExpanded = false;
};

} // namespace nimbrel
