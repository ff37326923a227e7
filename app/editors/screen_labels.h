#pragma once

#include <QFont>
#include <QString>
#include <string_view>

class QLabel;
class QWidget;

/// Small label helpers shared by the Formatting and Theme screens.
namespace nimbrel::screen_labels {

/// Text of the models, which is UTF-8, for Qt.
QString qt(std::string_view text);
/// A bold section title.
QLabel* heading(std::string_view text, QWidget* parent);
/// A wrapped, dimmed explanation.
QLabel* noteLabel(std::string_view text, QWidget* parent);
/// A wrapped text the user can select and copy, such as a sample status.
QLabel* selectableLabel(QWidget* parent);
/// `font` at `factor` times its size: captions below 1, titles above.
QFont scaledFont(QFont font, double factor);

} // namespace nimbrel::screen_labels
