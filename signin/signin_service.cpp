#include "signin/signin_service.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include <nlohmann/json.hpp>

#include "core/slack/slack_auth.h"
#include "core/slack/slack_auth_error.h"
#include "signin/signin_page.h"

namespace nimbrel {

namespace {

constexpr std::string_view kHTML = "text/html; charset=utf-8";
constexpr std::string_view kJSON = "application/json";
constexpr std::size_t kMaxCodeLength = 256;
constexpr std::size_t kMaxAddressLength = 45; // the longest textual IPv6 address

// What the pages say. The program's own sentences for a refused sign-in are reused where they fit, so the
// browser and the accounts screen tell the same story.
constexpr std::string_view kToSlackTitle = "Continue to Slack";
constexpr std::string_view kToSlackMessage = "Taking you to Slack to connect Nimbrel\u2026";
constexpr std::string_view kConnectedTitle = "Slack is connected";
constexpr std::string_view kConnectedMessage =
    "Your browser should now open Nimbrel to finish connecting. If it didn\u2019t, make sure Nimbrel is running "
    "and press the button below, or run the command below in a terminal. The link works once, for 10 minutes.";
constexpr std::string_view kRefusedTitle = "Nimbrel wasn\u2019t connected";
constexpr std::string_view kBackToNimbrel =
    "Nimbrel has been told; you can close this tab. If your browser didn\u2019t "
    "open Nimbrel, press the button below.";
constexpr std::string_view kOpenNimbrel = "Open Nimbrel";
constexpr std::string_view kBadLinkTitle = "This sign-in link isn\u2019t valid";
constexpr std::string_view kBadLinkMessage =
    "Start connecting again from Nimbrel\u2019s accounts settings: it makes a fresh link every time.";
constexpr std::string_view kExpiredTitle = "This sign-in has ended";
constexpr std::string_view kExpiredMessage =
    "It has already been used or has expired (a sign-in lasts 10 minutes). Start connecting again from "
    "Nimbrel\u2019s accounts settings.";
constexpr std::string_view kBusyTitle = "Too many sign-ins at once";
constexpr std::string_view kBusyMessage = "The Nimbrel service is busy. Try connecting again in a few minutes.";
constexpr std::string_view kTooFrequentTitle = "Too many requests";
constexpr std::string_view kTooFrequentMessage =
    "Too many requests came from your address. Wait a minute, then start connecting again from Nimbrel.";
constexpr std::string_view kNotFoundTitle = "Nothing here";
constexpr std::string_view kNotFoundMessage =
    "This is the Nimbrel sign-in service. Connect Slack from Nimbrel\u2019s accounts settings.";
constexpr std::string_view kBadRequestTitle = "That request couldn\u2019t be read";

SigninResponse page(int status, std::string_view title, std::string_view message,
                    const std::optional<SigninPage::Link>& link = std::nullopt, std::string_view command = {}) {
    return SigninResponse{status, std::string(kHTML), SigninPage::render(title, message, link, command), {}};
}

SigninResponse json(int status, const nlohmann::json& body) {
    return SigninResponse{status, std::string(kJSON), body.dump() + "\n", {}};
}

SigninResponse redirect(const Url& to, SigninResponse response) {
    response.status = 302;
    response.headers.emplace_back("Location", to.text());
    return response;
}

// The first item of the name with a non-empty value; an empty one counts as absent, as the program reads
// its own callback.
std::optional<std::string> firstItem(const std::vector<UrlQueryItem>& items, std::string_view name) {
    const auto found =
        std::find_if(items.begin(), items.end(), [&](const UrlQueryItem& item) { return item.name == name; });
    if (found == items.end() || !found->value || found->value->empty()) {
        return std::nullopt;
    }
    return found->value;
}

// Codes are opaque to us but short and printable; anything else is not from Slack.
bool isPlausibleCode(std::string_view code) {
    return code.size() <= kMaxCodeLength && std::all_of(code.begin(), code.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == '_';
           });
}

bool isAddressText(std::string_view text) {
    return !text.empty() && text.size() <= kMaxAddressLength && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == '.' || c == ':';
    });
}

Url nimbrelCallback(std::string_view name, std::string_view value) {
    const Url base = *Url::parse(std::string(SlackAuth::callbackScheme) + "://" + std::string(SlackAuth::callbackHost));
    return base.withQueryItems({{std::string(name), std::string(value)}});
}

// The page that goes with a redirect back to the program: what happened and a way on if the browser did not
// hand the address to Nimbrel by itself.
SigninResponse backToNimbrel(const Url& callback, std::string_view title, std::string_view message) {
    return redirect(callback, page(302, title, message, SigninPage::Link{std::string(kOpenNimbrel), callback.text()},
                                   "nimbrel '" + callback.text() + "'"));
}

} // namespace

std::optional<std::string> SigninResponse::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            return value;
        }
    }
    return std::nullopt;
}

SigninService::SigninService(SigninConfig config, SlackOAuthExchange& exchange, Clock clock, Log log)
    : m_config(std::move(config))
    , m_exchange(exchange)
    , m_clock(std::move(clock))
    , m_log(std::move(log))
    , m_store(m_config.maxSignIns, kSignInLifetime)
    , m_startLimiter(m_config.rateLimitPerMinute, 60, kMaxTrackedAddresses)
    , m_callbackLimiter(m_config.rateLimitPerMinute, 60, kMaxTrackedAddresses)
    , m_claimLimiter(m_config.rateLimitPerMinute, 60, kMaxTrackedAddresses) {}

std::size_t SigninService::signInsInFlight() {
    return m_store.size(m_clock());
}

std::string SigninService::clientAddress(const SigninRequest& request) const {
    const auto& proxies = m_config.trustedProxies;
    if (request.forwardedFor.empty() ||
        std::find(proxies.begin(), proxies.end(), request.peerAddress) == proxies.end()) {
        return request.peerAddress;
    }
    // Only the last hop is the proxy's own word; earlier entries are whatever the client claimed.
    std::string_view last = request.forwardedFor;
    if (const std::size_t comma = last.rfind(','); comma != std::string_view::npos) {
        last.remove_prefix(comma + 1);
    }
    while (!last.empty() && (last.front() == ' ' || last.front() == '\t')) {
        last.remove_prefix(1);
    }
    while (!last.empty() && (last.back() == ' ' || last.back() == '\t')) {
        last.remove_suffix(1);
    }
    return isAddressText(last) ? std::string(last) : request.peerAddress;
}

std::optional<SigninResponse> SigninService::refuseIfTooFrequent(AddressRateLimiter& limiter,
                                                                 const SigninRequest& request, bool asJSON) {
    const auto wait = limiter.reserve(clientAddress(request), m_clock());
    if (!wait) {
        return std::nullopt;
    }
    SigninResponse response =
        asJSON ? json(429, {{"error", "rate_limited"}}) : page(429, kTooFrequentTitle, kTooFrequentMessage);
    response.headers.emplace_back("Retry-After", std::to_string(static_cast<long>(*wait)));
    return response;
}

SigninResponse SigninService::handle(const SigninRequest& request) {
    SigninResponse response;
    if (request.target.size() > kMaxTargetBytes) {
        response = page(414, kBadRequestTitle, kBadLinkMessage);
    } else if (request.body.size() > kMaxBodyBytes) {
        response = json(413, {{"error", "body_too_large"}});
    } else if (const auto url = Url::parse(request.target); !url || !url->scheme().empty() || url->host()) {
        response = page(400, kBadRequestTitle, kBadLinkMessage);
    } else {
        const std::string& path = url->path();
        const std::vector<UrlQueryItem> query = url->queryItems().value_or(std::vector<UrlQueryItem>{});
        const bool isGet = request.method == "GET" || request.method == "HEAD";
        const auto wrongMethod = [](std::string_view allowed) {
            SigninResponse refused = json(405, {{"error", "method_not_allowed"}});
            refused.headers.emplace_back("Allow", std::string(allowed));
            return refused;
        };
        if (path == "/health") {
            response = isGet ? json(200, {{"status", "ok"}}) : wrongMethod("GET, HEAD");
        } else if (path == "/slack/start") {
            response = isGet ? start(request, query) : wrongMethod("GET, HEAD");
        } else if (path == "/slack/callback") {
            response = isGet ? callback(request, query) : wrongMethod("GET, HEAD");
        } else if (path == "/slack/claim") {
            response = request.method == "POST" ? claim(request) : wrongMethod("POST");
        } else {
            response = page(404, kNotFoundTitle, kNotFoundMessage);
        }
    }
    // Nothing here may be cached, framed, sniffed or leak its address (a callback's carries Slack's code).
    response.headers.emplace_back("Cache-Control", "no-store");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    response.headers.emplace_back("Referrer-Policy", "no-referrer");
    response.headers.emplace_back("Content-Security-Policy",
                                  "default-src 'none'; style-src 'unsafe-inline'; frame-ancestors 'none'");
    return response;
}

SigninResponse SigninService::start(const SigninRequest& request, const std::vector<UrlQueryItem>& query) {
    if (auto refused = refuseIfTooFrequent(m_startLimiter, request, false)) {
        return *refused;
    }
    const auto state = firstItem(query, SlackAuth::kStateItem);
    if (!state || !SlackAuth::isValidState(*state)) {
        return page(400, kBadLinkTitle, kBadLinkMessage);
    }
    switch (m_store.start(*state, m_clock())) {
    case SignInStore::StartResult::full: {
        // Once per episode of being full, not once per refused request: a flood must not flood the log.
        if (!m_reportedFull.exchange(true)) {
            m_log("start: refusing new sign-ins: " + std::to_string(m_config.maxSignIns) + " are already in flight");
        }
        SigninResponse busy = page(503, kBusyTitle, kBusyMessage);
        busy.headers.emplace_back("Retry-After", "60");
        return busy;
    }
    case SignInStore::StartResult::alreadyUsed:
        return page(409, kExpiredTitle, kExpiredMessage);
    case SignInStore::StartResult::accepted:
        m_reportedFull = false;
        break;
    }
    const Url authorize = m_config.slackAuthorizeURL.withQueryItems({
        {"client_id", m_config.clientID},
        {"user_scope", std::string(kUserScopes)},
        {"redirect_uri", m_config.redirectURL().text()},
        {std::string(SlackAuth::kStateItem), *state},
    });
    return redirect(authorize, page(302, kToSlackTitle, kToSlackMessage,
                                    SigninPage::Link{std::string(kToSlackTitle), authorize.text()}));
}

SigninResponse SigninService::callback(const SigninRequest& request, const std::vector<UrlQueryItem>& query) {
    if (auto refused = refuseIfTooFrequent(m_callbackLimiter, request, false)) {
        return *refused;
    }
    const auto state = firstItem(query, SlackAuth::kStateItem);
    const bool stateIsValid = state && SlackAuth::isValidState(*state);

    // A refusal goes back to the program whatever the state: it is waiting and should stop waiting.
    if (const auto error = firstItem(query, SlackAuth::kErrorItem)) {
        if (stateIsValid) {
            m_store.abandon(*state);
        }
        const std::string code = SlackOAuthExchange::safeErrorCode(*error);
        m_log("callback: Slack did not grant access (" + code + ")");
        const SlackAuthError refusal =
            code == SlackAuth::kAccessDenied ? SlackAuthError::accessDenied() : SlackAuthError::slack(code);
        return backToNimbrel(nimbrelCallback(SlackAuth::kErrorItem, code), kRefusedTitle,
                             refusal.description() + " " + std::string(kBackToNimbrel));
    }

    const auto code = firstItem(query, "code");
    if (!stateIsValid || !code || !isPlausibleCode(*code)) {
        return page(400, kBadLinkTitle, kBadLinkMessage);
    }
    if (!m_store.beginExchange(*state, m_clock())) {
        return page(400, kExpiredTitle, kExpiredMessage);
    }

    SlackExchangeResult result = m_exchange.exchange(*code, m_config.redirectURL().text());
    if (!result.grant) {
        m_store.abandon(*state);
        m_log("callback: code exchange failed \u2014 " + result.detail);
        return backToNimbrel(nimbrelCallback(SlackAuth::kErrorItem, result.errorCode), kRefusedTitle,
                             SlackAuthError::slack(result.errorCode).description() + ". " +
                                 std::string(kBackToNimbrel));
    }
    const std::string teamID = result.grant->teamID;
    if (!m_store.hold(*state, std::move(*result.grant), m_clock())) {
        return page(400, kExpiredTitle, kExpiredMessage);
    }
    m_log("callback: signed in to team " + teamID + "; the token waits for its claim");
    const Url back = nimbrelCallback(SlackAuth::kStateItem, *state);
    return backToNimbrel(back, kConnectedTitle, kConnectedMessage);
}

SigninResponse SigninService::claim(const SigninRequest& request) {
    if (auto refused = refuseIfTooFrequent(m_claimLimiter, request, true)) {
        return *refused;
    }
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    const auto verifier = body.is_object() ? body.find("verifier") : body.end();
    if (!body.is_object() || verifier == body.end() || !verifier->is_string() ||
        !SlackAuth::isValidState(verifier->get_ref<const std::string&>())) {
        return json(400, {{"error", "bad_request"}});
    }
    auto grant = m_store.claim(SlackAuth::challenge(verifier->get_ref<const std::string&>()), m_clock());
    if (!grant) {
        return json(404, {{"error", "not_found"}});
    }
    m_log("claim: handed the token for team " + grant->teamID + " over");
    SigninResponse response = json(200, {{"access_token", grant->accessToken},
                                         {"team_name", grant->teamName},
                                         {"team_id", grant->teamID},
                                         {"user_id", grant->userID},
                                         {"scopes", grant->scopes}});
    return response;
}

} // namespace nimbrel
