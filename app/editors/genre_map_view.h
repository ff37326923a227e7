#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QPushButton;
class QVBoxLayout;

namespace nimbrel {

class GenreMapModel;

/// The genre map screen of the vibe editor: draws `GenreMapModel` — the introduction, the filter, "Unmapped
/// only", the count, and one row per genre with where it lands, why a vibe loses it, and a menu assigning it.
/// Every decision is the model's.
///
/// The rows are made once per set of genres; an edit elsewhere in the editor only changes their texts, and the
/// filter only shows and hides them. Up and Down move between the rows' menu buttons.
class GenreMapView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GenreMapView)

public:
    /// One genre's widgets.
    struct RowWidgets {
        std::string genre;
        QWidget* frame = nullptr;
        QLabel* name = nullptr;
        QLabel* badge = nullptr;
        QLabel* landing = nullptr;
        QLabel* explanation = nullptr;
        QPushButton* assign = nullptr;
    };

    /// Draws `model`, which must outlive the screen.
    explicit GenreMapView(GenreMapModel& model, QWidget* parent = nullptr);

    QLineEdit* filterField() const { return m_filter; }
    QCheckBox* unmappedOnlySwitch() const { return m_unmappedOnly; }
    QLabel* countLabel() const { return m_count; }
    QLabel* emptyLabel() const { return m_empty; }
    /// Every genre's row, shown or hidden, in the model's order.
    const std::vector<RowWidgets>& rows() const { return m_rows; }
    /// The row of this genre, or nullptr.
    const RowWidgets* row(const std::string& genre) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void rebuildRows();
    void fillMenu(const std::string& genre, QPushButton* button);
    /// The menu button of the next shown row after (or before) this one, or nullptr.
    QPushButton* neighbour(const QPushButton* button, int step) const;

    GenreMapModel& m_model;
    QLineEdit* m_filter = nullptr;
    QCheckBox* m_unmappedOnly = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_empty = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_list = nullptr;
    QVBoxLayout* m_listLayout = nullptr;
    std::vector<RowWidgets> m_rows;
};

} // namespace nimbrel
