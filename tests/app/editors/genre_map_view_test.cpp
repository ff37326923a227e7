// The genre map screen on a display of its own (Xvfb), with real fonts: filtering, the switch, assigning
// through a row's menu with the keyboard, and pictures of it in the build folder.
#include "app/editors/genre_map_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include <gtest/gtest.h>

#include "app/editors/genre_map_model.h"
#include "tests/app/editors/editor_test_support.h"

namespace nimbrel {
namespace {

using testing::NotoFonts;

using testing::accessibleName;
using testing::makeVibe;

class GenreMapViewTest : public ::testing::Test, private NotoFonts, protected testing::EditorParts {
protected:
    GenreMapViewTest() {
        holder.current.vibes = {makeVibe("chill", {"lofi", "pop"}), makeVibe("focus", {"ambient", "Indie Pop"}),
                                makeVibe("party", {"house"})};
        holder.current.defaultVibe = makeVibe("listening", {});
        EXPECT_TRUE(load());
        map.setObservedGenres({"Shoegaze", "Bedroom Pop"});
        view.resize(640, 620);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        // Tab and the arrows move the keyboard focus only in the active window.
        view.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
    }

    int shownRows() const {
        return static_cast<int>(std::ranges::count_if(
            view.rows(), [](const GenreMapView::RowWidgets& row) { return !row.frame->isHidden(); }));
    }
    const GenreMapView::RowWidgets& row(const std::string& genre) const {
        const GenreMapView::RowWidgets* found = view.row(genre);
        EXPECT_NE(found, nullptr) << genre;
        return *found;
    }
    void clearFilter() {
        QTest::keyClick(view.filterField(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(view.filterField(), Qt::Key_Backspace);
    }
    void save(const char* name) { testing::savePicture(view, QLatin1String(name)); }

    GenreMapModel map{editor};
    GenreMapView view{map};
};

TEST_F(GenreMapViewTest, FilteringAndUnmappedOnly) {
    EXPECT_EQ(view.countLabel()->text(), QStringLiteral("67 genres"));
    save("genre-map.png");

    QTest::keyClicks(view.filterField(), QStringLiteral("pop"));
    EXPECT_EQ(view.filterField()->cursorPosition(), 3);
    EXPECT_EQ(view.countLabel()->text(), QStringLiteral("12 of 67 genres")) << "the count follows the filter";
    EXPECT_EQ(shownRows(), 12);
    EXPECT_FALSE(row("Bedroom Pop").badge->isHidden());
    EXPECT_FALSE(row("Indie Pop").explanation->isHidden());
    EXPECT_EQ(row("Indie Pop").landing->text(), QStringLiteral("\u2192 chill"));
    save("genre-map-filtered.png");

    // The switch from the keyboard: every "pop" genre is caught, so nothing is left.
    QTest::keyClick(view.filterField(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), view.unmappedOnlySwitch());
    EXPECT_EQ(accessibleName(view.unmappedOnlySwitch()), QStringLiteral("Unmapped only"));
    QTest::keyClick(view.unmappedOnlySwitch(), Qt::Key_Space);
    EXPECT_EQ(shownRows(), 0);
    EXPECT_FALSE(view.emptyLabel()->isHidden());
    clearFilter();
    EXPECT_EQ(shownRows(), 53);
    EXPECT_TRUE(view.emptyLabel()->isHidden());

    // An edit elsewhere in the editor redraws the rows' texts without making them anew.
    const QWidget* before = row("Shoegaze").frame;
    Vibe party = editor.vibes()[2].vibe;
    party.match.push_back("gaze");
    ASSERT_TRUE(editor.setVibe(editor.vibes()[2].id, party));
    EXPECT_EQ(row("Shoegaze").frame, before);
    EXPECT_TRUE(row("Shoegaze").frame->isHidden()) << "now caught by \u201Cgaze\u201D";
    EXPECT_EQ(row("Shoegaze").landing->text(), QStringLiteral("\u2192 party"));
}

TEST_F(GenreMapViewTest, AssigningFromARowsMenuByKeyboard) {
    QTest::keyClicks(view.filterField(), QStringLiteral("blu"));
    ASSERT_EQ(shownRows(), 1);
    EXPECT_EQ(row("Blues").landing->text(), QStringLiteral("\u2192 falling through to \u201Clistening\u201D"));

    // Down from the filter reaches the row's button; Space opens its menu, where "Nothing" is checked.
    QTest::keyClick(view.filterField(), Qt::Key_Down);
    QPushButton* assign = row("Blues").assign;
    ASSERT_EQ(QApplication::focusWidget(), assign);
    EXPECT_EQ(accessibleName(assign), QStringLiteral("Assign \u201C"
                                                     "Blues\u201D to a vibe"));
    QStringList titles;
    QString checked;
    QTimer::singleShot(0, &view, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                titles << action->text();
            }
            if (action->isChecked()) {
                checked = action->text();
            }
        }
        EXPECT_TRUE(menu->grab().save(QStringLiteral(NIMBREL_SCREENSHOTS "/genre-map-menu.png")));
        // chill, focus, party.
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::keyClick(assign, Qt::Key_Space);
    EXPECT_EQ(titles, (QStringList{QStringLiteral("chill"), QStringLiteral("focus"), QStringLiteral("party"),
                                   QStringLiteral("Nothing (use the default vibe)")}));
    EXPECT_EQ(checked, QStringLiteral("Nothing (use the default vibe)"));
    EXPECT_EQ(editor.vibes()[2].vibe.match, (std::vector<std::string>{"house", "Blues"}));
    EXPECT_EQ(row("Blues").landing->text(), QStringLiteral("\u2192 party"));
    EXPECT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.undoText(), QStringLiteral("Map Genre"));
    EXPECT_EQ(view.filterField()->text(), QStringLiteral("blu")) << "the filter stays";

    // Up and Down walk the shown rows only.
    clearFilter();
    assign->setFocus();
    QTest::keyClick(assign, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), row("Children's Music").assign);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), row("Bedroom Pop").assign);

    // A genre newly seen in use makes the rows anew; the keyboard stays where it was.
    map.setObservedGenres({"Shoegaze", "Bedroom Pop", "Bubblegum Bass"});
    EXPECT_EQ(view.rows().size(), 68U);
    EXPECT_EQ(QApplication::focusWidget(), row("Bedroom Pop").assign);
    EXPECT_FALSE(row("Bubblegum Bass").badge->isHidden());
}

} // namespace
} // namespace nimbrel
