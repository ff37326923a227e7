#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "app/editors/theme_editor_text.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace nimbrel {

class TemplateField;
class VibesEditorModel;

/// The Theme screen of the vibe editor for one theme id: a custom theme's name, decoration, letters and
/// template, edited in place; a built-in theme shown read-only with a way to duplicate it; "Theme not
/// found" for an id that no longer exists. Decisions and texts are `ThemeEditorText`'s.
class ThemeEditorView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ThemeEditorView)

public:
    /// Edits `editor`, which must outlive the view.
    explicit ThemeEditorView(VibesEditorModel& editor, QWidget* parent = nullptr);

    /// Shows the theme with this id (or that it is missing).
    void setThemeID(std::string id);
    const std::string& themeID() const { return m_id; }
    /// What the view shows now.
    ThemeEditorText::Kind kind() const { return m_shown.kind; }

    QLineEdit* nameField() const { return m_name; }
    QLineEdit* prefixField() const { return m_prefix; }
    QLineEdit* suffixField() const { return m_suffix; }
    QComboBox* transformPicker() const { return m_transform; }
    QCheckBox* ownTemplateSwitch() const { return m_ownTemplate; }
    TemplateField* templateField() const { return m_template; }
    QLabel* fontWarningLabel() const { return m_warning; }
    QLabel* fontReasonLabel() const { return m_reason; }
    QLabel* beforeLabel() const { return m_before; }
    QLabel* afterLabel() const { return m_after; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* duplicateButton() const { return m_duplicate; }
    QLabel* notFoundLabel() const { return m_notFound; }

Q_SIGNALS:
    /// The shown theme was deleted; the view now says it is not found.
    void deleted();
    /// The shown (built-in) theme was duplicated into a custom theme with this id.
    void themeDuplicated(std::string newID);

private:
    void refresh();
    /// Replaces the shown custom theme's fields in the editor.
    void edit(const std::function<void(StatusTheme&)>& change);

    VibesEditorModel& m_editor;
    std::string m_id;
    ThemeEditorText::Shown m_shown;
    /// A template switched off in this session, offered again if the switch goes back on.
    QString m_keptTemplate;

    QStackedWidget* m_pages = nullptr;
    QLabel* m_notFound = nullptr;
    QWidget* m_builtInBanner = nullptr;
    QLabel* m_summary = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_prefix = nullptr;
    QLineEdit* m_suffix = nullptr;
    QLabel* m_warning = nullptr;
    QLabel* m_reason = nullptr;
    QComboBox* m_transform = nullptr;
    QLabel* m_transformSummary = nullptr;
    QCheckBox* m_ownTemplate = nullptr;
    TemplateField* m_template = nullptr;
    QLabel* m_usesDefault = nullptr;
    QLabel* m_before = nullptr;
    QLabel* m_after = nullptr;
    QPushButton* m_delete = nullptr;
    QLabel* m_deleteNote = nullptr;
    QPushButton* m_duplicate = nullptr;
};

} // namespace nimbrel
