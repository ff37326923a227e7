#pragma once

#include <QComboBox>
#include <optional>
#include <string>
#include <vector>

#include "core/theme/status_theme.h"

namespace nimbrel {

/// A vibe's theme override: "Follows the theme on the Formatting screen." for none, then every theme. An
/// override naming a theme that is gone is shown as such, so the user sees why the default applies.
class ThemeOverridePicker final : public QComboBox {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ThemeOverridePicker)

public:
    explicit ThemeOverridePicker(QWidget* parent = nullptr);

    /// Lists `themes` and selects `chosen`, without emitting.
    void show(const std::vector<StatusTheme>& themes, const std::optional<std::string>& chosen);
    std::optional<std::string> chosen() const;

    /// "“id” (no longer exists)"
    static QString missingTheme(const std::string& id);

Q_SIGNALS:
    /// The user picked another entry.
    void chosenEdited(const std::optional<std::string>& themeID);
};

} // namespace nimbrel
