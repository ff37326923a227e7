// The Formatting and Theme screens driven through their real widgets on a display of their own (Xvfb), with
// real fonts; pictures of each land in the build folder.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "app/editors/formatting_view.h"
#include "app/editors/template_field.h"
#include "app/editors/theme_editor_view.h"
#include "tests/app/editors/editor_test_support.h"

namespace nimbrel {
namespace {

using testing::NotoFonts;

/// Types text the way a keyboard layout that has these characters would, including ones QTest cannot map to
/// a key.
void type(QWidget* widget, const QString& text) {
    for (const QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

/// Shows the view at the size it asks for, as the editor window would.
void showView(QWidget& view) {
    view.resize(560, view.sizeHint().height() + 20);
    view.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
}

using testing::accessibleName;
using testing::savePicture;

class ThemeScreensTest : public ::testing::Test, private NotoFonts, protected testing::EditorParts {
protected:
    ThemeScreensTest() {
        holder.current.statusFormat = "{vibe} \u00b7 {track}";
        holder.current.vibes = {Vibe{
            .name = "chill", .statusText = "Chilling", .statusEmoji = ":x:", .match = {"indie pop"}, .themeID = {}}};
        holder.current.defaultVibe =
            Vibe{.name = "listening", .statusText = "Vibing", .statusEmoji = ":x:", .match = {}, .themeID = {}};
        holder.current.customThemes = {
            StatusTheme{.id = "mine", .name = "Mine", .prefix = "\u00ab ", .suffix = " \u00bb"},
            StatusTheme{
                .id = "own", .name = "Own template", .prefix = "", .suffix = "", .templateText = "{artist} on repeat"}};
        EXPECT_TRUE(load());
    }

    const StatusTheme* custom(const std::string& id) const {
        for (const StatusTheme& theme : editor.customThemes()) {
            if (theme.id == id) {
                return &theme;
            }
        }
        return nullptr;
    }
};

TEST_F(ThemeScreensTest, EachInsertButtonAppendsItsTokenAtTheEnd) {
    TemplateField field;
    QSignalSpy edits(&field, &TemplateField::textEdited);
    field.setText(QStringLiteral("{vibe} \u00b7 "));
    EXPECT_EQ(edits.count(), 0) << "setText is not an edit";

    const std::vector<QString> tokens{QStringLiteral("{vibe}"), QStringLiteral("{track}"), QStringLiteral("{artist}"),
                                      QStringLiteral("{emoji}")};
    ASSERT_EQ(field.insertButtons().size(), tokens.size());
    QString expected = field.text();
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        QPushButton* button = field.insertButtons()[i];
        EXPECT_EQ(button->text(), tokens[i]);
        EXPECT_EQ(button->toolTip(),
                  QStringLiteral("Add ") + tokens[i] + QStringLiteral(" to the end of the template"));
        field.lineEdit()->setCursorPosition(0); // where the user left the cursor does not matter
        QTest::mouseClick(button, Qt::LeftButton);
        expected += tokens[i];
        EXPECT_EQ(field.text(), expected) << tokens[i].toStdString();
        ASSERT_EQ(edits.count(), static_cast<int>(i) + 1);
        EXPECT_EQ(edits.last().at(0).toString(), expected);
    }
    EXPECT_EQ(accessibleName(field.insertButtons()[0]), QStringLiteral("Add {vibe} to the end of the template"));
}

TEST_F(ThemeScreensTest, FormattingEditsTheTemplateAndTheThemeAndShowsASample) {
    FormattingView view(editor);
    showView(view);
    QLineEdit* edit = view.templateField()->lineEdit();
    EXPECT_EQ(edit->text(), QStringLiteral("{vibe} \u00b7 {track}"));
    EXPECT_EQ(view.sampleLabel()->text(), QStringLiteral("Vibing \u00b7 Night Drive"));

    // Typing in the middle: the model follows keystroke by keystroke and the cursor is left alone.
    edit->setCursorPosition(6);
    QTest::keyClicks(edit, QStringLiteral("!!"));
    EXPECT_EQ(editor.statusFormat(), "{vibe}!! \u00b7 {track}");
    EXPECT_EQ(edit->cursorPosition(), 8);
    QTest::mouseClick(view.templateField()->insertButtons()[2], Qt::LeftButton);
    EXPECT_EQ(editor.statusFormat(), "{vibe}!! \u00b7 {track}{artist}");

    view.setPlaying("Clairo", "Bags", {"Indie Pop"});
    EXPECT_EQ(view.sampleLabel()->text(), QStringLiteral("Chilling!! \u00b7 BagsClairo"));
    EXPECT_EQ(view.sampleCaption()->text(), QStringLiteral("Against what\u2019s playing right now."));
    EXPECT_EQ(view.counterLabel()->text(), QStringLiteral("23/100 characters"));

    // The theme picker, by keyboard: the model's default theme; a theme with its own template says so.
    QComboBox* picker = view.themePicker();
    EXPECT_EQ(picker->currentText(), QStringLiteral("Plain"));
    EXPECT_TRUE(view.ownTemplateNote()->isHidden());
    picker->setCurrentIndex(picker->findData(QStringLiteral("own")));
    EXPECT_EQ(editor.themeID(), "own");
    EXPECT_FALSE(view.ownTemplateNote()->isHidden());
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Up);
    EXPECT_EQ(editor.themeID(), "mine");
    EXPECT_TRUE(view.ownTemplateNote()->isHidden());
    EXPECT_EQ(view.sampleLabel()->text(), QStringLiteral("\u00ab Chilling!! \u00b7 BagsClairo \u00bb"));

    // Without a mouse: Tab walks from the template through the insert buttons to the picker.
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    edit->setFocus();
    std::vector<QWidget*> visited;
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    const auto& buttons = view.templateField()->insertButtons();
    EXPECT_EQ(visited, (std::vector<QWidget*>{buttons[0], buttons[1], buttons[2], buttons[3], picker}));

    // Changes made elsewhere (another screen, undo) redraw the fields.
    editor.setStatusFormat("{vibe} \u00b7 {track} \u2014 {artist}");
    EXPECT_EQ(edit->text(), QStringLiteral("{vibe} \u00b7 {track} \u2014 {artist}"));
    editor.setThemeID("zalgo");
    EXPECT_EQ(picker->currentText(), QStringLiteral("Glitch (Zalgo)"));
    editor.setThemeID("own");
    savePicture(view, QStringLiteral("formatting.png"));
}

TEST_F(ThemeScreensTest, EditingACustomTheme) {
    ThemeEditorView view(editor);
    view.setThemeID("mine");
    showView(view);
    EXPECT_EQ(view.kind(), ThemeEditorText::Kind::custom);
    EXPECT_EQ(view.nameField()->text(), QStringLiteral("Mine"));
    EXPECT_FALSE(view.nameField()->isReadOnly());
    EXPECT_FALSE(view.duplicateButton()->isVisibleTo(&view));
    EXPECT_TRUE(view.fontWarningLabel()->isHidden());

    QTest::keyClicks(view.nameField(), QStringLiteral(" too"));
    EXPECT_EQ(custom("mine")->name, "Mine too");
    view.prefixField()->selectAll();
    type(view.prefixField(), QStringLiteral("\uFF28\uFF49 "));
    EXPECT_EQ(custom("mine")->prefix, "\uFF28\uFF49 ");
    EXPECT_FALSE(view.fontWarningLabel()->isHidden());
    EXPECT_FALSE(view.fontReasonLabel()->text().isEmpty());
    EXPECT_EQ(view.afterLabel()->text(), QStringLiteral("\uFF28\uFF49 GSD mode \u00b7 Night Drive \u00bb"));

    view.transformPicker()->setCurrentIndex(2);
    EXPECT_EQ(custom("mine")->transform, TextTransform::leet);
    EXPECT_EQ(view.afterLabel()->text(), QStringLiteral("\uFF28\uFF49 G5D m0d3 \u00b7 N1gh7 Dr1v3 \u00bb"));

    // The template switch, by keyboard: on starts from the default template, off drops it, on again brings
    // back what was typed.
    EXPECT_TRUE(view.templateField()->isHidden());
    view.ownTemplateSwitch()->setFocus();
    QTest::keyClick(view.ownTemplateSwitch(), Qt::Key_Space);
    EXPECT_EQ(custom("mine")->templateText, "{vibe} \u00b7 {track}");
    EXPECT_FALSE(view.templateField()->isHidden());
    QTest::keyClicks(view.templateField()->lineEdit(), QStringLiteral("!"));
    EXPECT_EQ(custom("mine")->templateText, "{vibe} \u00b7 {track}!");
    QTest::keyClick(view.ownTemplateSwitch(), Qt::Key_Space);
    EXPECT_EQ(custom("mine")->templateText, std::nullopt);
    EXPECT_TRUE(view.templateField()->isHidden());
    QTest::keyClick(view.ownTemplateSwitch(), Qt::Key_Space);
    EXPECT_EQ(custom("mine")->templateText, "{vibe} \u00b7 {track}!");
    EXPECT_EQ(accessibleName(view.ownTemplateSwitch()), QStringLiteral("Use a template just for this theme"));
    savePicture(view, QStringLiteral("theme-custom.png"));
}

TEST_F(ThemeScreensTest, ABuiltInThemeIsReadOnlyAndCanBeDuplicated) {
    ThemeEditorView view(editor);
    view.setThemeID("sparkles");
    showView(view);
    EXPECT_EQ(view.kind(), ThemeEditorText::Kind::builtIn);
    EXPECT_TRUE(view.nameField()->isReadOnly());
    EXPECT_TRUE(view.prefixField()->isReadOnly());
    EXPECT_FALSE(view.transformPicker()->isEnabled());
    EXPECT_FALSE(view.ownTemplateSwitch()->isEnabled());
    EXPECT_TRUE(view.deleteButton()->isHidden());
    EXPECT_TRUE(view.duplicateButton()->isVisibleTo(&view));
    const auto themesBefore = editor.customThemes();
    QTest::keyClicks(view.nameField(), QStringLiteral("x"));
    EXPECT_EQ(editor.customThemes(), themesBefore);
    EXPECT_EQ(view.nameField()->text(), QStringLiteral("Sparkles"));
    savePicture(view, QStringLiteral("theme-built-in.png"));

    QSignalSpy duplicated(&view, &ThemeEditorView::themeDuplicated);
    QTest::mouseClick(view.duplicateButton(), Qt::LeftButton);
    ASSERT_EQ(duplicated.count(), 1);
    ASSERT_NE(custom("sparkles-copy"), nullptr);
    EXPECT_EQ(custom("sparkles-copy")->prefix, StatusTheme::sparkles().prefix);
    EXPECT_EQ(accessibleName(view.duplicateButton()), QStringLiteral("Duplicate"));
}

TEST_F(ThemeScreensTest, DeletingTheShownThemeLeavesThemeNotFound) {
    ThemeEditorView view(editor);
    view.setThemeID("mine");
    showView(view);
    QSignalSpy deleted(&view, &ThemeEditorView::deleted);
    EXPECT_EQ(accessibleName(view.deleteButton()), QStringLiteral("Delete this theme"));
    QTest::mouseClick(view.deleteButton(), Qt::LeftButton);
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(custom("mine"), nullptr);
    EXPECT_EQ(view.kind(), ThemeEditorText::Kind::missing);
    EXPECT_EQ(view.themeID(), "mine") << "the route stays where it was";
    savePicture(view, QStringLiteral("theme-not-found.png"));
    EXPECT_TRUE(view.notFoundLabel()->isVisible());
    EXPECT_EQ(view.notFoundLabel()->text(), QStringLiteral("Theme not found"));

    stack.undo();
    EXPECT_EQ(view.kind(), ThemeEditorText::Kind::custom);
    EXPECT_EQ(view.nameField()->text(), QStringLiteral("Mine"));
}

} // namespace
} // namespace nimbrel
