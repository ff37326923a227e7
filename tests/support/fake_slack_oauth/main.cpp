#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "tests/support/fake_slack_oauth/fake_slack_oauth.h"

// Runs the fake Slack OAuth server until SIGINT or SIGTERM, so that a person (or a script) can drive
// nimbrel-signin end to end without a Slack app.
int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    nimbrel::testing::FakeSlackOAuth::Options options;
    int port = 0;
    bool deny = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--port" && hasValue) {
            port = std::atoi(arguments[++i].c_str());
        } else if (argument == "--client-id" && hasValue) {
            options.clientID = arguments[++i];
        } else if (argument == "--client-secret" && hasValue) {
            options.clientSecret = arguments[++i];
        } else if (argument == "--deny") {
            deny = true;
        } else {
            std::cout << "Usage: nimbrel-fake-slack-oauth [--port N] [--client-id ID] [--client-secret SECRET] "
                         "[--deny]\n"
                         "A fake of Slack's OAuth v2 on 127.0.0.1: /oauth/v2/authorize approves (or with --deny "
                         "refuses) at once; /api/oauth.v2.access exchanges its codes.\n";
            return argument == "--help" ? 0 : 2;
        }
    }
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    nimbrel::testing::FakeSlackOAuth fake(options, port);
    if (deny) {
        fake.setDecision(nimbrel::testing::FakeSlackOAuth::Decision::deny);
    }
    std::cout << "fake Slack OAuth on " << fake.origin() << " (client id " << options.clientID << ")\n"
              << "  authorize: " << fake.authorizeURL() << "\n  access:    " << fake.accessURL() << std::endl;
    int received = 0;
    sigwait(&stopSignals, &received);
    return 0;
}
