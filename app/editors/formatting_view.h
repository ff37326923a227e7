#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "app/editors/formatting_model.h"

class QComboBox;
class QLabel;

namespace nimbrel {

class TemplateField;
class VibesEditorModel;

/// The Formatting screen of the vibe editor: the default template with its insert buttons, the default
/// theme, and a sample status with its length. Edits go to the editor model; every text is the
/// `FormattingModel`'s.
class FormattingView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormattingView)

public:
    /// Edits `editor`, which must outlive the view.
    explicit FormattingView(VibesEditorModel& editor, QWidget* parent = nullptr);

    /// The track the engine resolves now; an empty artist means nothing plays.
    void setPlaying(std::string artist, std::string track, std::vector<std::string> genres);

    TemplateField* templateField() const { return m_template; }
    QComboBox* themePicker() const { return m_theme; }
    QLabel* ownTemplateNote() const { return m_ownTemplate; }
    QLabel* sampleLabel() const { return m_sample; }
    QLabel* sampleCaption() const { return m_sampleCaption; }
    QLabel* counterLabel() const { return m_counter; }

private:
    void refresh();
    void refillThemes();

    VibesEditorModel& m_editor;
    FormattingModel m_model;
    TemplateField* m_template = nullptr;
    QComboBox* m_theme = nullptr;
    QLabel* m_ownTemplate = nullptr;
    QLabel* m_sample = nullptr;
    QLabel* m_sampleCaption = nullptr;
    QLabel* m_counter = nullptr;
};

} // namespace nimbrel
