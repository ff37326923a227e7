#pragma once

#include <QDBusConnection>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/log/app_log.h"
#include "app/sources/mpris_bridge.h"
#include "app/sources/scripted_player_source.h"
#include "tests/support/fake_player/fake_player.h"
#include "tests/support/temporary_folder.h"

namespace nimbrel::testing {

/// Every test runs on its own private session bus (see run-in-session-bus.sh) and logs into a collector.
class SourcesTest : public ::testing::Test {
protected:
    SourcesTest()
        : m_log({.folder = m_folder.path(),
                 .debugEnabled = true,
                 .systemLog = [this](LogLevel level, std::string_view line) {
                     const std::lock_guard lock(m_linesMutex);
                     m_lines.emplace_back(level, std::string(line));
                 }}) {
        installAppLog(&m_log);
    }
    ~SourcesTest() override { installAppLog(nullptr); }

    /// The log lines so far.
    std::vector<std::pair<LogLevel, std::string>> logLines() {
        m_log.flush();
        const std::lock_guard lock(m_linesMutex);
        return m_lines;
    }

    static std::shared_ptr<ScriptedPlayerSource> sourceFor(PlayerSourceID id, MprisBridge::Options options = {}) {
        const PlayerDescriptor& descriptor = PlayerDescriptor::of(id);
        return std::make_shared<ScriptedPlayerSource>(
            descriptor, std::make_unique<MprisBridge>(descriptor, QDBusConnection::sessionBus(), options));
    }

    /// A player started on the bus (bus-name suffix `name`).
    static std::unique_ptr<FakePlayer> startedPlayer(const QString& name) {
        auto player = std::make_unique<FakePlayer>(name);
        EXPECT_TRUE(player->appear()) << name.toStdString();
        return player;
    }

private:
    TemporaryFolder m_folder;
    std::mutex m_linesMutex;
    std::vector<std::pair<LogLevel, std::string>> m_lines;
    AppLog m_log;
};

} // namespace nimbrel::testing
