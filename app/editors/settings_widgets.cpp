#include "app/editors/settings_widgets.h"

#include <QLabel>
#include <QStyle>
#include <QWidget>

namespace nimbrel::settings_widgets {

QLabel* noteLabel(const QString& text, QWidget* parent) {
    QLabel* label = screen_labels::noteLabel({}, parent);
    label->setText(text);
    return label;
}

QLabel* warningLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0xc0, 0x1c, 0x28));
    label->setPalette(palette);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QIcon symbolIcon(AccountsSettings::Symbol symbol, const QWidget* widget) {
    using Symbol = AccountsSettings::Symbol;
    QStyle::StandardPixmap fallback = QStyle::SP_CustomBase;
    switch (symbol) {
    case Symbol::checkMark:
        fallback = QStyle::SP_DialogApplyButton;
        break;
    case Symbol::pause:
        fallback = QStyle::SP_MediaPause;
        break;
    case Symbol::warningTriangle:
        fallback = QStyle::SP_MessageBoxWarning;
        break;
    case Symbol::circularArrow:
        fallback = QStyle::SP_BrowserReload;
        break;
    case Symbol::none:
        return {};
    }
    const QIcon themed = QIcon::fromTheme(qt(AccountsSettings::iconName(symbol)));
    return themed.isNull() ? widget->style()->standardIcon(fallback, nullptr, widget) : themed;
}

QLabel* symbolLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFixedSize(16, 16);
    return label;
}

void showSymbol(QLabel* label, AccountsSettings::Symbol symbol) {
    const QIcon icon = symbolIcon(symbol, label);
    label->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(16, 16));
    label->setVisible(!icon.isNull());
}

} // namespace nimbrel::settings_widgets
