#pragma once

#include <map>
#include <string>
#include <variant>

#include <qcoro/qcorotask.h>

#include "app/clients/outcome.h"
#include "app/clients/service_error.h"
#include "core/ownership/slack_status.h"

namespace nimbrel {

/// The Slack Web API calls of one workspace, as the engine uses them. `SlackClient` speaks them over HTTP;
/// the ownership model test answers them in process, so that its random histories drive the shipped write
/// path at full speed.
class SlackApi {
public:
    template <typename T>
    using Result = Outcome<T, ServiceError>;
    using EmojiMap = std::map<std::string, std::string>;

    virtual ~SlackApi() = default;

    /// users.profile.get: the profile's status, or the empty status when the answer has no profile.
    virtual QCoro::Task<Result<SlackStatus>> getStatus() const = 0;
    /// users.profile.set: the status Slack echoes, or the status as sent when the answer has no profile.
    virtual QCoro::Task<Result<SlackStatus>> setStatus(SlackStatus status) const = 0;
    /// emoji.list: the workspace's custom emoji, values as Slack gives them.
    virtual QCoro::Task<Result<EmojiMap>> listEmoji() const = 0;
    /// auth.revoke.
    virtual QCoro::Task<Result<std::monostate>> revoke() const = 0;

protected:
    SlackApi() = default;
    SlackApi(const SlackApi&) = default;
    SlackApi& operator=(const SlackApi&) = default;
};

} // namespace nimbrel
