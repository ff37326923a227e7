#include <cstdlib>
#include <iostream>

#include "tests/support/fake_slack/fake_slack_server.h"

using namespace nimbrel::testing;

// nimbrel-fake-slack [--port N] [--token TOKEN[:TEAM[:USER]]]… [--emoji NAME=VALUE]… [--profile-writes-per-minute N]
// Point the program at it with NimbrelSlackBaseURL=http://127.0.0.1:N/api/.
int main(int argc, char** argv) {
    FakeSlackServer server;
    for (const std::string& option : optionValues(argc, argv, "token")) {
        const auto first = option.find(':');
        const auto second = first == std::string::npos ? std::string::npos : option.find(':', first + 1);
        const std::string token = option.substr(0, first);
        const std::string team = first == std::string::npos ? "T0001" : option.substr(first + 1, second - first - 1);
        const std::string user = second == std::string::npos ? "ada" : option.substr(second + 1);
        server.addToken(token, team, user);
    }
    std::map<std::string, std::string> emoji;
    for (const std::string& option : optionValues(argc, argv, "emoji")) {
        const auto equals = option.find('=');
        if (equals != std::string::npos) {
            emoji[option.substr(0, equals)] = option.substr(equals + 1);
        }
    }
    server.setCustomEmoji(std::move(emoji));
    for (const std::string& option : optionValues(argc, argv, "profile-writes-per-minute")) {
        server.setProfileWritesPerMinute(std::atoi(option.c_str()));
    }
    const std::vector<std::string> ports = optionValues(argc, argv, "port");
    const int port = ports.empty() ? 0 : std::atoi(ports.back().c_str());
    return runUntilSignalled(server, port, "fake Slack Web API (base path /api/)");
}
