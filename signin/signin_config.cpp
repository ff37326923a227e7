#include "signin/signin_config.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace nimbrel {

namespace {

constexpr std::string_view kEnvPrefix = "NIMBREL_SIGNIN_";

std::string trimmed(std::string_view text) {
    const auto isSpace = [](char c) {
        return std::isspace(static_cast<unsigned char>(c)) != 0;
    };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string envName(std::string_view name) {
    std::string result(kEnvPrefix);
    for (const char c : name) {
        result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

bool isKnown(std::string_view name) {
    const auto& all = SigninConfig::settings();
    return std::any_of(all.begin(), all.end(), [&](const auto& setting) { return setting.name == name; });
}

bool isLoopbackHost(std::string_view host) {
    return host == "127.0.0.1" || host == "localhost" || host == "::1";
}

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// Reads settings in order of precedence and names the source in every complaint.
class SettingReader {
public:
    SettingReader(const std::map<std::string, std::string, std::less<>>& file,
                  const std::function<std::optional<std::string>(const std::string&)>& env)
        : m_file(file)
        , m_env(env) {}

    /// The value and where it came from, or none when neither source sets it (an empty value is unset).
    std::optional<std::string> value(std::string_view name) {
        const std::string fromEnv = envName(name);
        if (const auto value = m_env(fromEnv); value && !trimmed(*value).empty()) {
            m_source = fromEnv;
            return trimmed(*value);
        }
        if (const auto found = m_file.find(name); found != m_file.end() && !found->second.empty()) {
            m_source = std::string(name) + " (config file)";
            return found->second;
        }
        return std::nullopt;
    }

    [[noreturn]] void fail(std::string_view value, std::string_view why) const {
        throw SigninConfigError(m_source + ": \"" + std::string(value) + "\" " + std::string(why));
    }

    Url httpURL(std::string_view name, bool requireHTTPS) {
        const auto text = value(name);
        if (!text) {
            throw SigninConfigError(envName(name) + " (or " + std::string(name) + " in the config file) is not set");
        }
        const auto url = Url::parse(*text);
        if (!url || !url->host() || url->host()->empty() || url->query() ||
            url->text().find('#') != std::string::npos) {
            fail(*text, "is not an absolute address with a host and without a query");
        }
        const std::string scheme = lowered(url->scheme());
        const bool secure = scheme == "https";
        if (!secure && !(scheme == "http" && (!requireHTTPS || isLoopbackHost(*url->host())))) {
            fail(*text, requireHTTPS ? "must be an https address (plain http only on 127.0.0.1 or localhost)"
                                     : "must be an http or https address");
        }
        return *url;
    }

    long number(std::string_view name, long fallback, long lowest, long highest) {
        const auto text = value(name);
        if (!text) {
            return fallback;
        }
        long result = 0;
        const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), result);
        if (error != std::errc() || end != text->data() + text->size() || result < lowest || result > highest) {
            fail(*text, "must be a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest));
        }
        return result;
    }

private:
    const std::map<std::string, std::string, std::less<>>& m_file;
    const std::function<std::optional<std::string>(const std::string&)>& m_env;
    std::string m_source;
};

} // namespace

const std::vector<SigninConfig::Setting>& SigninConfig::settings() {
    static const std::vector<Setting> kSettings = {
        {"slack_client_id", "the Slack app's client id (required)"},
        {"slack_client_secret", "the Slack app's client secret (this or slack_client_secret_file is required)"},
        {"slack_client_secret_file", "a file holding the client secret, e.g. a systemd or container credential"},
        {"public_url", "the https address users reach this service at (required); Slack's redirect URL is "
                       "this plus /slack/callback"},
        {"listen", "address:port to listen on (default 127.0.0.1:8080; [::1]:8080 for IPv6)"},
        {"slack_authorize_url", "Slack's consent page (default https://slack.com/oauth/v2/authorize)"},
        {"slack_access_url", "Slack's token exchange (default https://slack.com/api/oauth.v2.access)"},
        {"trusted_proxies", "comma-separated peer addresses whose X-Forwarded-For is believed "
                            "(default 127.0.0.1,::1)"},
        {"max_sign_ins", "sign-ins in flight at most (default 10000)"},
        {"rate_limit_per_minute", "requests per minute per address on each sign-in endpoint (default 30)"},
    };
    return kSettings;
}

Url SigninConfig::redirectURL() const {
    return publicURL.appendingPathComponents("slack/callback");
}

std::map<std::string, std::string, std::less<>> SigninConfig::parseFile(std::string_view text) {
    std::map<std::string, std::string, std::less<>> result;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string line = trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::string where = "config file, line " + std::to_string(lineNumber) + ": ";
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            throw SigninConfigError(where + "expected name = value");
        }
        const std::string name = trimmed(std::string_view(line).substr(0, equals));
        if (!isKnown(name)) {
            throw SigninConfigError(where + "unknown setting \"" + name + "\"");
        }
        if (!result.emplace(name, trimmed(std::string_view(line).substr(equals + 1))).second) {
            throw SigninConfigError(where + "\"" + name + "\" is set twice");
        }
    }
    return result;
}

SigninConfig SigninConfig::fromSettings(const std::map<std::string, std::string, std::less<>>& fileSettings,
                                        const std::function<std::optional<std::string>(const std::string&)>& env,
                                        const std::function<std::string(const std::string&)>& readFile) {
    SettingReader reader(fileSettings, env);
    SigninConfig config;

    const auto clientID = reader.value("slack_client_id");
    if (!clientID) {
        throw SigninConfigError(envName("slack_client_id") + " (or slack_client_id in the config file) is not set");
    }
    config.clientID = *clientID;
    if (const auto secret = reader.value("slack_client_secret")) {
        config.clientSecret = *secret;
    } else if (const auto secretFile = reader.value("slack_client_secret_file")) {
        try {
            config.clientSecret = trimmed(readFile(*secretFile));
        } catch (const std::exception& error) {
            reader.fail(*secretFile, std::string("cannot be read: ") + error.what());
        }
        if (config.clientSecret.empty()) {
            reader.fail(*secretFile, "is empty");
        }
    } else {
        throw SigninConfigError(envName("slack_client_secret") + " or " + envName("slack_client_secret_file") +
                                " (or either in the config file) must be set");
    }

    config.publicURL = reader.httpURL("public_url", true);
    if (reader.value("slack_authorize_url")) {
        config.slackAuthorizeURL = reader.httpURL("slack_authorize_url", false);
    }
    if (reader.value("slack_access_url")) {
        config.slackAccessURL = reader.httpURL("slack_access_url", false);
    }

    if (const auto listen = reader.value("listen")) {
        // "host:port", with IPv6 hosts in brackets as in an address.
        const std::size_t colon = listen->rfind(':');
        std::string host = colon == std::string::npos ? std::string() : listen->substr(0, colon);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
            host = host.substr(1, host.size() - 2);
        }
        int port = -1;
        const std::string_view portText =
            colon == std::string::npos ? std::string_view() : std::string_view(*listen).substr(colon + 1);
        const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (host.empty() || portText.empty() || error != std::errc() || end != portText.data() + portText.size() ||
            port < 1 || port > 65535) {
            reader.fail(*listen, "must be address:port, e.g. 127.0.0.1:8080 or [::1]:8080");
        }
        config.listenHost = host;
        config.listenPort = port;
    }

    if (const auto proxies = reader.value("trusted_proxies")) {
        config.trustedProxies.clear();
        std::string_view rest = *proxies;
        while (!rest.empty()) {
            const std::size_t comma = std::min(rest.find(','), rest.size());
            if (std::string proxy = trimmed(rest.substr(0, comma)); !proxy.empty() && proxy != "none") {
                config.trustedProxies.push_back(std::move(proxy));
            }
            rest.remove_prefix(std::min(comma + 1, rest.size()));
        }
    }

    config.maxSignIns = static_cast<std::size_t>(reader.number("max_sign_ins", 10'000, 1, 1'000'000));
    config.rateLimitPerMinute = static_cast<int>(reader.number("rate_limit_per_minute", 30, 1, 100'000));
    return config;
}

} // namespace nimbrel
