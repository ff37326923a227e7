#pragma once

#include <QUrl>
#include <map>
#include <memory>
#include <string>
#include <variant>

#include <qcoro/qcorotask.h>

#include "app/clients/http_session.h"
#include "app/clients/outcome.h"
#include "app/clients/service_error.h"
#include "app/clients/slack_api.h"
#include "core/ownership/slack_status.h"

namespace nimbrel {

/// The one speaker of Slack's Web API, for one workspace: it holds that workspace's user token and makes
/// four calls, each one HTTP request with its own short retry loop. It keeps no state between calls and
/// logs nothing; pacing, ownership and deferral are its callers' business. Copies share the session.
class SlackClient final : public SlackApi {
public:
    /// Slack's Web API, unless the user default NimbrelSlackBaseURL points elsewhere.
    static constexpr const char* kDefaultBaseURL = "https://slack.com/api/";

    /// `maxAttempts` below 1 counts as 1. `baseURL` is the address the method names are appended to.
    SlackClient(std::string token, std::shared_ptr<HttpSession> session, int maxAttempts, QUrl baseURL);
    /// A client on the configured base address (baseURL()).
    SlackClient(std::string token, std::shared_ptr<HttpSession> session, int maxAttempts);

    /// NimbrelSlackBaseURL when it is an http(s) address, else kDefaultBaseURL; with a trailing "/".
    static QUrl baseURL();

    /// users.profile.get: the profile's status, or the empty status when the answer has no profile.
    QCoro::Task<Result<SlackStatus>> getStatus() const override;
    /// users.profile.set: the status Slack echoes, or the status as sent (text cut to 100 characters)
    /// when the answer has no profile.
    QCoro::Task<Result<SlackStatus>> setStatus(SlackStatus status) const override;
    /// emoji.list: the workspace's custom emoji, values as Slack gives them.
    QCoro::Task<Result<EmojiMap>> listEmoji() const override;
    /// auth.revoke.
    QCoro::Task<Result<std::monostate>> revoke() const override;

    int maxAttempts() const noexcept { return m_maxAttempts; }

private:
    std::string m_token;
    std::shared_ptr<HttpSession> m_session;
    int m_maxAttempts;
    QUrl m_baseURL;
};

} // namespace nimbrel
