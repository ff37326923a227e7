#include "app/editors/theme_override_picker.h"

#include <QSignalBlocker>
#include <algorithm>

#include "app/editors/vibe_editor_text.h"

namespace nimbrel {

ThemeOverridePicker::ThemeOverridePicker(QWidget* parent)
    : QComboBox(parent) {
    setAccessibleName(QString::fromUtf8(VibeEditorText::kTheme.data(), VibeEditorText::kTheme.size()));
    connect(this, &QComboBox::activated, this, [this] { Q_EMIT chosenEdited(chosen()); });
}

QString ThemeOverridePicker::missingTheme(const std::string& id) {
    return tr("“%1” (no longer exists)").arg(QString::fromStdString(id));
}

void ThemeOverridePicker::show(const std::vector<StatusTheme>& themes, const std::optional<std::string>& chosen) {
    struct Entry {
        QString text;
        QString id;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> entries{{QString::fromUtf8(VibeEditorText::kFollowsFormatting.data(),
                                                  static_cast<qsizetype>(VibeEditorText::kFollowsFormatting.size())),
                                QString()}};
    for (const StatusTheme& theme : themes) {
        entries.push_back({QString::fromStdString(theme.name), QString::fromStdString(theme.id)});
    }
    const bool known = !chosen || std::any_of(themes.begin(), themes.end(),
                                              [&](const StatusTheme& theme) { return theme.id == *chosen; });
    if (!known) {
        entries.push_back({missingTheme(*chosen), QString::fromStdString(*chosen)});
    }

    const QSignalBlocker blocker(this);
    bool same = count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < count(); ++i) {
        same = itemText(i) == entries[static_cast<std::size_t>(i)].text &&
               itemData(i).toString() == entries[static_cast<std::size_t>(i)].id;
    }
    if (!same) {
        clear();
        for (const Entry& entry : entries) {
            addItem(entry.text, entry.id);
        }
    }
    // The first entry stands for no override; its data is empty, which no theme id is.
    setCurrentIndex(chosen ? findData(QString::fromStdString(*chosen)) : 0);
}

std::optional<std::string> ThemeOverridePicker::chosen() const {
    const QString id = currentData().toString();
    if (currentIndex() <= 0 || id.isEmpty()) {
        return std::nullopt;
    }
    return id.toStdString();
}

} // namespace nimbrel
