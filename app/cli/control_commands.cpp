#include "app/cli/control_commands.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>
#include <ostream>
#include <string_view>
#include <thread>

#include "app/control/control_client.h"
#include "app/control/control_protocol.h"
#include "app/shell/external_opener.h"

namespace nimbrel::cli {
namespace {

using namespace std::chrono_literals;

constexpr int kExitCancelled = 130;
constexpr auto kPhasePollInterval = 200ms;
/// The engine's own stop is bounded by 5 seconds; the rest is slack for a loaded machine.
constexpr auto kQuitWait = 10s;
/// A disconnect revokes the token at Slack, with its retries.
constexpr auto kDisconnectWait = 60s;

std::string text(const QString& value) {
    return value.toStdString();
}

/// The instance, or none after saying why not.
std::optional<ControlClient> runningInstance(std::ostream& err) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        err << "nimbrel: no D-Bus session bus to reach Nimbrel (" << text(bus.lastError().message()) << ")\n";
        return std::nullopt;
    }
    ControlClient client(bus);
    if (!client.isRunning()) {
        err << ControlClient::kNotRunning << '\n';
        return std::nullopt;
    }
    return client;
}

/// The answer's arguments, or none after reporting the failed call.
std::optional<QList<QVariant>> answer(const QDBusMessage& reply, std::ostream& err) {
    if (reply.type() != QDBusMessage::ErrorMessage) {
        return reply.arguments();
    }
    if (QDBusError(reply).type() == QDBusError::ServiceUnknown) {
        err << ControlClient::kNotRunning << '\n';
    } else {
        err << "nimbrel: " << text(reply.errorMessage()) << '\n';
    }
    return std::nullopt;
}

/// Handles --help and refuses arguments for a command that takes none; a status to exit with, or none.
std::optional<int> noArguments(std::string_view name, std::string_view summary,
                               const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        return std::nullopt;
    }
    if (arguments.front() == "--help" || arguments.front() == "-h") {
        out << "Usage: nimbrel " << name << "\n\n" << summary << ".\n";
        return 0;
    }
    err << "nimbrel " << name << ": unexpected argument \u201C" << arguments.front() << "\u201D\n";
    return kExitUsage;
}

ControlWorkspaceList workspacesOf(const QList<QVariant>& arguments) {
    ControlWorkspaceList workspaces;
    if (!arguments.isEmpty()) {
        arguments.front().value<QDBusArgument>() >> workspaces;
    }
    return workspaces;
}

int simpleCall(const QString& method, std::ostream& err) {
    const std::optional<ControlClient> client = runningInstance(err);
    if (!client) {
        return 1;
    }
    return answer(client->call(method), err) ? 0 : 1;
}

int pauseOrResume(const QString& method, std::string_view done, std::string_view already, std::ostream& out,
                  std::ostream& err) {
    const std::optional<ControlClient> client = runningInstance(err);
    if (!client) {
        return 1;
    }
    const std::optional<QList<QVariant>> changed = answer(client->call(method), err);
    if (!changed) {
        return 1;
    }
    out << (!changed->isEmpty() && changed->front().toBool() ? done : already) << '\n';
    return 0;
}

// Ctrl-C while `connect` waits: the attempt is cancelled in the instance too.
volatile std::sig_atomic_t g_interrupted = 0;
void onInterrupt(int /*signal*/) {
    g_interrupted = 1;
}

class InterruptWatch {
public:
    InterruptWatch() {
        g_interrupted = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &m_previous);
    }
    ~InterruptWatch() { ::sigaction(SIGINT, &m_previous, nullptr); }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    static bool interrupted() { return g_interrupted != 0; }

private:
    struct sigaction m_previous {};
};

struct Phase {
    QString word;
    QString detail;
    friend bool operator==(const Phase&, const Phase&) = default;
};

std::optional<Phase> currentPhase(const ControlClient& client) {
    const QDBusMessage reply = client.call(QStringLiteral("GetConnectPhase"));
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().size() < 2) {
        return std::nullopt;
    }
    return Phase{reply.arguments().at(0).toString(), reply.arguments().at(1).toString()};
}

void openInBrowser(const QString& link, std::ostream& err) {
    openExternally(QUrl(link, QUrl::StrictMode),
                   [&err](LogLevel /*level*/, std::string_view line) { err << "nimbrel connect: " << line << '\n'; });
}

/// Waits for the attempt to settle, printing each phase; the exit status.
int followAttempt(const ControlClient& client, const QStringList& teamsBefore, std::ostream& out, std::ostream& err) {
    const InterruptWatch interrupts;
    std::optional<Phase> shown;
    while (true) {
        if (InterruptWatch::interrupted()) {
            client.call(QStringLiteral("CancelConnect"));
            out << "Cancelled.\n";
            return kExitCancelled;
        }
        const std::optional<Phase> phase = currentPhase(client);
        if (!phase) {
            err << "Nimbrel stopped before the connection finished.\n";
            return 1;
        }
        if (phase != shown) {
            shown = phase;
            if (phase->word == u"waiting-for-browser") {
                out << "Waiting for Slack\u2026 (Ctrl-C cancels)\n";
            } else if (phase->word == u"claiming") {
                out << "Finishing\u2026\n";
            } else if (phase->word == u"refreshed") {
                out << text(phase->detail) << " was already connected \u2014 its details were refreshed.\n";
                return 0;
            } else if (phase->word == u"failed") {
                err << text(phase->detail) << '\n';
                return 1;
            } else {
                // Idle again: a new workspace means success; none means the attempt was cancelled.
                const std::optional<QList<QVariant>> listed =
                    answer(client.call(QStringLiteral("ListWorkspaces")), err);
                for (const ControlWorkspace& workspace : workspacesOf(listed.value_or(QList<QVariant>{}))) {
                    if (!teamsBefore.contains(workspace.teamID)) {
                        out << "Connected to " << text(workspace.displayName) << ".\n";
                        return 0;
                    }
                }
                out << "Cancelled.\n";
                return 1;
            }
        }
        std::this_thread::sleep_for(kPhasePollInterval);
    }
}

} // namespace

int runStatus(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (const auto exit = noArguments("status", "Shows what the running Nimbrel is doing and each workspace's state",
                                      arguments, out, err)) {
        return *exit;
    }
    const std::optional<ControlClient> client = runningInstance(err);
    if (!client) {
        return 1;
    }
    const std::optional<QList<QVariant>> status = answer(client->call(QStringLiteral("GetStatus")), err);
    const std::optional<QList<QVariant>> listed = answer(client->call(QStringLiteral("ListWorkspaces")), err);
    if (!status || status->size() < 3 || !listed) {
        return 1;
    }
    out << text(status->at(0).toString()) << '\n'
        << "Devo: " << text(status->at(1).toString()) << (status->at(2).toBool() ? " (updates paused)" : "") << '\n';
    const ControlWorkspaceList workspaces = workspacesOf(*listed);
    if (workspaces.isEmpty()) {
        out << "Workspaces: none \u2014 connect one with: nimbrel connect\n";
    } else {
        out << "Workspaces:\n";
        for (const ControlWorkspace& workspace : workspaces) {
            out << "  " << text(workspace.displayName) << " (" << text(workspace.teamID)
                << "): " << text(workspace.state) << '\n';
        }
    }
    return 0;
}

int runPause(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (const auto exit = noArguments("pause", "Pauses Slack updates until you resume", arguments, out, err)) {
        return *exit;
    }
    return pauseOrResume(QStringLiteral("Pause"), "Paused \u2014 Slack updates are off until you resume.",
                         "Already paused.", out, err);
}

int runResume(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (const auto exit = noArguments("resume", "Resumes Slack updates", arguments, out, err)) {
        return *exit;
    }
    return pauseOrResume(QStringLiteral("Resume"), "Resumed.", "Not paused.", out, err);
}

int runUpdateNow(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (const auto exit = noArguments("update-now",
                                      "Reads the player and updates Slack now, retrying workspaces "
                                      "Slack rejected",
                                      arguments, out, err)) {
        return *exit;
    }
    return simpleCall(QStringLiteral("UpdateNow"), err);
}

int runQuit(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (const auto exit =
            noArguments("quit", "Stops the running Nimbrel; your status is handed back first", arguments, out, err)) {
        return *exit;
    }
    const std::optional<ControlClient> client = runningInstance(err);
    if (!client) {
        return 1;
    }
    const std::uint32_t pid = client->pid();
    if (!answer(client->call(QStringLiteral("Quit")), err)) {
        return 1;
    }
    if (!client->waitUntilGone(kQuitWait)) {
        err << "Nimbrel (pid " << pid << ") is still stopping.\n";
        return 1;
    }
    out << "Nimbrel has quit.\n";
    return 0;
}

int runConnect(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    bool opensBrowser = true;
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            out << "Usage: nimbrel connect [--no-browser]\n"
                   "\n"
                   "Connects a Slack workspace: opens Slack\u2019s sign-in page in your browser (or, with\n"
                   "--no-browser, prints the link for you to open) and waits until the sign-in finishes.\n"
                   "Ctrl-C cancels.\n";
            return 0;
        }
        if (argument != "--no-browser") {
            err << "nimbrel connect: unexpected argument \u201C" << argument << "\u201D\n";
            return kExitUsage;
        }
        opensBrowser = false;
    }
    const std::optional<ControlClient> client = runningInstance(err);
    if (!client) {
        return 1;
    }
    const std::optional<QList<QVariant>> listed = answer(client->call(QStringLiteral("ListWorkspaces")), err);
    if (!listed) {
        return 1;
    }
    QStringList teamsBefore;
    for (const ControlWorkspace& workspace : workspacesOf(*listed)) {
        teamsBefore.append(workspace.teamID);
    }
    const std::optional<QList<QVariant>> begun = answer(client->call(QStringLiteral("BeginConnect")), err);
    if (!begun || begun->isEmpty()) {
        return 1;
    }
    const QString link = begun->front().toString();
    out << (opensBrowser ? "Opening Slack\u2019s sign-in page in your browser. If it doesn\u2019t open, visit:\n"
                         : "Open this link in your browser to connect a Slack workspace:\n")
        << "  " << text(link) << '\n';
    out.flush();
    if (opensBrowser) {
        openInBrowser(link, err);
    }
    return followAttempt(*client, teamsBefore, out, err);
}

int runDisconnect(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.size() == 1 && (arguments.front() == "--help" || arguments.front() == "-h")) {
        out << "Usage: nimbrel disconnect TEAM_ID|NAME\n"
               "\n"
               "Disconnects a Slack workspace: revokes Nimbrel\u2019s token at Slack, deletes it from your keyring\n"
               "and forgets the workspace. `nimbrel status` lists the workspaces.\n";
        return 0;
    }
    if (arguments.size() != 1) {
        err << "Usage: nimbrel disconnect TEAM_ID|NAME\n";
        return kExitUsage;
    }
    const std::optional<ControlClient> client = runningInstance(err);
    if (!client) {
        return 1;
    }
    const QString workspace = QString::fromStdString(arguments.front());
    const std::optional<QList<QVariant>> gone =
        answer(client->call(QStringLiteral("Disconnect"), {workspace}, kDisconnectWait), err);
    if (!gone) {
        return 1;
    }
    out << "Disconnected " << (gone->isEmpty() ? arguments.front() : text(gone->front().toString())) << ".\n";
    return 0;
}

} // namespace nimbrel::cli
