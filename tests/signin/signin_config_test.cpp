#include "signin/signin_config.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

using Settings = std::map<std::string, std::string, std::less<>>;

SigninConfig load(const Settings& file, const std::map<std::string, std::string>& env = {}) {
    return SigninConfig::fromSettings(
        file,
        [&](const std::string& name) -> std::optional<std::string> {
            const auto found = env.find(name);
            return found == env.end() ? std::nullopt : std::optional<std::string>(found->second);
        },
        [](const std::string& path) -> std::string {
            if (path == "/run/credentials/secret") {
                return "from-file\n";
            }
            throw std::runtime_error("no such file");
        });
}

// The message of the SigninConfigError `read` throws, or "accepted" when it throws none.
template <typename Read>
std::string refusal(Read&& read) {
    try {
        read();
    } catch (const SigninConfigError& error) {
        return error.what();
    }
    return "accepted";
}

const Settings kMinimal = {
    {"slack_client_id", "1.2"}, {"slack_client_secret", "s"}, {"public_url", "https://signin.example.com/nimbrel"}};

TEST(SigninConfig, DefaultsEnvironmentOverFileAndSecretFile) {
    EXPECT_EQ(load(kMinimal).redirectURL().text(), "https://signin.example.com/nimbrel/slack/callback");

    Settings file = kMinimal;
    file.erase("slack_client_secret");
    file["slack_client_secret_file"] = "/run/credentials/secret";
    file["listen"] = "0.0.0.0:1";
    const SigninConfig merged = load(file, {{"NIMBREL_SIGNIN_LISTEN", " [::1]:9000 "},
                                            {"NIMBREL_SIGNIN_TRUSTED_PROXIES", "10.0.0.1, 10.0.0.2,"},
                                            {"NIMBREL_SIGNIN_MAX_SIGN_INS", "5"},
                                            {"NIMBREL_SIGNIN_SLACK_CLIENT_ID", ""}});
    EXPECT_EQ(merged.clientSecret, "from-file");
    EXPECT_EQ(merged.clientID, "1.2") << "an empty variable counts as unset";
    EXPECT_EQ(merged.listenHost, "::1");
    EXPECT_EQ(merged.listenPort, 9000);
    EXPECT_EQ(merged.trustedProxies, (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
    EXPECT_EQ(merged.maxSignIns, 5u);
}

TEST(SigninConfig, BadSettingsNameTheSettingAndWhy) {
    const struct {
        std::string name;
        std::string value; // "" removes the setting
        std::string message;
    } cases[] = {
        {"slack_client_id", "", "NIMBREL_SIGNIN_SLACK_CLIENT_ID (or slack_client_id in the config file) is not set"},
        {"slack_client_secret", "", "NIMBREL_SIGNIN_SLACK_CLIENT_SECRET or NIMBREL_SIGNIN_SLACK_CLIENT_SECRET_FILE"},
        {"public_url", "http://signin.example.com", "must be an https address"},
        {"public_url", "https://signin.example.com/?x=1", "without a query"},
        {"slack_access_url", "ftp://slack.com/x", "must be an http or https address"},
        {"listen", "127.0.0.1:70000", "must be address:port"},
        {"max_sign_ins", "0", "must be a whole number from 1 to 1000000"},
        {"rate_limit_per_minute", "12x", "rate_limit_per_minute (config file): \"12x\" must be a whole number"},
    };
    for (const auto& c : cases) {
        Settings file = kMinimal;
        if (c.value.empty()) {
            file.erase(c.name);
        } else {
            file[c.name] = c.value;
        }
        const std::string message = refusal([&] { load(file); });
        EXPECT_NE(message.find(c.message), std::string::npos) << c.name << "=" << c.value << ": " << message;
    }
    Settings missingFile = kMinimal;
    missingFile.erase("slack_client_secret");
    missingFile["slack_client_secret_file"] = "/nowhere";
    EXPECT_NE(refusal([&] { load(missingFile); }), "accepted");
}

TEST(SigninConfig, FileLinesAndTheirErrors) {
    const auto parsed =
        SigninConfig::parseFile("# a comment\n\n  slack_client_id = 1.2 \npublic_url=https://x.example\n");
    EXPECT_EQ(parsed, (Settings{{"slack_client_id", "1.2"}, {"public_url", "https://x.example"}}));

    const std::pair<std::string, std::string> bad[] = {
        {"slack_client_id 1.2", "line 1: expected name = value"},
        {"\nclient_id = x", "line 2: unknown setting \"client_id\""},
        {"listen = a:1\nlisten = b:2", "line 2: \"listen\" is set twice"},
    };
    for (const auto& [text, message] : bad) {
        EXPECT_NE(refusal([&] { SigninConfig::parseFile(text); }).find(message), std::string::npos) << text;
    }
}

} // namespace
} // namespace nimbrel
