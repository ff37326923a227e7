#pragma once

#include <QIcon>
#include <QString>
#include <string_view>

#include "app/editors/screen_labels.h"
#include "app/engine/accounts_settings.h"

class QLabel;
class QWidget;

namespace nimbrel::settings_widgets {

using screen_labels::qt;
/// A wrapped, dimmed explanation.
QLabel* noteLabel(const QString& text, QWidget* parent);
/// A wrapped line in the error colour, selectable so it can be copied into a report.
QLabel* warningLabel(QWidget* parent);
/// The icon of a symbol: the desktop theme's, else the style's nearest.
QIcon symbolIcon(AccountsSettings::Symbol symbol, const QWidget* widget);
/// A small label showing the symbol, empty for none.
QLabel* symbolLabel(QWidget* parent);
void showSymbol(QLabel* label, AccountsSettings::Symbol symbol);

} // namespace nimbrel::settings_widgets
