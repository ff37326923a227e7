#pragma once

#include <QWidget>
#include <string_view>

class QTabWidget;

namespace nimbrel {

/// The settings window: one tab per screen. Closing it only hides it; the program keeps running.
class SettingsWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsWindow)

public:
    static constexpr std::string_view kTitle = "Nimbrel Settings";
    static constexpr std::string_view kGeneralTab = "General";

    explicit SettingsWindow(QWidget* parent = nullptr);

    /// Adds a screen as the tab `title`, in call order.
    void addTab(QWidget* screen, std::string_view title);
    /// Shows the window in front with the tab `title` (the current one if there is no such tab).
    void showTab(std::string_view title);

private:
    QTabWidget* m_tabs = nullptr;
};

} // namespace nimbrel
