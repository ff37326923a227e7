// The whole program under load it will really see: the real `nimbrel --headless` process, the fake player
// program on the session bus, the fake Slack and iTunes in this process over loopback HTTP, two workspaces
// with tokens in the keyring. Prints a markdown table; asserts nothing. Run it inside
// tests/support/run-in-session-bus.sh --keyring -- (that is what `make bench-e2e` does).
//
//   nimbrel_e2e_bench [--changes N] [--idle-seconds S]     defaults: 20 changes, 120 s per idle phase
//
// Times are taken on one clock: the fake Slack stamps each request's arrival with steady_clock in this
// process, and a track change is stamped when the player's control call returns, which the player answers
// only after it has sent PropertiesChanged (one bus hop, well under a millisecond; the column "control
// call" bounds it).
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "tests/support/fake_itunes/fake_itunes_server.h"
#include "tests/support/fake_slack/fake_slack_server.h"
#include "tests/support/headless_program.h"

using namespace nimbrel::testing;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const TestWorkspace kOne{"T1", "One", "U1", "xoxp-one"};
const TestWorkspace kTwo{"T2", "Two", "U2", "xoxp-two"};
const std::string kArtist = "Kavinsky";
// Long enough that pacing (one write per 6 s per workspace) never defers a measured change.
constexpr auto kChangeGap = 7s;

struct Options {
    int changes = 20;
    int idleSeconds = 120;
};

Options parse(int argc, char** argv) {
    Options options;
    for (int index = 1; index + 1 < argc; index += 2) {
        const std::string name = argv[index];
        const int value = std::atoi(argv[index + 1]);
        if (name == "--changes") {
            options.changes = std::max(1, value);
        } else if (name == "--idle-seconds") {
            options.idleSeconds = std::max(1, value);
        }
    }
    return options;
}

// A field of /proc/<pid>/status, as its text after the colon.
std::string statusField(pid_t pid, const std::string& name) {
    const std::string status = readWholeFile("/proc/" + std::to_string(pid) + "/status");
    const auto at = status.find(name + ":");
    if (at == std::string::npos) {
        return {};
    }
    const auto start = status.find_first_not_of(" \t", at + name.size() + 1);
    return status.substr(start, status.find('\n', start) - start);
}

// Voluntary context switches of each thread of the process, by thread id.
std::map<std::string, long> voluntarySwitches(pid_t pid) {
    std::map<std::string, long> switches;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code ignored;
    for (const auto& task : std::filesystem::directory_iterator(tasks, ignored)) {
        const std::string status = readWholeFile(task.path() / "status");
        const auto at = status.find("\nvoluntary_ctxt_switches:");
        if (at != std::string::npos) {
            switches[task.path().filename().string()] = std::atol(status.c_str() + at + 25);
        }
    }
    return switches;
}

double cpuSeconds(pid_t pid) {
    const std::string stat = readWholeFile("/proc/" + std::to_string(pid) + "/stat");
    // Fields after the command name, which is in parentheses and may hold spaces.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14 || index == 15) {
            ticks += std::atol(field.c_str());
        }
    }
    return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return NAN;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

std::string row3(const std::string& what, const std::vector<double>& values, int decimals = 1) {
    char text[256];
    std::snprintf(text, sizeof text, "| %s | %.*f | %.*f | %.*f |", what.c_str(), decimals, percentile(values, 0.5),
                  decimals, percentile(values, 0.9), decimals, percentile(values, 1.0));
    return text;
}

class Bench {
public:
    explicit Bench(Options options)
        : m_options(options) {}

    int run() {
        char pattern[] = "/tmp/nimbrel-bench-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            return fail("mkdtemp failed");
        }
        m_home = pattern;
        m_slack.addToken(kOne.token, kOne.teamID, kOne.userID);
        m_slack.addToken(kTwo.token, kTwo.teamID, kTwo.userID);
        m_iTunes.addArtist(kArtist, std::string("Electronic"));
        if (m_slack.start() < 0 || m_iTunes.start() < 0) {
            return fail("the fakes could not bind 127.0.0.1");
        }
        if (!storeTokens({kOne, kTwo})) {
            return fail("the keyring refused the tokens (run inside run-in-session-bus.sh --keyring)");
        }
        std::ofstream(m_home / "config.json") << configWithWorkspaces({kOne, kTwo}, {{"animate_menu_bar", false}});
        FakePlayerProcess player(NIMBREL_FAKE_PLAYER, "spotify");
        if (!player.ready()) {
            return fail("the fake player did not come up on the session bus");
        }
        HeadlessProgram program(NIMBREL_EXECUTABLE, m_home, m_slack.apiBaseURL(), m_iTunes.baseURL());
        if (!program.waitForLog("runOnce: read result = ")) {
            return fail("nimbrel --headless did not start");
        }
        const pid_t pid = program.pid();

        measureLatency(player);
        const int burstFast = burst(player, 300ms, "Fast");
        const int burstSlow = burst(player, 450ms, "Slow");

        // Paused: the hand-back happens first, then nothing should wake the program but the safety-net poll.
        player.pause();
        waitUntil([&] { return program.logCount("finish: restored the previous status") > 0; }, 15s);
        std::this_thread::sleep_for(1s);
        const auto paused = idle(pid);
        player.play(kArtist, "A Very Long Track");
        waitUntil([&] { return lastText(kTwo).find("A Very Long Track") != std::string::npos; }, 15s);
        std::this_thread::sleep_for(1s);
        const auto playing = idle(pid);

        const std::string rss = statusField(pid, "VmRSS");
        const std::string hwm = statusField(pid, "VmHWM");
        const double cpu = cpuSeconds(pid);
        program.process().signal(SIGTERM);
        program.process().waitForExit(10s);

        std::printf("\n| Measure | p50 | p90 | max |\n|---|---|---|---|\n");
        std::printf("%s\n", row3("PropertiesChanged → users.profile.set, first workspace (ms)", m_first).c_str());
        std::printf("%s\n", row3("PropertiesChanged → users.profile.set, second workspace (ms)", m_second).c_str());
        std::printf("%s\n", row3("first workspace's set → second workspace's get (ms)", m_betweenWorkspaces).c_str());
        std::printf("%s\n", row3("control call that changes the track (ms)", m_callTimes, 2).c_str());
        std::printf("\n| Measure | Value |\n|---|---|\n");
        std::printf("| track changes measured (7 s apart) | %zu of %d |\n", m_first.size(), m_options.changes);
        std::printf("| burst of 5 changes 0.3 s apart (1.2 s): writes reaching Slack per workspace | %d |\n",
                    burstFast);
        std::printf("| burst of 5 changes 0.45 s apart (1.8 s): writes reaching Slack per workspace | %d |\n",
                    burstSlow);
        printIdle("paused", paused);
        printIdle("playing one long track, animation off", playing);
        std::printf("| VmRSS / VmHWM after the run | %s / %s |\n", rss.c_str(), hwm.c_str());
        std::printf("| CPU seconds over the whole run (user + system) | %.2f |\n", cpu);
        std::error_code ignored;
        std::filesystem::remove_all(m_home, ignored);
        return 0;
    }

private:
    struct Idle {
        double minutes = 0;
        long mainThread = 0;
        long allThreads = 0;
    };

    int fail(const std::string& why) {
        std::fprintf(stderr, "nimbrel_e2e_bench: %s\n", why.c_str());
        return 1;
    }

    std::string lastText(const TestWorkspace& workspace) const {
        const auto sets = slackCalls(m_slack, workspace.token, "users.profile.set");
        if (sets.empty()) {
            return {};
        }
        return nlohmann::json::parse(sets.back().body)["profile"].value("status_text", "");
    }

    void measureLatency(FakePlayerProcess& player) {
        for (int change = 0; change < m_options.changes; ++change) {
            const std::size_t one = slackCalls(m_slack, kOne.token, "users.profile.set").size();
            const std::size_t two = slackCalls(m_slack, kTwo.token, "users.profile.set").size();
            const auto calling = Clock::now();
            player.changeTrack(kArtist, "Track " + std::to_string(change + 1));
            const auto changed = Clock::now();
            m_callTimes.push_back(milliseconds(changed - calling));
            const bool arrived = waitUntil(
                [&] {
                    return slackCalls(m_slack, kOne.token, "users.profile.set").size() > one &&
                           slackCalls(m_slack, kTwo.token, "users.profile.set").size() > two;
                },
                kChangeGap);
            if (arrived) {
                m_first.push_back(
                    milliseconds(slackCalls(m_slack, kOne.token, "users.profile.set")[one].arrivedAt - changed));
                m_second.push_back(
                    milliseconds(slackCalls(m_slack, kTwo.token, "users.profile.set")[two].arrivedAt - changed));
                // From the first workspace's write to the second's read: the engine's own turn-around.
                const auto reads = slackCalls(m_slack, kTwo.token, "users.profile.get");
                m_betweenWorkspaces.push_back(milliseconds(
                    reads.back().arrivedAt - slackCalls(m_slack, kOne.token, "users.profile.set")[one].arrivedAt));
            }
            std::this_thread::sleep_until(changed + kChangeGap);
        }
    }

    // Five changes `spacing` apart; the writes that reach Slack until the program is quiet again, per
    // workspace (the larger of the two).
    int burst(FakePlayerProcess& player, std::chrono::milliseconds spacing, const std::string& name) {
        std::this_thread::sleep_for(kChangeGap);
        const std::size_t one = slackCalls(m_slack, kOne.token, "users.profile.set").size();
        const std::size_t two = slackCalls(m_slack, kTwo.token, "users.profile.set").size();
        for (int change = 1; change <= 5; ++change) {
            player.changeTrack(kArtist, name + " burst " + std::to_string(change));
            if (change < 5) {
                std::this_thread::sleep_for(spacing);
            }
        }
        // A deferred write waits for its slot (6 s) and the retry one second more.
        std::this_thread::sleep_for(9s);
        return static_cast<int>(std::max(slackCalls(m_slack, kOne.token, "users.profile.set").size() - one,
                                         slackCalls(m_slack, kTwo.token, "users.profile.set").size() - two));
    }

    // Samples every second, so that threads which come and go during the phase are counted too (from their
    // first sample; a thread that lives less than a second between samples is missed).
    Idle idle(pid_t pid) const {
        const long mainBefore = std::atol(statusField(pid, "voluntary_ctxt_switches").c_str());
        std::map<std::string, std::pair<long, long>> seen; // thread → first and last count
        const auto start = voluntarySwitches(pid);
        for (const auto& [thread, count] : start) {
            seen[thread] = {count, count};
        }
        const auto end = Clock::now() + std::chrono::seconds{m_options.idleSeconds};
        while (Clock::now() < end) {
            std::this_thread::sleep_for(1s);
            for (const auto& [thread, count] : voluntarySwitches(pid)) {
                seen.try_emplace(thread, 0, count).first->second.second = count;
            }
        }
        const long mainAfter = std::atol(statusField(pid, "voluntary_ctxt_switches").c_str());
        long all = 0;
        for (const auto& [thread, counts] : seen) {
            all += counts.second - counts.first;
        }
        return {m_options.idleSeconds / 60.0, mainAfter - mainBefore, all};
    }

    static void printIdle(const std::string& phase, const Idle& idle) {
        std::printf("| voluntary context switches per minute, %s (main thread / all threads) | %.1f / %.1f |\n",
                    phase.c_str(), static_cast<double>(idle.mainThread) / idle.minutes,
                    static_cast<double>(idle.allThreads) / idle.minutes);
    }

    Options m_options;
    std::filesystem::path m_home;
    FakeSlackServer m_slack;
    FakeITunesServer m_iTunes;
    std::vector<double> m_first;
    std::vector<double> m_second;
    std::vector<double> m_callTimes;
    std::vector<double> m_betweenWorkspaces;
};

} // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    // The D-Bus connection and the token store want an application object; no event loop is run.
    const QCoreApplication application(argc, argv);
    std::printf("nimbrel_e2e_bench: %d track changes, %d s per idle phase (build: %s)\n", options.changes,
                options.idleSeconds, NIMBREL_BUILD_TYPE);
    std::fflush(stdout);
    return Bench(options).run();
}
