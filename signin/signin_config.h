#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/url/url.h"

namespace nimbrel {

/// A setting is missing or unusable; the message names the setting and says why, for the maintainer.
class SigninConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Everything the sign-in service needs to run: the Slack app's credentials, its own public address, where
/// it listens and how much it accepts. Read from a small "name = value" file and from environment
/// variables named NIMBREL_SIGNIN_ + the upper-cased name, which win over the file.
struct SigninConfig {
    /// The Slack app's client id and secret (Basic Apps ▸ App Credentials). The secret is never logged.
    std::string clientID;
    std::string clientSecret;
    /// The address the browser reaches the service at, behind the reverse proxy (https). Slack's redirect
    /// address is this plus "slack/callback"; it must be listed in the Slack app's redirect URLs.
    Url publicURL;
    /// The address and port the service listens on; the reverse proxy forwards to it.
    std::string listenHost = "127.0.0.1";
    int listenPort = 8080;
    /// Slack's consent page and token exchange; settable so that a fake Slack can stand in.
    Url slackAuthorizeURL = *Url::parse("https://slack.com/oauth/v2/authorize");
    Url slackAccessURL = *Url::parse("https://slack.com/api/oauth.v2.access");
    /// Peers whose X-Forwarded-For header is believed: the reverse proxy. Anyone else is its own address.
    std::vector<std::string> trustedProxies = {"127.0.0.1", "::1"};
    /// Sign-ins in flight (started, or holding a token) at most; further starts are refused until some end.
    std::size_t maxSignIns = 10'000;
    /// Requests per minute that one address may make to each of the three sign-in endpoints.
    int rateLimitPerMinute = 30;

    /// The redirect address Slack sends the browser back to.
    Url redirectURL() const;

    /// Builds the configuration from file settings and the environment (which wins). `readFile` reads the
    /// file named by slack_client_secret_file. Throws SigninConfigError naming the first bad setting.
    static SigninConfig fromSettings(const std::map<std::string, std::string, std::less<>>& fileSettings,
                                     const std::function<std::optional<std::string>(const std::string&)>& env,
                                     const std::function<std::string(const std::string&)>& readFile);

    /// Reads "name = value" lines; blank lines and lines starting with "#" are skipped. Throws
    /// SigninConfigError with the line number for an unknown name, a line without "=" or a repeated name.
    static std::map<std::string, std::string, std::less<>> parseFile(std::string_view text);

    /// The names a file may set, each also readable as NIMBREL_SIGNIN_<NAME>, with what they mean.
    struct Setting {
        std::string_view name;
        std::string_view meaning;
    };
    static const std::vector<Setting>& settings();
};

} // namespace nimbrel
