#include "app/island/island_model.h"

namespace nimbrel {

void IslandModel::setLayout(const IslandLayout& layout) {
    if (layout == m_layout) {
        return;
    }
    m_layout = layout;
    Q_EMIT layoutChanged();
}

void IslandModel::setExpanded(bool expanded) {
    if (expanded == m_isExpanded) {
        return;
    }
    m_isExpanded = expanded;
    Q_EMIT expandedChanged();
}

void IslandModel::setHeadlineSize(double idealWidth, double height) {
    IslandLayout layout = m_layout;
    layout.headlineIdealWidth = idealWidth;
    layout.headlineHeight = height;
    setLayout(layout);
}

} // namespace nimbrel
