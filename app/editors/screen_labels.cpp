#include "app/editors/screen_labels.h"

#include <QLabel>

namespace nimbrel::screen_labels {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* heading(std::string_view text, QWidget* parent) {
    auto* label = new QLabel(qt(text), parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* noteLabel(std::string_view text, QWidget* parent) {
    auto* label = new QLabel(qt(text), parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QLabel* selectableLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QFont scaledFont(QFont font, double factor) {
    font.setPointSizeF(font.pointSizeF() * factor);
    return font;
}

} // namespace nimbrel::screen_labels
