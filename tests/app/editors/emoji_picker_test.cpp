// The emoji field and its picker on a display of their own (Xvfb), with real fonts: searching, picking by
// mouse and keyboard, the line under the field, and pictures of both in the build folder.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "app/editors/emoji_field.h"
#include "app/editors/emoji_picker_button.h"
#include "app/editors/emoji_picker_popup.h"
#include "tests/app/editors/editor_test_support.h"

namespace nimbrel {
namespace {

const SlackEmoji::Workspace kWorkspace{{"party_blob", "https://emoji.example/party_blob.gif"},
                                       {"partyparrot", "https://emoji.example/partyparrot.gif"},
                                       {"shipit", "alias:squirrel"},
                                       {"squirrel", "https://emoji.example/squirrel.png"},
                                       {"this_is_fine_but_with_a_really_long_name", "https://emoji.example/f.png"}};

using testing::accessibleName;

class EmojiPickerTest : public ::testing::Test, private testing::NotoFonts {
protected:
    EmojiPickerTest() {
        // The field sits in a small form, as on the vibe screen, with room below for the popup.
        auto* layout = new QVBoxLayout(&window);
        auto* caption = new QLabel(QStringLiteral("Slack emoji"), &window);
        layout->addWidget(caption);
        field = new EmojiField(&window);
        layout->addWidget(field);
        layout->addStretch();
        window.resize(420, 120);
        window.move(20, 20);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    EmojiPickerPopup* openPicker() {
        QTest::mouseClick(field->pickerButton(), Qt::LeftButton);
        EmojiPickerPopup* popup = field->popup();
        EXPECT_TRUE(popup->isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(popup));
        EXPECT_TRUE(popup->searchField()->hasFocus()) << "the search field takes the keyboard on open";
        return popup;
    }

    static QStringList toolTips(const std::vector<QToolButton*>& buttons) {
        QStringList result;
        for (const QToolButton* button : buttons) {
            result.append(button->toolTip());
        }
        return result;
    }

    QWidget window;
    EmojiField* field = nullptr;
};

TEST_F(EmojiPickerTest, SearchingAndPickingWithTheMouse) {
    field->setWorkspaceEmoji(kWorkspace);
    QSignalSpy edited(field, &EmojiField::valueEdited);
    EmojiPickerPopup* popup = openPicker();
    EXPECT_EQ(toolTips(popup->emojiButtons()).size(), 13) << "the Music tab, whole";
    EXPECT_EQ(popup->workspaceButtons().size(), kWorkspace.size());
    EXPECT_FALSE(popup->noMatchLabel()->isVisible());
    EXPECT_FALSE(popup->customButton()->isVisible());

    QTest::keyClicks(popup->searchField(), QStringLiteral("jazz"));
    EXPECT_EQ(toolTips(popup->emojiButtons()),
              (QStringList{QStringLiteral(":trumpet:"), QStringLiteral(":saxophone:")}));
    EXPECT_EQ(popup->emojiButtons()[1]->text(), QStringLiteral("\U0001F3B7"));
    EXPECT_FALSE(popup->workspaceTitle()->isVisible());
    EXPECT_TRUE(popup->customButton()->isVisible());

    QTest::mouseClick(popup->emojiButtons()[1], Qt::LeftButton);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(field->value(), QStringLiteral(":saxophone:"));
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited.at(0).at(0).toString(), QStringLiteral(":saxophone:"));
    EXPECT_EQ(field->pickerButton()->text(), QStringLiteral("\U0001F3B7"));
    EXPECT_TRUE(field->statusLabel()->isVisible());

    // Another tab shows its own entries; a custom emoji is picked from the workspace section.
    popup = openPicker();
    EXPECT_EQ(popup->tabBar()->currentIndex(), 0) << "opens on the tab of the value";
    popup->tabBar()->setCurrentIndex(1);
    EXPECT_EQ(popup->emojiButtons().front()->toolTip(), QStringLiteral(":the_horns:"));
    EXPECT_EQ(popup->workspaceButtons().back()->toolTip(),
              QStringLiteral(":this_is_fine_but_with_a_really_long_name:"));
    QTest::mouseClick(popup->workspaceButtons()[3], Qt::LeftButton);
    EXPECT_EQ(field->value(), QStringLiteral(":squirrel:"));
    EXPECT_EQ(edited.count(), 2);
    EXPECT_EQ(field->statusLabel()->text(), QStringLiteral("Custom emoji in your workspace \u2713"));
}

TEST_F(EmojiPickerTest, PickingWithTheKeyboard) {
    field->setWorkspaceEmoji(kWorkspace);
    QSignalSpy edited(field, &EmojiField::valueEdited);

    // Return in the search field takes the first match, here from the workspace.
    EmojiPickerPopup* popup = openPicker();
    QTest::keyClicks(popup->searchField(), QStringLiteral(":PARTY"));
    EXPECT_TRUE(popup->emojiButtons().empty());
    EXPECT_EQ(toolTips(popup->workspaceButtons()),
              (QStringList{QStringLiteral(":party_blob:"), QStringLiteral(":partyparrot:")}));
    QTest::keyClick(popup->searchField(), Qt::Key_Return);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(field->value(), QStringLiteral(":party_blob:"));
    EXPECT_EQ(edited.count(), 1);

    // The arrows walk the grid from the search field; Return on a button picks it.
    popup = openPicker();
    QTest::keyClick(popup->searchField(), Qt::Key_Down);
    EXPECT_TRUE(popup->emojiButtons()[0]->hasFocus());
    QTest::keyClick(popup->emojiButtons()[0], Qt::Key_Right);
    QTest::keyClick(popup->emojiButtons()[1], Qt::Key_Down);
    QToolButton* below = popup->emojiButtons()[10];
    EXPECT_TRUE(below->hasFocus());
    QTest::keyClick(below, Qt::Key_Down);
    EXPECT_TRUE(popup->workspaceButtons()[0]->hasFocus()) << "down from the last row enters the workspace";
    QTest::keyClick(popup->workspaceButtons()[0], Qt::Key_Up);
    QTest::keyClick(popup->emojiButtons()[0], Qt::Key_Up);
    EXPECT_TRUE(popup->searchField()->hasFocus());
    QTest::keyClick(popup->searchField(), Qt::Key_Down);
    QTest::keyClick(popup->emojiButtons()[0], Qt::Key_Right);
    QTest::keyClick(popup->emojiButtons()[1], Qt::Key_Return);
    EXPECT_EQ(field->value(), QStringLiteral(":musical_note:"));
    EXPECT_EQ(edited.count(), 2);

    // Tab reaches the category tabs and then the emoji.
    popup = openPicker();
    QTest::keyClick(popup->searchField(), Qt::Key_Tab);
    EXPECT_TRUE(popup->tabBar()->hasFocus());
    QTest::keyClick(popup->tabBar(), Qt::Key_Tab);
    EXPECT_TRUE(popup->emojiButtons()[0]->hasFocus());

    // Escape closes without choosing.
    QTest::keyClick(popup->emojiButtons()[0], Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(field->value(), QStringLiteral(":musical_note:"));
    EXPECT_EQ(edited.count(), 2);
}

TEST_F(EmojiPickerTest, AnyShortcodeAndNoMatch) {
    QSignalSpy edited(field, &EmojiField::valueEdited);
    EmojiPickerPopup* popup = openPicker();
    QTest::keyClicks(popup->searchField(), QStringLiteral("dancing-cat"));
    EXPECT_TRUE(popup->emojiButtons().empty());
    EXPECT_FALSE(popup->workspaceTitle()->isVisible()) << "no workspace connected";
    EXPECT_TRUE(popup->noMatchLabel()->isVisible());
    ASSERT_TRUE(popup->customButton()->isVisible());
    QTest::mouseClick(popup->customButton(), Qt::LeftButton);
    EXPECT_EQ(field->value(), QStringLiteral(":dancing-cat:"));
    EXPECT_EQ(edited.count(), 1);

    // Text no shortcode can be has no custom line, and Return then picks nothing.
    popup = openPicker();
    QTest::keyClicks(popup->searchField(), QStringLiteral("so happy"));
    EXPECT_FALSE(popup->customButton()->isVisible());
    QTest::keyClick(popup->searchField(), Qt::Key_Return);
    EXPECT_TRUE(popup->isVisible());
    QTest::keyClick(popup->searchField(), Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(edited.count(), 1);
}

TEST_F(EmojiPickerTest, TypingAndTheModelsValue) {
    QSignalSpy edited(field, &EmojiField::valueEdited);
    EXPECT_EQ(field->pickerButton()->text(), QStringLiteral("\U0001FAE5")) << "a dashed face while empty";
    EXPECT_FALSE(field->statusLabel()->isVisible());
    EXPECT_EQ(accessibleName(field->pickerButton()), QStringLiteral("Choose emoji"));

    // The model's value redraws without a signal.
    field->setValue(QStringLiteral(":fire:"));
    EXPECT_EQ(edited.count(), 0);
    EXPECT_EQ(field->pickerButton()->text(), QStringLiteral("\U0001F525"));
    EXPECT_TRUE(field->statusLabel()->isVisible());

    // Typing reports every keystroke and judges the text as it stands.
    field->setWorkspaceEmoji(SlackEmoji::Workspace{});
    field->lineEdit()->clear();
    QTest::keyClicks(field->lineEdit(), QStringLiteral(":nope:"));
    EXPECT_EQ(edited.count(), 6);
    EXPECT_EQ(edited.last().at(0).toString(), QStringLiteral(":nope:"));
    EXPECT_EQ(field->statusLabel()->text(), QStringLiteral("Slack won\u2019t render :nope: in your workspace."));

    // The model echoing the user's own keystroke leaves the cursor where it is.
    field->lineEdit()->setCursorPosition(3);
    field->setValue(QStringLiteral(":nope:"));
    EXPECT_EQ(field->lineEdit()->cursorPosition(), 3);
    field->setWorkspaceEmoji(SlackEmoji::Workspace{{"nope", "https://emoji.example/nope.png"}});
    EXPECT_EQ(field->statusLabel()->text(), QStringLiteral("Custom emoji in your workspace \u2713"));
    EXPECT_EQ(edited.count(), 6);

    // Picking what the field already holds is no edit.
    EmojiPickerPopup* popup = openPicker();
    QTest::keyClicks(popup->searchField(), QStringLiteral("nope"));
    QTest::keyClick(popup->searchField(), Qt::Key_Return);
    EXPECT_EQ(edited.count(), 6);

    // The picker's buttons carry names a screen reader can say.
    popup = openPicker();
    EXPECT_EQ(accessibleName(popup->emojiButtons()[1]), QStringLiteral("musical note"));
    popup->hide();
}

TEST_F(EmojiPickerTest, Pictures) {
    field->setWorkspaceEmoji(kWorkspace);
    field->setValue(QStringLiteral(":partyparrot_deluxe:"));
    testing::savePicture(window, QStringLiteral("emoji-field-warning.png"));
    // The popup open under the field, on the screen as the user sees it.
    EmojiPickerPopup* popup = openPicker();
    QApplication::processEvents();
    const QRect area = window.frameGeometry().united(popup->frameGeometry()).adjusted(-8, -8, 8, 8);
    testing::savePicture(popup->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage(),
                         QStringLiteral("emoji-picker-open.png"));
    popup->hide();
}

} // namespace
} // namespace nimbrel
