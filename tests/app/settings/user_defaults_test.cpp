#include "app/settings/user_defaults.h"

#include <QSettings>
#include <QStandardPaths>
#include <cstdlib>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

constexpr const char* kName = "NimbrelSlackBaseURL";

// Each case starts with no stored setting and no environment variable, in a throwaway settings file.
class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        store(std::nullopt);
        ::unsetenv(kName);
    }
    void TearDown() override {
        store(std::nullopt);
        ::unsetenv(kName);
    }
    static void store(const std::optional<QString>& value) {
        QSettings settings(QString::fromLatin1(UserDefaults::kOrganization),
                           QString::fromLatin1(UserDefaults::kApplication));
        if (value) {
            settings.setValue(QString::fromLatin1(kName), *value);
        } else {
            settings.remove(QString::fromLatin1(kName));
        }
    }
};

TEST_F(UserDefaultsTest, EnvironmentOverridesTheStoredSetting) {
    EXPECT_EQ(UserDefaults::text(kName), std::nullopt);
    store(QStringLiteral("http://stored.test/"));
    EXPECT_EQ(UserDefaults::text(kName), QStringLiteral("http://stored.test/"));
    ::setenv(kName, "http://127.0.0.1:8080/api/", 1);
    EXPECT_EQ(UserDefaults::text(kName), QStringLiteral("http://127.0.0.1:8080/api/"));
}

TEST_F(UserDefaultsTest, Flags) {
    const std::pair<const char*, bool> cases[] = {
        {"1", true}, {"true", true}, {" YES ", true}, {"0", false}, {"no", false}, {"", false}, {"on?", false},
    };
    for (const auto& [value, expected] : cases) {
        ::setenv(kName, value, 1);
        EXPECT_EQ(UserDefaults::flag(kName), expected) << value;
    }
    ::unsetenv(kName);
    EXPECT_FALSE(UserDefaults::flag(kName));
}

TEST_F(UserDefaultsTest, HttpAddressesOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"  http://127.0.0.1:5000/api/ \n", "http://127.0.0.1:5000/api/"},
        {"ftp://example.com/", nullptr},
        {"slack.com/api", nullptr},
        {"http://", nullptr},
        {"https://exa mple.com/", nullptr},
        {"", nullptr},
    };
    for (const auto& [value, expected] : cases) {
        ::setenv(kName, value, 1);
        const std::optional<QUrl> url = UserDefaults::httpAddress(kName);
        if (expected == nullptr) {
            EXPECT_EQ(url, std::nullopt) << value;
        } else {
            ASSERT_TRUE(url.has_value()) << value;
            EXPECT_EQ(url->toString(), QString::fromLatin1(expected));
        }
    }
}

} // namespace
} // namespace nimbrel
