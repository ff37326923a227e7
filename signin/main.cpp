#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>

#include "signin/http_slack_oauth_exchange.h"
#include "signin/signin_config.h"
#include "signin/signin_server.h"
#include "signin/signin_service.h"

using namespace nimbrel;

namespace {

constexpr std::string_view kUsage = R"(Usage: nimbrel-signin [--config FILE]

The Nimbrel sign-in service. It completes Slack's OAuth exchange for the Nimbrel program and hands each
user token over exactly once; tokens live in memory only, for at most 10 minutes. Run it behind a reverse
proxy that terminates TLS.

Endpoints:
  GET  /slack/start?state=CHALLENGE   sends the browser to Slack's consent page
  GET  /slack/callback                Slack's redirect URL: exchanges the code, sends the browser to Nimbrel
  POST /slack/claim                   {"verifier": "..."}: the token, once; 404 when unknown or claimed
  GET  /health                        200 {"status":"ok"} while the service runs

Options:
  --config FILE   read settings from FILE ("name = value" lines, # comments); default: the file named by
                  NIMBREL_SIGNIN_CONFIG, if set
  --help          show this text
  --version       show the version

Settings (each also read from the environment as NIMBREL_SIGNIN_<NAME>, which wins over the file):
)";

std::mutex gLogMutex;

void logLine(std::string_view line) {
    const std::lock_guard lock(gLogMutex);
    std::cerr << line << std::endl;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot open " + path);
    }
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void printUsage(std::ostream& out) {
    out << kUsage;
    for (const auto& setting : SigninConfig::settings()) {
        std::string name(setting.name);
        name.resize(std::max<std::size_t>(name.size() + 2, 26), ' ');
        out << "  " << name << setting.meaning << '\n';
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string configPath;
    if (const char* fromEnv = std::getenv("NIMBREL_SIGNIN_CONFIG")) {
        configPath = fromEnv;
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            printUsage(std::cout);
            return 0;
        }
        if (argument == "--version") {
            std::cout << "nimbrel-signin " << NIMBREL_SIGNIN_VERSION << '\n';
            return 0;
        }
        if (argument == "--config" && i + 1 < arguments.size()) {
            configPath = arguments[++i];
        } else if (argument.rfind("--config=", 0) == 0) {
            configPath = argument.substr(9);
        } else {
            std::cerr << "nimbrel-signin: unknown argument \"" << argument << "\"\n\n";
            printUsage(std::cerr);
            return 2;
        }
    }

    SigninConfig config;
    try {
        const auto fileSettings = configPath.empty() ? std::map<std::string, std::string, std::less<>>()
                                                     : SigninConfig::parseFile(readWholeFile(configPath));
        config = SigninConfig::fromSettings(
            fileSettings,
            [](const std::string& name) -> std::optional<std::string> {
                const char* value = std::getenv(name.c_str());
                return value ? std::optional<std::string>(value) : std::nullopt;
            },
            readWholeFile);
    } catch (const std::exception& error) {
        std::cerr << "nimbrel-signin: " << error.what() << "\nRun nimbrel-signin --help for the settings.\n";
        return 2;
    }

    // SIGTERM (systemd, container runtimes) and SIGINT end the service cleanly; a watcher thread waits for
    // them, so every other thread is started with both blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    HttpSlackOAuthExchange exchange(config.slackAccessURL, config.clientID, config.clientSecret);
    SigninService service(
        config, exchange, [] { return std::chrono::system_clock::now(); }, logLine);
    SigninServer server(service);
    const int port = server.bind(config.listenHost, config.listenPort);
    if (port < 0) {
        std::cerr << "nimbrel-signin: cannot listen on " << config.listenHost << ":" << config.listenPort << '\n';
        return 1;
    }
    logLine("signin: listening on " + config.listenHost + ":" + std::to_string(port) + "; Slack redirect URL " +
            config.redirectURL().text());

    std::thread watcher([&] {
        int received = 0;
        sigwait(&stopSignals, &received);
        logLine(std::string("signin: stopping on ") + (received == SIGTERM ? "SIGTERM" : "SIGINT"));
        server.stop();
    });
    const bool served = server.run();
    if (!served) {
        // run() ended without a signal: wake the watcher so it can finish.
        pthread_kill(watcher.native_handle(), SIGTERM);
    }
    watcher.join();
    return served ? 0 : 1;
}
