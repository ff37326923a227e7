#include "app/shell/update_controller.h"

#include <QUrl>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/shell/external_opener.h"
#include "tests/support/collected_log.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel {
namespace {

using testing::CollectedLog;
using testing::TemporaryFolder;

TEST(UpdateController, SaysUpdatesComeFromPackagesAndShowsTheReleasesPage) {
    CollectedLog log;
    std::vector<QUrl> opened;
    UpdateController updates(log.sink(), [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    updates.start();
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].first, LogLevel::info);
    EXPECT_EQ(log.lines[0].second,
              "updates: Nimbrel is updated by your system\u2019s packages — the in-app updater is off");
    EXPECT_FALSE(updates.isConfigured());

    EXPECT_TRUE(updates.checkForUpdates());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://github.com/quillmoor/nimbrel/releases")));
}

// Runs with a stand-in xdg-open first on PATH that records the address it was given.
class ExternalOpener : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        m_savedPath = path == nullptr ? "" : path;
        testing::writeBytes(m_folder / "xdg-open",
                            "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.log\"\n");
        std::filesystem::permissions(m_folder / "xdg-open", std::filesystem::perms::owner_all);
    }
    void TearDown() override { ::setenv("PATH", m_savedPath.c_str(), 1); }

    std::string waitForOpened() const {
        const auto log = m_folder / "xdg-open.log";
        for (int i = 0; i < 500 && !std::filesystem::exists(log); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return testing::readBytes(log);
    }

    TemporaryFolder m_folder;
    std::string m_savedPath;
};

TEST_F(ExternalOpener, HandsTheEncodedAddressToXdgOpen) {
    ::setenv("PATH", (m_folder.path().string() + ":" + m_savedPath).c_str(), 1);
    CollectedLog log;
    EXPECT_TRUE(openExternally(QUrl(QStringLiteral("https://example.org/a b?q=ü")), log.sink()));
    EXPECT_EQ(waitForOpened(), "https://example.org/a%20b?q=%C3%BC");
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(ExternalOpener, RefusesRelativeAddressesAndReportsAMissingOpener) {
    ::setenv("PATH", m_folder.path().string().c_str(), 1);
    CollectedLog log;
    EXPECT_FALSE(openExternally(QUrl(QStringLiteral("-x/relative")), log.sink()));
    EXPECT_FALSE(std::filesystem::exists(m_folder / "xdg-open.log"));

    ::setenv("PATH", (m_folder / "empty").c_str(), 1);
    EXPECT_FALSE(openExternally(QUrl(QStringLiteral("https://example.org/")), log.sink()));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].first, LogLevel::error);
    EXPECT_NE(log.lines[0].second.find("not a whole address"), std::string::npos) << log.lines[0].second;
    EXPECT_EQ(log.lines[1].first, LogLevel::error);
    EXPECT_NE(log.lines[1].second.find("couldn\u2019t start xdg-open for https://example.org/"), std::string::npos)
        << log.lines[1].second;
}

} // namespace
} // namespace nimbrel
