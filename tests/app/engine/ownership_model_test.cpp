// Random histories of a user, three Slack workspaces and the shipped write path (`SlackWritePath`), checked
// against what really happened on Slack. Slack is an in-process stand-in that answers at once, spells statuses
// the ways Slack does, and fails reads, writes, or answers to writes at random.
//
// Invariants, checked at every status sent and after every step:
// 1. Once the program has written to (or stood back on) a workspace, a status somebody else sets there is never
//    overwritten while it stands, until the record is released or forgotten.
// 2. Somebody else's status the program writes over is held as the snapshot first, exactly as read, with expiry.
// 3. A restore puts back exactly a snapshot, with its expiry, of somebody else's status, never the program's own.
// 0. The recently set statuses are the last eight distinct ones whose writes it saw succeed, across restarts.
// What the program cannot know (after a failed read, its own statuses it no longer remembers, state.json lost)
// is counted as an exclusion, not held against it.
//
// A failure prints the seed, the shrunk history and a trace. NIMBREL_OWNERSHIP_MODEL_SEED=<n> replays one seed;
// NIMBREL_OWNERSHIP_MODEL_STEPS=<n> sets the total number of steps (default 100000; 25000 in sanitizer builds).

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

#include "app/clients/slack_api.h"
#include "app/clients/timers.h"
#include "app/engine/slack_write_path.h"
#include "core/config/when_music_stops.h"
#include "core/ownership/app_state.h"
#include "core/ownership/slack_status.h"
#include "core/ownership/status_ownership.h"
#include "core/rendering/slack_emoji.h"
#include "core/time/instant.h"

namespace nimbrel {
namespace {

using Counters = std::map<std::string, long, std::less<>>;
/// Counters by kind: "events" (what the program did), "checks" (passed), "exclusions" (not held against it).
using Tally = std::map<std::string, Counters, std::less<>>;

/// A status before any spelling: :name: in the text is a shortcode; the emoji is a name without colons.
struct Phrase {
    std::string text;
    std::string emojiName;
};

constexpr int kTrackCount = 10; // the program's phrases, one per track: more than the eight it remembers
constexpr int kBlank = -1;
constexpr int kUnknown = -2; // not a phrase of the vocabulary (a fault of the model itself)

const std::vector<Phrase> kPhrases = {
    {":headphones: Night Drive · Kavinsky", "headphones"},
    {"Focus :zap: Intro — The xx", "zap"},
    {":notes: Teardrop — Massive Attack", "notes"},
    {"Digital Love — Daft Punk", "rocket"},
    {":fire: Blinding Lights — The Weeknd", "fire"},
    {"Windowlicker — Aphex Twin :brain:", "brain"},
    {":guitar: Paranoid Android — Radiohead", "guitar"},
    {"Take Five — Dave Brubeck", "saxophone"},
    {":coffee: Lo-fi beats to study to", "coffee"},
    {"Clair de Lune — Debussy", "musical_keyboard"},
    {"Lunch", "hamburger"},
    {":palm_tree: Vacation until Monday", "palm_tree"},
    {"Heads down", ""},
    {"", "zzz"},
    {"Commuting :rocket:", "bus"},
    {"Focus :zap: deep work", "brain"},
};
const int kPhraseCount = static_cast<int>(kPhrases.size());

std::string withCase(std::string text, bool upper) {
    for (char& c : text) {
        if (upper && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string trimmedSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string()
                                           : std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

/// The text with every :name: of a known shortcode replaced by `spelling(lower-case name)`.
template <typename Spelling>
std::string withShortcodes(std::string text, Spelling&& spelling) {
    for (std::size_t open = text.find(':'); open != std::string::npos; open = text.find(':', open)) {
        const std::size_t close = text.find(':', open + 1);
        const std::string name = withCase(text.substr(open + 1, close - open - 1), false);
        if (close == std::string::npos || !SlackEmoji::knownShortcodes().contains(name)) {
            ++open;
            continue;
        }
        const std::string spelled = spelling(name);
        text.replace(open, close - open + 1, spelled);
        open += spelled.size();
    }
    return text;
}

// The model's own notion of what a status says, written apart from StatusOwnership so the two check each other.
std::string plainWords(const std::string& text) {
    return trimmedSpaces(
        withShortcodes(text, [](const std::string& name) { return SlackEmoji::knownShortcodes().at(name); }));
}

std::string plainEmoji(std::string_view emoji) {
    std::string text = trimmedSpaces(emoji);
    if (text.size() >= 3 && text.front() == ':' && text.back() == ':') {
        text = text.substr(1, text.size() - 2);
    }
    return withCase(text, false);
}

// Spellings and Slack failures come from a generator seeded per step, so a history replays alike with steps cut.
using StepRng = std::minstd_rand;

template <typename Rng>
bool chance(Rng& rng, double probability) {
    return std::bernoulli_distribution(probability)(rng);
}
template <typename Rng>
int pick(Rng& rng, int count) {
    return std::uniform_int_distribution<int>(0, count - 1)(rng);
}

std::string caseVariant(const std::string& name, StepRng& rng) {
    const int variant = pick(rng, 3);
    return variant == 0   ? name
           : variant == 1 ? withCase(name, true)
                          : withCase(name.substr(0, 1), true) + name.substr(1);
}

/// The phrase as the program posts it (glyphs in the text, ":name:" as the emoji) when `rng` is null, else in
/// one of the ways a person or Slack might spell it.
SlackStatus spell(int phrase, std::int64_t expiration, StepRng* rng) {
    const Phrase& chosen = kPhrases.at(static_cast<std::size_t>(phrase));
    std::string text = withShortcodes(chosen.text, [&](const std::string& name) {
        return rng == nullptr || chance(*rng, 0.5) ? SlackEmoji::knownShortcodes().at(name)
                                                   : ":" + caseVariant(name, *rng) + ":";
    });
    std::string emoji = chosen.emojiName.empty() ? "" : ":" + chosen.emojiName + ":";
    if (rng != nullptr && !emoji.empty()) {
        const int variant = pick(*rng, 4);
        emoji = variant == 0   ? emoji
                : variant == 1 ? chosen.emojiName
                : variant == 2 ? ":" + caseVariant(chosen.emojiName, *rng) + ":"
                               : " " + emoji + " ";
    }
    if (rng != nullptr && chance(*rng, 0.15)) {
        text = " " + text + "\t";
    }
    return {text, emoji, expiration};
}

/// Which phrase a status spells: kBlank for no status, kUnknown for none of the vocabulary.
int identify(const SlackStatus& status) {
    static const std::vector<std::pair<std::string, std::string>> canonical = [] {
        std::vector<std::pair<std::string, std::string>> forms;
        for (int phrase = 0; phrase < kPhraseCount; ++phrase) {
            const SlackStatus spelled = spell(phrase, 0, nullptr);
            forms.emplace_back(plainWords(spelled.text), plainEmoji(spelled.emoji));
        }
        return forms;
    }();
    const std::pair<std::string, std::string> form{plainWords(status.text), plainEmoji(status.emoji)};
    if (form.first.empty() && form.second.empty()) {
        return kBlank;
    }
    const auto found = std::find(canonical.begin(), canonical.end(), form);
    return found == canonical.end() ? kUnknown : static_cast<int>(found - canonical.begin());
}

std::string quoted(const SlackStatus& status) {
    return "\"" + status.text + "\" \"" + status.emoji + "\"" +
           (status.expiration != 0 ? " until " + std::to_string(status.expiration) : "");
}

std::string describePhrase(int phrase) {
    return phrase == kBlank ? "no status" : quoted(spell(phrase, 0, nullptr));
}

std::string trackKey(int track) {
    const SlackStatus status = spell(track, 0, nullptr);
    return "Vibe " + std::to_string(track) + "|" + status.text + "|" + status.emoji;
}

const char* const kTeams[] = {"T1", "T2", "T3"};
constexpr int kTeamCount = 3;
constexpr std::int64_t kStart = 1'760'000'000; // seconds since 1970 when every history begins

struct Action {
    enum Kind { play, stop, userSets, userClears, advance, restart, connect, disconnect, posting, whenMusicStops };
    Kind kind = play;
    int team = 0; // index into kTeams
    /// The track, the phrase, seconds, the restart (0 graceful, 1 crash, 2 state.json lost), posting on (1) or
    /// off (0), the WhenMusicStops case, or for userClears 1 to clear to blank text.
    std::int64_t value = 0;
    std::int64_t expiresIn = 0; // userSets: seconds until the status expires; 0 never
    std::uint32_t seed = 0;     // spellings and Slack failures during the step
};

struct FaultRates {
    double readFails = 0;
    double writeFails = 0;
    double answerLost = 0; // the write reaches Slack, but the program is told it failed
};

struct History {
    FaultRates rates;
    std::vector<Action> actions;
};

WhenMusicStops whenMusicStopsCase(std::int64_t value) {
    return WhenMusicStops::allCases().at(static_cast<std::size_t>(value));
}

const char* const kKinds[] = {"play",    "stop",    "userSets",   "userClears", "advance",
                              "restart", "connect", "disconnect", "posting",    "whenMusicStops"};

std::string notation(const Action& action) {
    std::ostringstream out;
    out << kKinds[action.kind] << " " << action.team << " " << action.value << " " << action.expiresIn << " "
        << action.seed;
    return out.str();
}

/// A history written as "kind team value expiresIn seed; …" (the notation describe() prints).
History scripted(std::string text) {
    History history;
    std::replace(text.begin(), text.end(), ';', ' ');
    std::istringstream in(text);
    for (std::string kind; in >> kind;) {
        Action action;
        action.kind =
            static_cast<Action::Kind>(std::find(std::begin(kKinds), std::end(kKinds), kind) - std::begin(kKinds));
        in >> action.team >> action.value >> action.expiresIn >> action.seed;
        EXPECT_LT(action.kind, std::size(kKinds)) << kind;
        EXPECT_FALSE(in.fail()) << text;
        history.actions.push_back(action);
    }
    return history;
}

std::string describe(const Action& action) {
    std::string out = notation(action);
    if (action.kind == Action::play || action.kind == Action::userSets) {
        out += "  " + describePhrase(static_cast<int>(action.value));
    } else if (action.kind == Action::whenMusicStops) {
        out += "  " + std::string(whenMusicStopsCase(action.value).rawValue());
    }
    return out;
}

std::int64_t pickBetween(std::mt19937& rng, std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(rng);
}

/// A random history. The fault rates depend on the seed: some histories have none, some a few, some many.
History generate(std::uint32_t seed, std::size_t steps) {
    std::mt19937 rng(seed);
    const FaultRates rates[] = {{0.03, 0.03, 0.01}, {0.15, 0.10, 0.03}, {}};
    History history{rates[seed % 3], {}};
    // Weights of play, stop, userSets, userClears, advance, restart, connect, disconnect, posting, whenMusicStops.
    std::discrete_distribution<int> kinds({30, 9, 14, 5, 28, 3, 2.5, 1.2, 2, 1.5});
    std::int64_t track = 0;
    for (std::size_t step = 0; step < steps; ++step) {
        Action action;
        action.kind = static_cast<Action::Kind>(kinds(rng));
        action.team = pick(rng, kTeamCount);
        action.seed = static_cast<std::uint32_t>(rng());
        switch (action.kind) {
        case Action::play:
            // Mostly the same track again (a poll, a retry of a deferred write), sometimes the next one.
            if (chance(rng, 0.4)) {
                track = pick(rng, kTrackCount);
            }
            action.value = track;
            break;
        case Action::userSets: {
            action.value =
                chance(rng, 0.2) ? pick(rng, kTrackCount) : kTrackCount + pick(rng, kPhraseCount - kTrackCount);
            const int expiry = pick(rng, 7);
            action.expiresIn = expiry < 3    ? 0
                               : expiry == 3 ? -pickBetween(rng, 1, 7'200)
                               : expiry < 6  ? pickBetween(rng, 60, 7'200)
                                             : pickBetween(rng, 13 * 3'600, 3 * 86'400);
            break;
        }
        case Action::advance: {
            const int scale = pick(rng, 100);
            action.value = scale < 40   ? pickBetween(rng, 1, 8)
                           : scale < 70 ? pickBetween(rng, 10, 600)
                           : scale < 88 ? pickBetween(rng, 600, 6 * 3'600)
                                        : pickBetween(rng, 6 * 3'600, 30 * 3'600);
            break;
        }
        case Action::restart: // graceful, crash, state.json lost
            action.value = std::discrete_distribution<int>({45, 50, 5})(rng);
            break;
        case Action::userClears:
        case Action::posting:
            action.value = pick(rng, 2);
            break;
        case Action::whenMusicStops:
            action.value = pick(rng, 3);
            break;
        default:
            break;
        }
        history.actions.push_back(action);
    }
    return history;
}

/// Ways the fake Slack can lie: the shipped program has no fault to inject, so a lying Slack shows the checks
/// can fail.
enum class Lie { none, hidesChangesOverOurStatus, hidesStrangersStatus, dropsExpiry };

/// One workspace's Web API client, answering at once from the model's Slack.
template <typename Slack>
class StandInClient final : public SlackApi {
public:
    StandInClient(Slack& slack, int team)
        : m_slack(&slack)
        , m_team(team) {}
    QCoro::Task<Result<SlackStatus>> getStatus() const override { co_return m_slack->read(m_team); }
    QCoro::Task<Result<SlackStatus>> setStatus(SlackStatus status) const override {
        co_return m_slack->write(m_team, status);
    }
    QCoro::Task<Result<EmojiMap>> listEmoji() const override { co_return EmojiMap{}; }
    QCoro::Task<Result<std::monostate>> revoke() const override { co_return std::monostate{}; }

private:
    Slack* m_slack;
    int m_team;
};

/// The model's clock; a timer would never fire here.
class ModelTimers final : public Timers {
public:
    explicit ModelTimers(const std::int64_t& clock)
        : m_clock(clock) {}
    Instant now() const override { return Instant(std::chrono::seconds(m_clock)); }
    std::unique_ptr<TimerHandle> start(std::chrono::milliseconds, TimerPurpose, std::function<void()>) override {
        std::cerr << "the write path started a timer, which the model cannot run\n";
        std::abort();
    }

private:
    const std::int64_t& m_clock;
};

/// What a task of the write path gives; against the stand-in it has finished by the time it returns.
template <typename T>
T settled(QCoro::Task<T> task) {
    std::optional<std::conditional_t<std::is_void_v<T>, bool, T>> result;
    [](QCoro::Task<T> work, auto& out) -> QCoro::Task<> {
        if constexpr (std::is_void_v<T>) {
            co_await work;
            out = true;
        } else {
            out.emplace(co_await work);
        }
    }(std::move(task), result);
    if (!result) {
        std::cerr << "the write path suspended although the stand-in Slack answers at once\n";
        std::abort();
    }
    if constexpr (!std::is_void_v<T>) {
        return std::move(*result);
    }
}

enum class Setter { nobody, user, program };

/// One status as it was put on a workspace's Slack.
struct Entry {
    int serial = 0;
    SlackStatus status;
    int phrase = kBlank;
    Setter setter = Setter::nobody;
    bool usersWords = false; // somebody else's words: set by them, or put back for them by the program
    bool answerLost = false; // the program wrote it, but was told the write failed
    int stateLosses = 0;     // how many times state.json had been lost when it was written
};

/// A read within the step: whether it succeeded, the entry that stood and the form returned; as the source of a
/// snapshot, whether the program could have known the entry for its own then.
struct Reading {
    bool succeeded = false;
    Entry entry;
    SlackStatus form;
    bool recognisable = false;
};

/// The record's snapshot: a change of any field is a new snapshot.
using SavedFields = std::tuple<std::optional<std::string>, std::optional<std::string>, std::optional<std::int64_t>,
                               std::optional<Instant>>;
SavedFields savedFields(const StatusOwnershipRecord& record) {
    return {record.savedText, record.savedEmoji, record.savedExpiration, record.savedAt};
}
bool holds(const StatusOwnershipRecord& record, const SlackStatus& form, std::int64_t expiry) {
    return record.savedText == form.text && record.savedEmoji == form.emoji && record.savedExpiration == expiry;
}

struct Violation {
    int invariant = 0;
    std::string message;
    std::size_t step = 0;
};

class World {
public:
    World(FaultRates rates, Lie lie, bool tracing)
        : m_rates(rates)
        , m_lie(lie)
        , m_tracing(tracing) {
        for (int team = 0; team < kTeamCount; ++team) {
            m_clients[team] = std::make_shared<StandInClient<World>>(*this, team);
        }
        m_accounts = {{kTeams[0], true}, {kTeams[1], true}};
        start();
    }

    Tally tally;
    std::optional<Violation> violation;
    std::vector<std::string> traceLines;
    int phraseOn(int team) const { return identify(m_workspaces[team].current.status); }

    /// Carries out one step and checks what can be checked afterwards.
    void run(const Action& action, std::size_t step) {
        m_step = step;
        m_kind = action.kind;
        m_rng.seed(action.seed);
        for (Workspace& each : m_workspaces) {
            each.readSinceWrite.reset();
            each.lastGoodRead.reset();
        }
        trace([&] { return "#" + std::to_string(step) + " " + describe(action); });
        const std::string teamID = kTeams[action.team];
        Workspace& workspace = m_workspaces[action.team];
        Account* account = this->account(teamID);
        switch (action.kind) {
        case Action::play:
            runPlaying(static_cast<int>(action.value));
            break;
        case Action::stop:
            finishAll(false);
            break;
        case Action::userSets: {
            const std::int64_t expiration = action.expiresIn == 0 ? 0 : m_now + action.expiresIn;
            putUp(workspace, spell(static_cast<int>(action.value), expiration, &m_rng), Setter::user, true);
            break;
        }
        case Action::userClears:
            putUp(workspace, action.value == 1 ? SlackStatus{"   ", "", 0} : SlackStatus::empty(), Setter::user, true);
            break;
        case Action::advance:
            m_now += action.value;
            break;
        case Action::restart:
            if (action.value == 0) {
                finishAll(true); // quitting hands the statuses back, pacing ignored
            } else if (action.value == 2) {
                loseState();
            }
            start();
            ++tally["checks"]["restarts"];
            break;
        // As the engine takes them; applying a configuration clears every dedupe key.
        case Action::connect: // a fresh runtime, the record released, the account added (keeping its switch)
            m_path->setRuntime(teamID, runtime(teamID));
            m_state.releaseStatus(teamID);
            saveState();
            if (account == nullptr) {
                m_accounts.push_back({teamID, true});
            }
            m_state.clearAllKeys();
            workspace.engaged = false;
            break;
        case Action::disconnect: // the runtime and the record go (the recent list stays), and the account
            if (account != nullptr) {
                m_path->removeRuntime(teamID);
                m_state.forget(teamID);
                saveState();
                std::erase_if(m_accounts, [&](const Account& each) { return each.teamID == teamID; });
                m_state.clearAllKeys();
                workspace.engaged = false;
            }
            break;
        case Action::posting: // on releases the record, so the workspace is new; off finishes at once
            if (account != nullptr && account->isEnabled != (action.value == 1)) {
                account->isEnabled = action.value == 1;
                if (account->isEnabled) {
                    m_state.releaseStatus(teamID);
                    saveState();
                    workspace.engaged = false;
                }
                m_state.clearAllKeys();
                if (!account->isEnabled) {
                    finish(teamID, true);
                }
            }
            break;
        case Action::whenMusicStops:
            m_whenMusicStops = whenMusicStopsCase(action.value);
            m_state.clearAllKeys();
            break;
        }
        syncSnapshots();
        checkRecentStatuses();
        countProtectedStatuses();
    }

    SlackApi::Result<SlackStatus> read(int team) {
        Workspace& workspace = m_workspaces[team];
        m_call.readSucceeded = !chance(m_rng, m_rates.readFails);
        if (!*m_call.readSucceeded) {
            workspace.readSinceWrite = Reading{};
            trace([&] { return "    " + std::string(kTeams[team]) + ": read fails"; });
            return ServiceError(TransportError{TransportError::Kind::connectionLost, "The connection was lost."});
        }
        // An expired status reads as no status.
        const Entry& current = workspace.current;
        SlackStatus form =
            stands(current) ? spell(current.phrase, current.status.expiration, &m_rng) : SlackStatus::empty();
        const std::optional<SlackStatus> ours = m_state.record(kTeams[team]).lastSetStatus();
        if (m_lie == Lie::hidesChangesOverOurStatus && workspace.engaged && ours && current.setter == Setter::user) {
            form = *ours;
        } else if (m_lie == Lie::hidesStrangersStatus && !workspace.engaged && current.setter == Setter::user) {
            form = SlackStatus::empty();
        } else if (m_lie == Lie::dropsExpiry && workspace.engaged) {
            form.expiration = 0;
        }
        workspace.readSinceWrite = workspace.lastGoodRead = Reading{true, current, form};
        trace([&] { return "    " + std::string(kTeams[team]) + ": reads " + quoted(form); });
        return form;
    }

    SlackApi::Result<SlackStatus> write(int team, const SlackStatus& status) {
        Workspace& workspace = m_workspaces[team];
        const bool fails = chance(m_rng, m_rates.writeFails);
        const bool answerLost = !fails && chance(m_rng, m_rates.answerLost);
        const bool restoring = m_kind != Action::play && !status.isEmpty();
        checkWrite(workspace, team, status);
        trace([&] {
            return "    " + std::string(kTeams[team]) + ": writes " + quoted(status) +
                   (fails        ? " — fails"
                    : answerLost ? " — reaches Slack, answer lost"
                                 : "");
        });
        workspace.readSinceWrite.reset();
        m_call.sent = status;
        if (fails) {
            return ServiceError::http(500);
        }
        putUp(workspace, status, Setter::program,
              restoring && workspace.snapshot && workspace.snapshot->entry.usersWords);
        workspace.current.answerLost = answerLost;
        if (answerLost) {
            return ServiceError(TransportError{TransportError::Kind::timedOut, TransportError::kTimedOutDescription});
        }
        workspace.engaged = m_kind == Action::play;
        if (workspace.engaged) {
            remember(workspace.current.phrase);
        }
        return workspace.current.phrase < 0 ? SlackStatus::empty()
                                            : spell(workspace.current.phrase, status.expiration, &m_rng);
    }

private:
    struct Account {
        std::string teamID;
        bool isEnabled = true;
    };

    struct Workspace {
        Entry current;
        bool engaged = false;                  // written here since the record was last released or forgotten
        std::optional<Reading> readSinceWrite; // within this step
        std::optional<Reading> lastGoodRead;
        SavedFields seen; // the record's snapshot as last seen, and where it came from
        std::optional<Reading> snapshot;
        int unprotectedByLoss = -1; // the protected status that stood when state.json was lost
    };

    /// What Slack saw of one call of the write path.
    struct Call {
        std::optional<bool> readSucceeded;
        std::optional<SlackStatus> sent;
        bool deferred = false;
    };

    Account* account(std::string_view teamID) {
        const auto found = std::find_if(m_accounts.begin(), m_accounts.end(),
                                        [&](const Account& each) { return each.teamID == teamID; });
        return found == m_accounts.end() ? nullptr : &*found;
    }

    /// Loads state.json (missing is empty; loading discards own snapshots) and builds the write path anew.
    void start() {
        m_state = AppState();
        if (m_stateFile) {
            const AppStateReading reading = AppState::decode(*m_stateFile);
            m_state = reading.state;
            for (const std::string& teamID : reading.discardedSelfSnapshots) {
                note("load: discarded an own snapshot", teamID);
            }
        }
        m_path = std::make_unique<SlackWritePath>(SlackWritePath::Environment{
            .state = &m_state,
            .timers = m_timers,
            .whenMusicStops = [this] { return m_whenMusicStops; },
            .saveState = [this] { saveState(); },
            .noteDeferral = [this] { m_call.deferred = true; },
        });
        for (const Account& each : m_accounts) {
            m_path->setRuntime(each.teamID, runtime(each.teamID));
        }
    }

    SlackWorkspaceRuntime runtime(std::string_view teamID) const {
        SlackWorkspaceRuntime fresh;
        fresh.client = m_clients[teamIndex(teamID)];
        return fresh;
    }

    void saveState() { m_stateFile = m_state.encodedData(); }

    /// Every posting workspace whose record holds another key; saved if any was tried. A deferred write is
    /// retried by the next run of the track.
    void runPlaying(int track) {
        bool attempted = false;
        for (const Account& each : std::vector<Account>(m_accounts)) {
            const SlackWorkspaceRuntime* found = m_path->runtime(each.teamID);
            if (!each.isEnabled || found == nullptr || found->isRejected() ||
                m_state.record(each.teamID).lastKey == trackKey(track)) {
                continue;
            }
            attempted = true;
            const bool wasYielded = m_state.record(each.teamID).isYielded;
            m_call = {};
            const SlackWriteResult result =
                settled(m_path->write(spell(track, 0, nullptr), trackKey(track), each.teamID));
            const bool blind = m_call.readSucceeded == false;
            note(result.as<SlackWriteResult::Wrote>() != nullptr
                     ? (blind        ? "write: unchecked after a failed read"
                        : wasYielded ? "write: resumed, the other status was cleared"
                                     : "write: wrote")
                 : result.as<SlackWriteResult::Yielded>() != nullptr
                     ? (blind ? "write: stood back after a failed read" : "write: stood back")
                 : result.as<SlackWriteResult::Failed>() != nullptr ? "write: failed"
                                                                    : "write: deferred",
                 each.teamID);
        }
        if (attempted) {
            saveState();
        }
    }

    /// Every configured workspace, posting or not; then save. `leave` returns at once.
    void finishAll(bool force) {
        if (m_whenMusicStops == WhenMusicStops::leave) {
            return;
        }
        for (const Account& each : std::vector<Account>(m_accounts)) {
            finish(each.teamID, force);
        }
        saveState();
    }

    void finish(const std::string& teamID, bool force) {
        const bool wasOurs = m_state.record(teamID).lastSetByUs;
        m_call = {};
        settled(m_path->finish(teamID, force));
        if (!wasOurs) {
            return;
        }
        if (m_state.record(teamID).lastSetByUs) {
            note(m_call.sent                    ? "finish: failed"
                 : m_call.deferred              ? "finish: deferred"
                 : m_call.readSucceeded == true ? "finish: left somebody else's status alone"
                                                : "finish: nothing to do",
                 teamID);
        } else {
            note(m_call.sent && !m_call.sent->isEmpty() ? "finish: restored" : "finish: cleared", teamID);
            if (m_call.readSucceeded == false) {
                note("finish: handed back from the record alone after a failed read", teamID);
            }
        }
    }

    Instant now() const { return m_timers->now(); }
    bool stands(const Entry& entry) const {
        return entry.phrase >= 0 && !StatusOwnership::hasExpired(entry.status.expiration, now());
    }
    bool protectedUserStatus(const Workspace& workspace) const {
        return workspace.engaged && stands(workspace.current) && workspace.current.setter == Setter::user;
    }
    static int teamIndex(std::string_view teamID) {
        return static_cast<int>(std::find(std::begin(kTeams), std::end(kTeams), teamID) - std::begin(kTeams)) %
               kTeamCount;
    }

    template <typename Line>
    void trace(Line&& line) {
        if (m_tracing) {
            traceLines.push_back(std::forward<Line>(line)());
        }
    }

    void note(std::string_view event, const std::string& teamID) {
        ++tally["events"][std::string(event)];
        trace([&] { return "    " + teamID + ": " + std::string(event); });
    }

    void fail(int invariant, const std::string& message) {
        if (!violation) {
            violation = Violation{invariant, message, m_step};
            trace([&] { return "    VIOLATION of invariant " + std::to_string(invariant) + ": " + message; });
        }
    }

    void exclude(const std::string& reason) {
        ++tally["exclusions"][reason];
        trace([&] { return "    excluded: " + reason; });
    }

    void putUp(Workspace& workspace, const SlackStatus& status, Setter setter, bool usersWords) {
        workspace.current = Entry{++m_serial, status, identify(status), setter, usersWords, false, m_stateLosses};
        if (workspace.current.phrase == kUnknown) {
            fail(-1, "the model could not tell what " + quoted(status) + " says");
        }
    }

    void loseState() {
        m_stateFile.reset();
        ++m_stateLosses;
        m_recent.clear();
        for (Workspace& workspace : m_workspaces) {
            if (protectedUserStatus(workspace)) {
                workspace.unprotectedByLoss = workspace.current.serial;
            }
            workspace.engaged = false;
        }
    }

    /// The model's copy of the program's memory: the eight latest distinct statuses it saw written.
    void remember(int phrase) {
        std::erase(m_recent, phrase);
        m_recent.push_front(phrase);
        if (m_recent.size() > AppState::recentlySetLimit) {
            m_recent.pop_back();
        }
    }

    /// Whether the program can recognise the phrase as its own here: its last write there, or a recent one.
    bool knows(int phrase, int team) const {
        const std::optional<SlackStatus> lastSet = m_state.record(kTeams[team]).lastSetStatus();
        return phrase >= 0 && ((lastSet && identify(*lastSet) == phrase) ||
                               std::find(m_recent.begin(), m_recent.end(), phrase) != m_recent.end());
    }

    // Follows the records' snapshots: each new one must be what the program read from Slack just before.
    void syncSnapshots() {
        for (int team = 0; team < kTeamCount; ++team) {
            Workspace& workspace = m_workspaces[team];
            const StatusOwnershipRecord record = m_state.record(kTeams[team]);
            const SavedFields fields = savedFields(record);
            if (fields == workspace.seen) {
                continue;
            }
            workspace.seen = fields;
            workspace.snapshot.reset();
            if (!record.hasSnapshot()) {
                continue;
            }
            const std::optional<Reading>& read = workspace.lastGoodRead;
            if (!read || !holds(record, read->form, read->form.expiration)) {
                fail(2, std::string(kTeams[team]) + ": a snapshot that is not what was just read from Slack");
                continue;
            }
            workspace.snapshot = Reading{true, read->entry, read->form, knows(read->entry.phrase, team)};
        }
    }

    // Invariants 1, 2 and 3, at the moment the program sends a status, before Slack takes it.
    void checkWrite(Workspace& workspace, int team, const SlackStatus& sent) {
        syncSnapshots();
        const std::string teamID = kTeams[team];
        const Entry& current = workspace.current;
        const std::optional<Reading>& read = workspace.readSinceWrite;
        const bool readFailed = read && !read->succeeded;
        const bool readIt = read && read->succeeded && read->entry.serial == current.serial;
        const bool finishing = m_kind != Action::play;
        const std::string what = describePhrase(current.phrase);

        if (protectedUserStatus(workspace)) {
            // 1: a status set by somebody else after the program's write is about to be overwritten. After a
            // failed read a finish decides from the record alone and a write goes ahead unchecked, unless the
            // program had stood back: then it must stand back again.
            if (readFailed && finishing) {
                exclude("1: a finish after a failed read overwrote a status, deciding from the record alone");
            } else if (readFailed && !m_state.record(teamID).isYielded) {
                exclude("1: a write after a failed read overwrote a status unchecked");
            } else if (knows(current.phrase, team)) {
                exclude("1: the user's status is word for word one the program remembers");
            } else {
                fail(1, teamID + ": " + (finishing ? "the finish" : "a write") + " overwrites " + what +
                            ", set by somebody else after the program's write");
            }
        } else if (!finishing && stands(current) && current.usersWords) {
            // 2: taking over somebody else's status.
            if (current.serial == workspace.unprotectedByLoss) {
                exclude("1: overwrote a status set after the program's write, state.json having been lost");
            }
            if (readFailed) {
                exclude("2: took over a status after a failed read");
            } else if (!readIt) {
                fail(2, teamID + ": wrote over " + what + " without reading it");
            } else if (knows(current.phrase, team)) {
                exclude("2: the user's status is word for word one the program remembers");
            } else if (!holds(m_state.record(teamID), read->form, current.status.expiration)) {
                fail(2, teamID + ": took over " + what + " without a snapshot of it");
            } else {
                ++tally["checks"]["2: takeovers with their snapshot"];
            }
        }
        if (!finishing || sent.isEmpty()) {
            return;
        }
        // 3: a restore.
        const std::optional<Reading>& from = workspace.snapshot;
        if (!from) {
            fail(3, teamID + ": put back " + quoted(sent) + ", which no snapshot holds");
        } else if (sent.text != from->form.text || sent.emoji != from->form.emoji ||
                   sent.expiration != from->entry.status.expiration) {
            fail(3, teamID + ": put back " + quoted(sent) + " instead of the snapshot " + quoted(from->form) +
                        " with its expiry");
        } else if (from->entry.usersWords) {
            ++tally["checks"]["3: restores of somebody else's status"];
        } else if (from->recognisable || knows(from->entry.phrase, team)) {
            fail(3, teamID + ": put back its own status " + describePhrase(from->entry.phrase) +
                        " as if it were somebody else's");
        } else if (from->entry.answerLost) {
            exclude("3: put back an own status whose write had lost its answer");
        } else if (from->entry.stateLosses < m_stateLosses) {
            exclude("3: put back an own status written before state.json was lost");
        } else {
            exclude("3: put back an own status older than the eight it remembers");
        }
    }

    // Invariant 0.
    void checkRecentStatuses() {
        std::vector<int> held;
        for (const SlackStatus& status : m_state.recentlySet) {
            held.push_back(identify(status));
        }
        if (held != std::vector<int>(m_recent.begin(), m_recent.end())) {
            fail(0, "the recently set statuses are not the last eight the program saw written");
        }
    }

    void countProtectedStatuses() {
        if (m_kind != Action::play && m_kind != Action::stop && m_kind != Action::restart) {
            return;
        }
        for (int team = 0; team < kTeamCount; ++team) {
            const Workspace& workspace = m_workspaces[team];
            if (protectedUserStatus(workspace)) {
                ++tally["checks"]["1: runs that left a protected status alone"];
            }
        }
    }

    FaultRates m_rates;
    Lie m_lie;
    bool m_tracing;
    std::int64_t m_now = kStart;
    std::shared_ptr<Timers> m_timers = std::make_shared<ModelTimers>(m_now);
    std::shared_ptr<const SlackApi> m_clients[kTeamCount];
    // The program. The configuration and state.json survive a restart; the state and the write path, with its
    // runtimes and their write budgets, live in memory.
    std::vector<Account> m_accounts;
    WhenMusicStops m_whenMusicStops = WhenMusicStops::restore;
    std::optional<std::string> m_stateFile;
    AppState m_state;
    std::unique_ptr<SlackWritePath> m_path;
    Call m_call;
    // What really happened.
    Workspace m_workspaces[kTeamCount];
    std::deque<int> m_recent;
    int m_serial = 0;
    int m_stateLosses = 0;
    std::size_t m_step = 0;
    Action::Kind m_kind = Action::play;
    StepRng m_rng;
};

/// Runs a history until its end or its first violation.
std::unique_ptr<World> replay(const History& history, Lie lie = Lie::none, bool tracing = false) {
    auto world = std::make_unique<World>(history.rates, lie, tracing);
    for (std::size_t step = 0; step < history.actions.size() && !world->violation; ++step) {
        world->run(history.actions[step], step);
    }
    return world;
}

/// The fewest steps found that still break the same invariant: without Slack failures if possible, then with
/// ever smaller runs of steps left out, then without Slack failures again.
History shrink(History history, int invariant, Lie lie = Lie::none) {
    int budget = 20'000;
    const auto tryCandidate = [&](History candidate) {
        --budget;
        const std::optional<Violation> found = replay(candidate, lie)->violation;
        if (!found || found->invariant != invariant) {
            return false;
        }
        candidate.actions.resize(found->step + 1);
        history = std::move(candidate);
        return true;
    };
    tryCandidate(history);
    tryCandidate(History{{}, history.actions});
    for (std::size_t before = history.actions.size() + 1; history.actions.size() < before && budget > 0;) {
        before = history.actions.size();
        for (std::size_t chunk = std::max<std::size_t>(history.actions.size() / 2, 1); budget > 0; chunk /= 2) {
            for (std::size_t at = 0; at < history.actions.size() && budget > 0;) {
                History candidate = history;
                const auto first = candidate.actions.begin() + static_cast<std::ptrdiff_t>(at);
                candidate.actions.erase(
                    first, first + static_cast<std::ptrdiff_t>(std::min(chunk, candidate.actions.size() - at)));
                if (!tryCandidate(std::move(candidate))) {
                    at += chunk;
                }
            }
            if (chunk == 1) {
                break;
            }
        }
    }
    // Slack failures that the shorter history no longer needs.
    if (budget > 0) {
        tryCandidate(History{{}, history.actions});
    }
    return history;
}

/// The history as a script to paste into a test, with its fault rates.
std::string describe(const History& history) {
    std::ostringstream out;
    out << "fault rates {" << history.rates.readFails << ", " << history.rates.writeFails << ", "
        << history.rates.answerLost << "}, script \"";
    for (std::size_t step = 0; step < history.actions.size(); ++step) {
        out << (step == 0 ? "" : "; ") << notation(history.actions[step]);
    }
    return out.str() + "\"\n";
}

/// Everything needed to understand and replay a violation.
std::string explain(std::uint32_t seed, const Violation& violation, const History& history, Lie lie = Lie::none) {
    const History shortest = shrink(history, violation.invariant, lie);
    std::ostringstream out;
    out << "seed " << seed << ", step " << violation.step << ": invariant " << violation.invariant << " — "
        << violation.message << "\nreplay with NIMBREL_OWNERSHIP_MODEL_SEED=" << seed << "\nshortest history found ("
        << shortest.actions.size() << " steps), " << describe(shortest) << "trace:\n";
    const std::unique_ptr<World> traced = replay(shortest, lie, true);
    for (const std::string& line : traced->traceLines) {
        out << line << "\n";
    }
    return out.str();
}

const std::vector<std::uint32_t> kSeeds = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
// Sanitizer builds run several times slower; a quarter of the steps keeps them to seconds there too.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kDefaultTotalSteps = 25'000;
#else
constexpr std::size_t kDefaultTotalSteps = 100'000;
#endif
// Fewer steps than this need not reach every situation.
constexpr std::size_t kStepsForCoverage = 20'000;

TEST(OwnershipModelVocabulary, EverySpellingIsTheSameStatusOnlyAsItsOwnPhrase) {
    // The model's idea of "the same status" must agree with the program's, or the checks would judge the
    // program by the wrong rule.
    StepRng rng(7);
    for (int phrase = 0; phrase < kPhraseCount; ++phrase) {
        EXPECT_EQ(identify(spell(phrase, 0, nullptr)), phrase);
        for (int other = 0; other < kPhraseCount; ++other) {
            for (int round = 0; round < 20; ++round) {
                const SlackStatus a = spell(phrase, 0, &rng);
                const SlackStatus b = spell(other, 0, &rng);
                ASSERT_EQ(identify(a), phrase) << quoted(a);
                ASSERT_EQ(StatusOwnership::isSameStatus(a, b), phrase == other) << quoted(a) << " / " << quoted(b);
            }
        }
    }
    EXPECT_EQ(identify(SlackStatus::empty()), kBlank);
    EXPECT_EQ(identify(SlackStatus{"   ", "", 0}), kBlank);
}

TEST(OwnershipModel, RandomHistoriesKeepTheInvariants) {
    std::vector<std::uint32_t> chosen = kSeeds;
    if (const char* text = std::getenv("NIMBREL_OWNERSHIP_MODEL_SEED")) {
        chosen = {static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10))};
    }
    const char* stepsText = std::getenv("NIMBREL_OWNERSHIP_MODEL_STEPS");
    const std::size_t stepsPerSeed =
        (stepsText != nullptr ? std::strtoull(stepsText, nullptr, 10) : kDefaultTotalSteps) / kSeeds.size();
    Tally tally;
    for (const std::uint32_t seed : chosen) {
        const History history = generate(seed, stepsPerSeed);
        const std::unique_ptr<World> world = replay(history);
        for (const auto& [kind, counters] : world->tally) {
            for (const auto& [name, count] : counters) {
                tally[kind][name] += count;
            }
        }
        if (world->violation) {
            ADD_FAILURE() << explain(seed, *world->violation, history);
        }
    }
    // A model that never reaches a situation checks nothing there: a full run must have been through all of them.
    if (chosen.size() == kSeeds.size() && stepsPerSeed * kSeeds.size() >= kStepsForCoverage) {
        for (const char* event : {"write: wrote", "write: stood back", "write: resumed, the other status was cleared",
                                  "write: unchecked after a failed read", "write: stood back after a failed read",
                                  "write: deferred", "write: failed", "finish: restored", "finish: cleared",
                                  "finish: failed", "finish: deferred", "finish: left somebody else's status alone",
                                  "finish: handed back from the record alone after a failed read"}) {
            EXPECT_GT(tally["events"][event], 0) << event;
        }
        for (const char* check : {"1: runs that left a protected status alone", "2: takeovers with their snapshot",
                                  "3: restores of somebody else's status", "restarts"}) {
            EXPECT_GT(tally["checks"][check], 0) << check;
        }
    }
}

TEST(OwnershipModel, ChecksCatchALyingSlack) {
    struct Row {
        Lie lie;
        int invariant;
        const char* name;
    };
    const Row rows[] = {
        {Lie::hidesChangesOverOurStatus, 1, "hides a status set over the program's own"},
        {Lie::hidesStrangersStatus, 2, "hides somebody else's status until the program has written"},
        {Lie::dropsExpiry, 3, "drops the expiry once the program has written"},
    };
    for (const Row& row : rows) {
        std::optional<Violation> found;
        std::uint32_t seed = 0;
        History history;
        while (!found && ++seed <= 20) {
            history = generate(seed, 5'000);
            found = replay(history, row.lie)->violation;
        }
        ASSERT_TRUE(found.has_value()) << row.name;
        EXPECT_EQ(found->invariant, row.invariant) << row.name << "\n" << explain(seed, *found, history, row.lie);
        const History shortest = shrink(history, found->invariant, row.lie);
        EXPECT_LE(shortest.actions.size(), 12u) << row.name << "\n" << describe(shortest);
    }
}

TEST(OwnershipModel, ScriptedHistories) {
    const auto restarted = [](const char* restart) {
        return scripted(std::string("play 0 0 0 1; restart 0 ") + restart +
                        " 0 2; advance 0 10 0 3; play 0 1 0 4; advance 0 10 0 5; stop 0 0 0 6");
    };
    const std::string ownLeftover = "3: put back an own status written before state.json was lost";
    struct Row {
        const char* name;
        History history;
        int onT1; // the phrases on T1 and T2 at the end
        int onT2;
        std::string counter; // an event or exclusion, and how often it happened
        long count;
    };
    const Row rows[] = {
        // Track 0 on T1 and T2, a restart, track 1 and the music stops (restore). With its state kept the program
        // recognises its own status and clears; with state.json gone it takes its own status for the user's,
        // snapshots it on both workspaces and puts it back.
        {"a graceful restart", restarted("0"), kBlank, kBlank, ownLeftover, 0},
        {"a crash", restarted("1"), kBlank, kBlank, ownLeftover, 0},
        {"state.json lost", restarted("2"), 0, 0, ownLeftover, 2},
        // Shortest histories the random search once found: its own leftover, snapshotted after state.json was lost,
        // then written again and put back when the music stops / posting is switched off.
        {"its own leftover written again, then the music stops",
         scripted("play 2 6 0 844153130; restart 2 2 0 532799005; play 0 6 0 4189363576; advance 0 18714 0 469491001; "
                  "stop 0 0 0 2795716759"),
         kBlank, kBlank, "finish: cleared", 2},
        {"its own leftover written again, then posting is switched off",
         scripted("disconnect 0 0 0 81775495; play 2 5 0 23079672; restart 2 2 0 3856107415; play 0 5 0 3479155028; "
                  "posting 1 0 0 2425160994"),
         kBlank, kBlank, "finish: cleared", 1},
    };
    for (const Row& row : rows) {
        const std::unique_ptr<World> world = replay(row.history);
        EXPECT_FALSE(world->violation.has_value()) << row.name << "\n" << explain(0, *world->violation, row.history);
        EXPECT_EQ(world->phraseOn(0), row.onT1) << row.name;
        EXPECT_EQ(world->phraseOn(1), row.onT2) << row.name;
        EXPECT_EQ(world->tally["events"][row.counter] + world->tally["exclusions"][row.counter], row.count)
            << row.name << ": " << row.counter;
    }
}

} // namespace
} // namespace nimbrel
