// The General tab's model against a real engine, real files and a real autostart folder; and the tab as
// the user sees it, written as a picture into the build folder.
#include "app/shell/general_settings.h"

#include <QImage>
#include <filesystem>
#include <fstream>

#include "app/shell/general_settings_view.h"
#include "tests/app/engine/engine_test_support.h"

namespace nimbrel {
namespace {

class GeneralSettingsTest : public testing::EngineTest {
protected:
    GeneralSettings& makeSettings(GeneralSettings::TracingSource tracing = GeneralSettings::TracingSource::off) {
        makeEngine({"T1"});
        m_settings = std::make_unique<GeneralSettings>(
            *engine, GeneralSettings::Parts{
                         .launchAtLogin =
                             LaunchAtLogin(m_config.path() / "autostart" / "com.quillmoor.nimbrel.desktop", "nimbrel"),
                         .configFile = path("config.json"),
                         .logFile = path("app.log"),
                         .settingsFile = m_config.path() / "it's here" / "nimbrel.conf",
                         .tracing = tracing,
                         .version = QStringLiteral("1.2.3"),
                         .showInFiles = [this](const std::filesystem::path& file) { shown.push_back(file); },
                         .openFolder = [this](const std::filesystem::path& folder) { shown.push_back(folder); },
                     });
        return *m_settings;
    }

    testing::TemporaryFolder m_config;
    std::unique_ptr<GeneralSettings> m_settings;
    std::vector<std::filesystem::path> shown;
};

TEST_F(GeneralSettingsTest, OpenAtLoginFollowsTheAutostartFileAndShowsWhyItCouldNotChange) {
    GeneralSettings& settings = makeSettings();
    EXPECT_FALSE(settings.opensAtLogin());
    EXPECT_EQ(settings.startupStatusLine(), "Off");
    settings.openAutostartFolder(); // not there yet: its parent
    EXPECT_EQ(shown.back(), m_config.path());

    settings.setOpensAtLogin(true);
    EXPECT_TRUE(settings.opensAtLogin());
    EXPECT_EQ(settings.startupStatusLine(), "Enabled");
    EXPECT_FALSE(settings.startupError());
    settings.setOpensAtLogin(false);
    EXPECT_EQ(settings.startupStatusLine(), "Off");

    // A file where the folder should be: the switch fails, says why, and stays off.
    std::filesystem::remove_all(m_config.path() / "autostart");
    std::ofstream(m_config.path() / "autostart") << "not a folder";
    settings.setOpensAtLogin(true);
    ASSERT_TRUE(settings.startupError());
    EXPECT_FALSE(settings.startupError()->empty());
    EXPECT_FALSE(settings.opensAtLogin());
}

TEST_F(GeneralSettingsTest, AnimateDevoIsSavedAndReloadKeepsAWorkingConfiguration) {
    GeneralSettings& settings = makeSettings();
    EXPECT_TRUE(settings.animatesDevo());
    settings.setAnimatesDevo(false);
    EXPECT_FALSE(engine->config().animateMenuBar);
    EXPECT_NE(testing::readBytes(path("config.json")).find("\"animate_menu_bar\": false"), std::string::npos);

    writeFile("config.json", "{ this is not json");
    settings.reloadFromDisk();
    ASSERT_TRUE(settings.reloadProblem());
    EXPECT_FALSE(engine->config().animateMenuBar) << "the configuration in force stays";

    writeFile("config.json", R"({"animate_menu_bar": true})");
    settings.reloadFromDisk();
    EXPECT_FALSE(settings.reloadProblem());
    EXPECT_TRUE(settings.animatesDevo());

    settings.showConfigInFiles();
    settings.showLogInFiles();
    EXPECT_EQ(shown, (std::vector{path("config.json"), path("app.log")}));
}

TEST_F(GeneralSettingsTest, TheTracingCommandUndoesWhatTurnedTracingOn) {
    using Source = GeneralSettings::TracingSource;
    const struct {
        Source source;
        std::string command;
    } rows[] = {
        {Source::off, ""},
        {Source::environment, "unset NimbrelDebugLogging"},
        {Source::settingsFile,
         "sed -i '/^NimbrelDebugLogging=/d' '" + m_config.path().string() + "/it'\\''s here/nimbrel.conf'"},
    };
    for (const auto& row : rows) {
        m_settings.reset();
        engine.reset();
        EXPECT_EQ(makeSettings(row.source).tracingOffCommand(), row.command);
        EXPECT_EQ(m_settings->isTracing(), row.source != Source::off);
    }
}

TEST_F(GeneralSettingsTest, TheTabAsTheUserSeesIt) {
    GeneralSettings& settings = makeSettings(GeneralSettings::TracingSource::settingsFile);
    GeneralSettingsView view(settings);
    view.resize(540, 720);
    const QImage picture = view.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.save(QStringLiteral(NIMBREL_SCREENSHOTS "/general-settings.png")));
}

} // namespace
} // namespace nimbrel
