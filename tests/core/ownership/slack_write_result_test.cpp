#include "core/ownership/slack_write_result.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/ownership/slack_retry_policy.h"

namespace nimbrel {
namespace {

TEST(SlackWriteResult, Overall) {
    using R = SlackWriteResult;
    struct Row {
        std::vector<R> results;
        R expected;
    };
    const std::vector<Row> rows = {
        {{}, R::wrote()},
        {{R::wrote()}, R::wrote()},
        {{R::deferred(), R::wrote()}, R::wrote()},
        {{R::failed("x"), R::yielded(), R::wrote()}, R::wrote()},
        {{R::failed("x"), R::deferred(), R::yielded()}, R::deferred()},
        {{R::yielded(), R::failed("a")}, R::yielded()},
        {{R::failed("a"), R::failed("b")}, R::failed("a")},
        {{R::failed("b"), R::failed("a")}, R::failed("b")},
        {{R::deferred()}, R::deferred()},
    };
    for (std::size_t index = 0; index < rows.size(); ++index) {
        EXPECT_EQ(R::overall(rows[index].results), rows[index].expected) << "row " << index;
    }
}

TEST(SlackWriteResult, FailedCarriesItsReason) {
    const SlackWriteResult failed = SlackWriteResult::failed("invalid_auth");
    ASSERT_NE(failed.as<SlackWriteResult::Failed>(), nullptr);
    EXPECT_EQ(failed.as<SlackWriteResult::Failed>()->reason, "invalid_auth");
    EXPECT_NE(failed, SlackWriteResult::failed("other"));
}

TEST(SlackRetryPolicy, RetryAfter) {
    struct Row {
        std::optional<std::string> header;
        std::optional<double> expected;
    };
    const std::vector<Row> rows = {
        {" 2.5 ", 2.5},
        {"\t3\t", 3.0},
        {"0", 0.0},
        {"1e1", 10.0},
        {"+4", 4.0},
        {"-1", std::nullopt},
        {"abc", std::nullopt},
        {"2.5s", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"2\n", std::nullopt}, // line breaks are not trimmed
        {"Wed, 21 Oct 2015 07:28:00 GMT", std::nullopt},
        {"1 2", std::nullopt},
        {"++1", std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        const std::optional<std::string_view> header =
            row.header ? std::optional<std::string_view>(*row.header) : std::nullopt;
        EXPECT_EQ(SlackRetryPolicy::retryAfter(header), row.expected) << row.header.value_or("(none)");
    }
}

TEST(SlackRetryPolicy, Wait) {
    EXPECT_EQ(SlackRetryPolicy::wait(2.5), 2.5);
    EXPECT_EQ(SlackRetryPolicy::wait(5.0), 5.0);
    EXPECT_EQ(SlackRetryPolicy::wait(5.01), std::nullopt);
    EXPECT_EQ(SlackRetryPolicy::wait(std::nullopt), std::nullopt);
}

} // namespace
} // namespace nimbrel
