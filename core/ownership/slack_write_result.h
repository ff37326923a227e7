#pragma once

#include <string>
#include <variant>
#include <vector>

#include "core/nimbrel_core_export.h"

namespace nimbrel {

/// The outcome of writing a status to one workspace, or of a round of writes.
class NIMBREL_CORE_EXPORT SlackWriteResult {
public:
    /// The write failed; `reason` is the error's description or Slack's error code.
    struct Failed {
        std::string reason;
        friend bool operator==(const Failed&, const Failed&) = default;
    };
    /// The status was written.
    struct Wrote {
        friend bool operator==(const Wrote&, const Wrote&) = default;
    };
    /// The program stood back.
    struct Yielded {
        friend bool operator==(const Yielded&, const Yielded&) = default;
    };
    /// Pacing (or a missing runtime) postponed the write.
    struct Deferred {
        friend bool operator==(const Deferred&, const Deferred&) = default;
    };

    using Case = std::variant<Failed, Wrote, Yielded, Deferred>;

    SlackWriteResult(Case value) // NOLINT(google-explicit-constructor): a result is its case
        : m_case(std::move(value)) {}

    /// One factory per case.
    static SlackWriteResult failed(std::string reason) { return SlackWriteResult(Failed{std::move(reason)}); }
    static SlackWriteResult wrote() { return SlackWriteResult(Wrote{}); }
    static SlackWriteResult yielded() { return SlackWriteResult(Yielded{}); }
    static SlackWriteResult deferred() { return SlackWriteResult(Deferred{}); }

    /// The payload when the result is of case T, else null.
    template <typename T>
    const T* as() const noexcept {
        return std::get_if<T>(&m_case);
    }
    const Case& value() const noexcept { return m_case; }

    /// One result for a round: `wrote` when any write went through (or there was none to make), else
    /// `deferred`, else `yielded`, else the first failure.
    static SlackWriteResult overall(const std::vector<SlackWriteResult>& results);

    friend bool operator==(const SlackWriteResult&, const SlackWriteResult&) = default;

private:
    Case m_case;
};

} // namespace nimbrel
