// Random histories of a user, three Slack workspaces and the program, checked against what really happened
// on Slack.
//
// Each workspace has a fake Slack holding one status and who put it there; reads and echoes spell it the ways
// Slack does (shortcode for glyph, emoji case, no colons, spaces around the text). The user sets statuses
// (expired, expiring soon or in days, now and then word for word one the program posts) and clears them; the
// clock moves by seconds (into the one-per-6-seconds pacing) up to past the 12 hours a snapshot lasts.
// `Program` follows the engine's steps on the real AppState, SlackWritePlan, SlackFinishPlan and
// RateLimitWindow: runs for a playing track (read, decide, snapshot / write / take over / stand back, record the
// echo) and runs with the music stopped (finish under WhenMusicStops); restarts (graceful, crash, state.json
// lost) through encode/decode; reconnects, disconnects, posting on/off, WhenMusicStops changes. Slack calls fail
// at random: a read, a write, or a write whose answer is lost.
//
// Invariants, checked at every status sent and after every step:
// 1. Once the program has written to (or stood back on) a workspace, a status somebody else sets there is never
//    overwritten while it stands, until the record is released (finish, reconnect, posting on) or forgotten.
// 2. Somebody else's status the program writes over is held as the snapshot first, exactly as read, with expiry.
// 3. A restore puts back exactly a snapshot, with its expiry, of somebody else's status, never the program's own.
// 0. The recently set statuses are the last eight distinct ones whose writes it saw succeed, across restarts.
//
// Not held against the program (counted and printed): a failed read (the write goes ahead unchecked, a finish
// decides from the record alone); a user's status word for word one it remembers writing; its own status it no
// longer remembers (older than the eight, written before state.json was lost, or whose answer was lost) being
// snapshotted and restored; statuses set by hand before state.json was lost losing their protection.
//
// A failure prints the seed, the step, the history shrunk to the fewest steps that still break the same
// invariant, and a trace. NIMBREL_OWNERSHIP_MODEL_SEED=<n> replays one seed; NIMBREL_OWNERSHIP_MODEL_STEPS=<n>
// sets the total number of steps (default 100000; 25000 in sanitizer builds).

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
#include <vector>

#include <gtest/gtest.h>

#include "core/config/when_music_stops.h"
#include "core/ownership/app_state.h"
#include "core/ownership/rate_limit_window.h"
#include "core/ownership/slack_finish_plan.h"
#include "core/ownership/slack_status.h"
#include "core/ownership/slack_write_plan.h"
#include "core/ownership/status_ownership.h"
#include "core/rendering/slack_emoji.h"
#include "core/time/instant.h"

namespace nimbrel {
namespace {

using Counters = std::map<std::string, long, std::less<>>;
/// Counters by kind: "events" (what the program did), "checks" (passed), "exclusions" (what it cannot know,
/// not held against it), "observations" (worth knowing, breaks nothing).
using Tally = std::map<std::string, Counters, std::less<>>;

// ---- Vocabulary: what statuses say, and every way of spelling it ----------------------------------------------

/// Plain words, or an emoji by shortcode name (spelled as the glyph or as the shortcode).
struct Piece {
    std::string words;
    std::string emojiName;
};
/// A status before any spelling; emojiName without colons, empty for none.
struct Phrase {
    std::vector<Piece> pieces;
    std::string emojiName;
};
Piece w(std::string text) {
    return {std::move(text), {}};
}
Piece g(std::string name) {
    return {{}, std::move(name)};
}

constexpr int kTrackCount = 12;
constexpr int kBlank = -1;   // no status
constexpr int kUnknown = -2; // not a phrase of the vocabulary (a fault of the model itself)

// The first kTrackCount phrases are the program's, one per track: more than the eight it remembers. The rest are
// the user's.
const std::vector<Phrase> kPhrases = {
    {{g("headphones"), w(" Night Drive · Kavinsky")}, "headphones"},
    {{w("Focus "), g("zap"), w(" Intro — The xx")}, "zap"},
    {{g("notes"), w(" Teardrop — Massive Attack")}, "notes"},
    {{w("Digital Love — Daft Punk")}, "rocket"},
    {{g("fire"), w(" Blinding Lights — The Weeknd")}, "fire"},
    {{w("Windowlicker — Aphex Twin "), g("brain")}, "brain"},
    {{g("guitar"), w(" Paranoid Android — Radiohead")}, "guitar"},
    {{w("Take Five — Dave Brubeck")}, "saxophone"},
    {{g("coffee"), w(" Lo-fi beats to study to")}, "coffee"},
    {{w("Clair de Lune — Debussy")}, "musical_keyboard"},
    {{g("metal"), w(" Master of Puppets — Metallica")}, "metal"},
    {{w("Hoppípolla — Sigur Rós")}, "ocean"},
    {{w("Lunch")}, "hamburger"},
    {{w("In a meeting")}, "spiral_calendar_pad"},
    {{g("palm_tree"), w(" Vacation until Monday")}, "palm_tree"},
    {{w("Heads down")}, ""},
    {{}, "zzz"},
    {{w("Commuting "), g("rocket")}, "bus"},
    {{w("Out sick")}, "face_with_thermometer"},
    {{w("Focus "), g("zap"), w(" deep work")}, "brain"},
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

const std::string& glyphOf(const std::string& name) {
    return SlackEmoji::knownShortcodes().at(name);
}

bool isTextEmoji(const std::string& name) {
    return std::any_of(kPhrases.begin(), kPhrases.end(),
                       [&](const Phrase& phrase) {
                           return std::any_of(phrase.pieces.begin(), phrase.pieces.end(),
                                              [&](const Piece& piece) { return piece.emojiName == name; });
                       }) &&
           !name.empty();
}

// The model's own notion of what a status says, written apart from StatusOwnership so that the two check each
// other: the vocabulary's shortcodes become glyphs, spaces around the text go, the emoji loses colons and case.
std::string plainWords(std::string_view text) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find(':', at);
        if (open == std::string_view::npos) {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, open - at));
        const std::size_t close = text.find(':', open + 1);
        if (close != std::string_view::npos) {
            const std::string name = withCase(std::string(text.substr(open + 1, close - open - 1)), false);
            if (isTextEmoji(name)) {
                out += glyphOf(name);
                at = close + 1;
                continue;
            }
        }
        out.push_back(':');
        at = open + 1;
    }
    return trimmedSpaces(out);
}

std::string plainEmoji(std::string_view emoji) {
    std::string text = trimmedSpaces(emoji);
    if (text.size() >= 3 && text.front() == ':' && text.back() == ':') {
        text = text.substr(1, text.size() - 2);
    }
    return withCase(text, false);
}

// Each step draws its spellings and Slack failures from a small generator seeded by the step, so that a history
// replays the same with steps left out; histories themselves come from std::mt19937.
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
    std::string text;
    for (const Piece& piece : chosen.pieces) {
        if (piece.emojiName.empty()) {
            text += piece.words;
        } else if (rng == nullptr || chance(*rng, 0.5)) {
            text += glyphOf(piece.emojiName);
        } else {
            text += ":" + caseVariant(piece.emojiName, *rng) + ":";
        }
    }
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

// ---- The program: the engine's cycle and the workspace write path --------------------------------------------

/// users.profile.get / users.profile.set; none when the call failed.
class SlackApi {
public:
    virtual ~SlackApi() = default;
    virtual std::optional<SlackStatus> getStatus(const std::string& teamID) = 0;
    virtual std::optional<SlackStatus> setStatus(const std::string& teamID, const SlackStatus& status) = 0;
};

/// Deliberate faults, to show that the checks catch a program that breaks the rules.
enum class Flaw {
    none,
    finishesWithoutReading,
    writesOverAYield,
    takesOverWithoutSnapshot,
    putsBackItsOwnStatus,
    dropsTheExpiry
};

struct Account {
    std::string teamID;
    bool isEnabled = true;
};

/// What a track posts (expiration 0) and its dedupe key (vibe name | text | emoji).
SlackStatus trackStatus(int track) {
    return spell(track, 0, nullptr);
}
std::string trackKey(int track) {
    const SlackStatus status = trackStatus(track);
    return "Vibe " + std::to_string(track) + "|" + status.text + "|" + status.emoji;
}

// The engine's steps of a run, a workspace's write and its finish, in order, on the real core types; only what
// bears on ownership. A deferred write is retried by the next run of the track.
class Program {
public:
    using EventSink = std::function<void(std::string_view event, const std::string& teamID)>;

    Program(SlackApi& slack, const std::int64_t& clock, Flaw flaw, EventSink note)
        : m_slack(slack)
        , m_clock(clock)
        , m_flaw(flaw)
        , m_note(std::move(note)) {}

    // What survives a restart: the configuration and state.json. What lives in memory: the state, and each
    // runtime's write budget (one write per 6 seconds).
    std::vector<Account> accounts;
    WhenMusicStops whenMusicStops = WhenMusicStops::restore;
    std::optional<std::string> stateFile;
    AppState state;
    std::map<std::string, RateLimitWindow, std::less<>> writeBudget;

    Account* account(std::string_view teamID) {
        const auto found =
            std::find_if(accounts.begin(), accounts.end(), [&](const Account& a) { return a.teamID == teamID; });
        return found == accounts.end() ? nullptr : &*found;
    }

    /// Load state.json (missing is empty; loading discards own snapshots), a runtime per account.
    void start() {
        state = AppState();
        if (stateFile) {
            const AppStateReading reading = AppState::decode(*stateFile);
            state = reading.state;
            for (const std::string& teamID : reading.discardedSelfSnapshots) {
                m_note("load: discarded an own snapshot", teamID);
            }
        }
        writeBudget.clear();
        for (const Account& each : accounts) {
            writeBudget.insert_or_assign(each.teamID, RateLimitWindow(1, 6.0));
        }
    }

    /// Quitting hands the statuses back with pacing ignored.
    void quit() { finishAll(true); }
    void runStopped() { finishAll(false); }

    /// Write the track's status to every posting workspace whose record holds another key; save if attempted.
    void runPlaying(int track) {
        bool attempted = false;
        for (const Account& each : std::vector<Account>(accounts)) {
            if (each.isEnabled && writeBudget.contains(each.teamID) &&
                state.record(each.teamID).lastKey != trackKey(track)) {
                write(trackStatus(track), trackKey(track), each.teamID);
                attempted = true;
            }
        }
        if (attempted) {
            saveState();
        }
    }

    /// A new or refreshed connection: fresh runtime, record released, account upserted (keeping its switch).
    void connect(const std::string& teamID) {
        writeBudget.insert_or_assign(teamID, RateLimitWindow(1, 6.0));
        state.releaseStatus(teamID);
        saveState();
        if (account(teamID) == nullptr) {
            accounts.push_back({teamID, true});
        }
        applyConfig();
    }

    /// The runtime goes, the record is forgotten (the recent list stays), the account goes.
    void disconnect(const std::string& teamID) {
        writeBudget.erase(teamID);
        state.forget(teamID);
        saveState();
        std::erase_if(accounts, [&](const Account& a) { return a.teamID == teamID; });
        applyConfig();
    }

    /// "Post my status here": on releases the record (the next run treats it as new); off finishes at once.
    void setPosting(const std::string& teamID, bool enabled) {
        Account* found = account(teamID);
        if (found == nullptr || found->isEnabled == enabled) {
            return;
        }
        if (enabled) {
            state.releaseStatus(teamID);
            saveState();
        }
        found->isEnabled = enabled;
        applyConfig();
        if (!enabled) {
            finish(teamID, true);
        }
    }

    void setWhenMusicStops(WhenMusicStops value) {
        whenMusicStops = value;
        applyConfig();
    }

private:
    Instant now() const { return Instant(std::chrono::seconds(m_clock)); }
    // Applying a configuration clears every dedupe key (the next run writes everywhere) without saving.
    void applyConfig() { state.clearAllKeys(); }
    void saveState() { stateFile = state.encodedData(); }

    // Read what is there, decide, then snapshot / write / take over / stand back.
    void write(const SlackStatus& status, const std::string& key, const std::string& teamID) {
        // Reading is not paced, but is skipped when no write could follow.
        if (writeBudget.at(teamID).remaining(now()) < 1) {
            reserveWriteSlot(teamID);
            return;
        }
        const bool wasYielded = state.record(teamID).isYielded;
        const std::optional<SlackStatus> current = m_slack.getStatus(teamID);
        if (!current) {
            // No ownership decision and no snapshot: the degraded, unchecked write.
            m_note("write: unchecked after a failed read", teamID);
            push(status, key, teamID);
            return;
        }
        SlackWritePlan plan = SlackWritePlan::decide(*current, state, teamID, true);
        if (m_flaw == Flaw::writesOverAYield && plan == SlackWritePlan::yieldToCurrent) {
            plan = SlackWritePlan::write;
        } else if (m_flaw == Flaw::takesOverWithoutSnapshot && plan == SlackWritePlan::snapshotThenWrite) {
            plan = SlackWritePlan::takeOverWithoutSnapshot;
        }
        m_note(std::string("plan: ") + std::string(plan.name()), teamID);
        switch (plan.value()) {
        case SlackWritePlan::deferNoBudget:
            return;
        case SlackWritePlan::snapshotThenWrite:
            state.snapshot(*current, now(), teamID);
            break;
        case SlackWritePlan::write:
            if (wasYielded) {
                m_note("write: resuming, the other status was cleared", teamID);
            }
            break;
        case SlackWritePlan::takeOverWithoutSnapshot:
            break;
        case SlackWritePlan::yieldToCurrent:
            // Every run that finds the other status still there refreshes the snapshot.
            state.yield(*current, now(), teamID);
            return;
        }
        push(status, key, teamID);
    }

    // Pace, set, record the echo. A failure leaves the record (and its key) alone, so the next run tries again.
    void push(const SlackStatus& status, const std::string& key, const std::string& teamID) {
        if (!reserveWriteSlot(teamID)) {
            return;
        }
        if (const std::optional<SlackStatus> echo = m_slack.setStatus(teamID, status)) {
            state.recordWrite(*echo, key, teamID);
        } else {
            m_note("push: failed", teamID);
        }
    }

    bool reserveWriteSlot(const std::string& teamID) {
        if (writeBudget.at(teamID).reserve(now())) {
            return true;
        }
        m_note("pacing: deferred", teamID);
        return false;
    }

    // For every account, posting or not; then save. `leave` returns at once.
    void finishAll(bool force) {
        if (whenMusicStops == WhenMusicStops::leave) {
            return;
        }
        for (const Account& each : std::vector<Account>(accounts)) {
            finish(each.teamID, force);
        }
        saveState();
    }

    // The record alone cannot tell whether somebody changed the status since the last write (one track playing
    // on never reads again), so Slack is read first and somebody else's status left alone. A failed read decides
    // from the record alone, as a token that may not read profiles must.
    void finish(const std::string& teamID, bool force) {
        if (!writeBudget.contains(teamID)) {
            return;
        }
        SlackFinishPlan plan = SlackFinishPlan::decide(whenMusicStops, state.record(teamID), now());
        if (plan.as<SlackFinishPlan::DoNothing>() != nullptr) {
            return;
        }
        if (m_flaw != Flaw::finishesWithoutReading) {
            if (!force && writeBudget.at(teamID).remaining(now()) < 1) {
                m_note("pacing: finish deferred", teamID);
                return;
            }
            plan = SlackFinishPlan::decide(whenMusicStops, state.record(teamID), now(), m_slack.getStatus(teamID));
            if (plan.as<SlackFinishPlan::DoNothing>() != nullptr) {
                m_note("finish: left somebody else's status alone", teamID);
                return;
            }
        }
        if (!force && !reserveWriteSlot(teamID)) {
            return; // the record keeps lastSetByUs, so a later finish tries again
        }
        SlackStatus sent = SlackStatus::empty();
        if (const auto* restore = plan.as<SlackFinishPlan::Restore>()) {
            sent = restore->status;
            if (m_flaw == Flaw::dropsTheExpiry) {
                sent.expiration = 0;
            }
            if (const auto own = state.record(teamID).lastSetStatus(); own && m_flaw == Flaw::putsBackItsOwnStatus) {
                sent = *own;
            }
        }
        const bool restoring = plan.as<SlackFinishPlan::Restore>() != nullptr;
        if (!m_slack.setStatus(teamID, sent)) {
            m_note(restoring ? "finish: restore failed" : "finish: clear failed", teamID);
            return;
        }
        m_note(restoring ? "finish: restored" : "finish: cleared", teamID);
        state.releaseStatus(teamID);
        saveState();
    }

    SlackApi& m_slack;
    const std::int64_t& m_clock;
    Flaw m_flaw;
    EventSink m_note;
};

// ---- Histories -----------------------------------------------------------------------------------------------

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

/// The action as code to paste into a scripted history, and what it means where that is not plain.
std::string describe(const Action& action) {
    static const char* const kinds[] = {"play",    "stop",    "userSets",   "userClears", "advance",
                                        "restart", "connect", "disconnect", "posting",    "whenMusicStops"};
    std::ostringstream out;
    out << "{Action::" << kinds[action.kind] << ", " << action.team << ", " << action.value << ", " << action.expiresIn
        << ", " << action.seed << "u}";
    if (action.kind == Action::play || action.kind == Action::userSets) {
        out << "  " << describePhrase(static_cast<int>(action.value));
    } else if (action.kind == Action::whenMusicStops) {
        out << "  " << whenMusicStopsCase(action.value).rawValue();
    }
    return out.str();
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
            // Now and then word for word one of the program's statuses; never expiring, expired, soon, in days.
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
        case Action::restart: {
            const int kind = pick(rng, 100);
            action.value = kind < 45 ? 0 : kind < 95 ? 1 : 2;
            break;
        }
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

// ---- The world: fake Slack and the record of what really happened -------------------------------------------

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

/// A read within the step: whether it succeeded, the entry read and the form returned.
struct Reading {
    bool succeeded = false;
    Entry entry;
    SlackStatus form;
};

/// Where the record's snapshot came from.
struct Provenance {
    Entry entry;
    SlackStatus form;
    bool recognisableWhenTaken = false;
};

struct SavedFields {
    std::optional<std::string> text;
    std::optional<std::string> emoji;
    std::optional<std::int64_t> expiration;
    std::optional<Instant> at;
    friend bool operator==(const SavedFields&, const SavedFields&) = default;
    bool holds(const SlackStatus& form, std::int64_t expiry) const {
        return text == form.text && emoji == form.emoji && expiration == expiry;
    }
};

SavedFields savedFields(const StatusOwnershipRecord& record) {
    return {record.savedText, record.savedEmoji, record.savedExpiration, record.savedAt};
}

struct Violation {
    int invariant = 0;
    std::string message;
    std::size_t step = 0;
};

class World final : public SlackApi {
public:
    World(FaultRates rates, Flaw flaw, bool tracing)
        : m_rates(rates)
        , m_tracing(tracing)
        , m_program(*this, m_now, flaw, [this](std::string_view event, const std::string& teamID) {
            ++tally["events"][std::string(event)];
            trace([&] { return "    " + teamID + ": " + std::string(event); });
        }) {
        m_program.accounts = {{kTeams[0], true}, {kTeams[1], true}};
        m_program.start();
    }

    Tally tally;
    std::optional<Violation> violation;
    std::vector<std::string> traceLines;
    std::size_t steps = 0;

    Program& program() { return m_program; }
    int phraseOn(int team) const { return identify(m_workspaces[team].current.status); }

    /// Carries out one step and checks what can be checked afterwards.
    void run(const Action& action, std::size_t step) {
        m_step = step;
        steps = step + 1;
        m_kind = action.kind;
        m_rng.seed(action.seed);
        for (Workspace& each : m_workspaces) {
            each.readSinceWrite.reset();
            each.lastGoodRead.reset();
        }
        trace([&] { return "#" + std::to_string(step) + " " + describe(action); });
        const std::string teamID = kTeams[action.team];
        Workspace& workspace = m_workspaces[action.team];
        const Account* account = m_program.account(teamID);
        const bool wasPosting = account != nullptr && account->isEnabled;
        switch (action.kind) {
        case Action::play:
            m_program.runPlaying(static_cast<int>(action.value));
            break;
        case Action::stop:
            m_program.runStopped();
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
                m_program.quit();
            } else if (action.value == 2) {
                loseState();
            }
            m_program.start();
            ++tally["checks"]["restarts"];
            break;
        case Action::connect:
            m_program.connect(teamID);
            workspace.engaged = false;
            break;
        case Action::disconnect:
            if (account != nullptr) {
                m_program.disconnect(teamID);
                workspace.engaged = false;
            }
            break;
        case Action::posting:
            m_program.setPosting(teamID, action.value == 1);
            account = m_program.account(teamID);
            if (!wasPosting && account != nullptr && account->isEnabled) {
                workspace.engaged = false;
            }
            break;
        case Action::whenMusicStops:
            m_program.setWhenMusicStops(whenMusicStopsCase(action.value));
            break;
        }
        syncSnapshots();
        checkRecentStatuses();
        countProtectedStatuses();
    }

    std::optional<SlackStatus> getStatus(const std::string& teamID) override {
        Workspace& workspace = m_workspaces[teamIndex(teamID)];
        if (chance(m_rng, m_rates.readFails)) {
            workspace.readSinceWrite = Reading{};
            trace([&] { return "    " + teamID + ": read fails"; });
            return std::nullopt;
        }
        // An expired status reads as no status.
        const Entry& current = workspace.current;
        const SlackStatus form =
            stands(current) ? spell(current.phrase, current.status.expiration, &m_rng) : SlackStatus::empty();
        workspace.readSinceWrite = workspace.lastGoodRead = Reading{true, current, form};
        trace([&] { return "    " + teamID + ": reads " + quoted(form); });
        return form;
    }

    std::optional<SlackStatus> setStatus(const std::string& teamID, const SlackStatus& status) override {
        Workspace& workspace = m_workspaces[teamIndex(teamID)];
        const bool fails = chance(m_rng, m_rates.writeFails);
        const bool answerLost = !fails && chance(m_rng, m_rates.answerLost);
        const bool restoring = m_kind != Action::play && !status.isEmpty();
        checkWrite(workspace, teamID, status);
        trace([&] {
            return "    " + teamID + ": writes " + quoted(status) +
                   (fails        ? " — fails"
                    : answerLost ? " — reaches Slack, answer lost"
                                 : "");
        });
        workspace.readSinceWrite.reset();
        if (fails) {
            return std::nullopt;
        }
        putUp(workspace, status, Setter::program,
              restoring && workspace.snapshot && workspace.snapshot->entry.usersWords);
        workspace.current.answerLost = answerLost;
        if (answerLost) {
            return std::nullopt;
        }
        // The program sees the write succeed: from here on it knows what it did, and a handed-back status
        // releases the workspace.
        if (m_kind == Action::play) {
            workspace.engaged = true;
            remember(workspace.current.phrase);
        } else {
            workspace.engaged = false;
        }
        // Slack echoes the status, in its own spelling.
        return workspace.current.phrase < 0 ? SlackStatus::empty()
                                            : spell(workspace.current.phrase, status.expiration, &m_rng);
    }

private:
    struct Workspace {
        Entry current;
        /// The program has written here since its record was last released or forgotten.
        bool engaged = false;
        /// The last read since the last write, and the last successful read, within this step.
        std::optional<Reading> readSinceWrite;
        std::optional<Reading> lastGoodRead;
        /// The record's snapshot as last seen, and where it came from.
        SavedFields seen;
        std::optional<Provenance> snapshot;
        /// The status that stood, protected, when state.json was lost.
        int unprotectedByLoss = -1;
    };

    Instant now() const { return Instant(std::chrono::seconds(m_now)); }
    bool stands(const Entry& entry) const {
        return entry.phrase >= 0 && !StatusOwnership::hasExpired(entry.status.expiration, now());
    }
    bool protectedUserStatus(const Workspace& workspace) const {
        return workspace.engaged && stands(workspace.current) && workspace.current.setter == Setter::user;
    }
    static int teamIndex(const std::string& teamID) {
        return static_cast<int>(std::find(std::begin(kTeams), std::end(kTeams), teamID) - std::begin(kTeams)) %
               kTeamCount;
    }

    // Trace lines are only built when a trace is wanted: the random runs take millions of steps.
    template <typename Line>
    void trace(Line&& line) {
        if (m_tracing) {
            traceLines.push_back(std::forward<Line>(line)());
        }
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
        m_program.stateFile.reset();
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
        const std::optional<SlackStatus> lastSet = m_program.state.record(kTeams[team]).lastSetStatus();
        return phrase >= 0 && ((lastSet && identify(*lastSet) == phrase) ||
                               std::find(m_recent.begin(), m_recent.end(), phrase) != m_recent.end());
    }

    // Follows the records' snapshots: each new one must be what the program read from Slack just before.
    void syncSnapshots() {
        for (int team = 0; team < kTeamCount; ++team) {
            Workspace& workspace = m_workspaces[team];
            const StatusOwnershipRecord record = m_program.state.record(kTeams[team]);
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
            if (!read || !fields.holds(read->form, read->form.expiration)) {
                fail(2, std::string(kTeams[team]) + ": a snapshot that is not what was just read from Slack");
                continue;
            }
            workspace.snapshot = Provenance{read->entry, read->form, knows(read->entry.phrase, team)};
        }
    }

    // Invariants 1, 2 and 3, at the moment the program sends a status, before Slack takes it.
    void checkWrite(Workspace& workspace, const std::string& teamID, const SlackStatus& sent) {
        syncSnapshots();
        const int team = teamIndex(teamID);
        const Entry& current = workspace.current;
        const std::optional<Reading>& read = workspace.readSinceWrite;
        const bool readFailed = read && !read->succeeded;
        const bool readIt = read && read->succeeded && read->entry.serial == current.serial;
        const bool finishing = m_kind != Action::play;
        const std::string what = describePhrase(current.phrase);

        if (protectedUserStatus(workspace)) {
            // 1: a status set by somebody else after the program's write is about to be overwritten.
            if (readFailed && m_program.state.record(teamID).isYielded) {
                exclude("1: overwrote, after a failed read, a status it had stood back from");
            } else if (readFailed) {
                exclude("1: overwrote a status after a failed read");
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
            } else if (!savedFields(m_program.state.record(teamID)).holds(read->form, current.status.expiration)) {
                fail(2, teamID + ": took over " + what + " without a snapshot of it");
            } else {
                ++tally["checks"]["2: takeovers with their snapshot"];
            }
        }
        if (!finishing || sent.isEmpty()) {
            return;
        }
        // 3: a restore.
        const std::optional<Provenance>& from = workspace.snapshot;
        if (!from) {
            fail(3, teamID + ": put back " + quoted(sent) + ", which no snapshot holds");
        } else if (sent.text != from->form.text || sent.emoji != from->form.emoji ||
                   sent.expiration != from->entry.status.expiration) {
            fail(3, teamID + ": put back " + quoted(sent) + " instead of the snapshot " + quoted(from->form) +
                        " with its expiry");
        } else if (from->entry.usersWords) {
            ++tally["checks"]["3: restores of somebody else's status"];
        } else if (from->recognisableWhenTaken || knows(from->entry.phrase, team)) {
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
        for (const SlackStatus& status : m_program.state.recentlySet) {
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
            if (m_kind == Action::play && m_program.state.record(kTeams[team]).isYielded && stands(workspace.current) &&
                workspace.current.setter == Setter::program && !workspace.current.usersWords) {
                // A write whose answer was lost put up a status the program does not know it wrote.
                ++tally["observations"]["runs standing back from one of the program's own statuses"];
            }
        }
    }

    FaultRates m_rates;
    bool m_tracing;
    std::int64_t m_now = kStart;
    Program m_program;
    Workspace m_workspaces[kTeamCount];
    std::deque<int> m_recent;
    int m_serial = 0;
    int m_stateLosses = 0;
    std::size_t m_step = 0;
    Action::Kind m_kind = Action::play;
    StepRng m_rng;
};

// ---- Running, shrinking, reporting ---------------------------------------------------------------------------

/// Runs a history until its end or its first violation.
std::unique_ptr<World> replay(const History& history, Flaw flaw, bool tracing = false) {
    auto world = std::make_unique<World>(history.rates, flaw, tracing);
    for (std::size_t step = 0; step < history.actions.size() && !world->violation; ++step) {
        world->run(history.actions[step], step);
    }
    return world;
}

/// The fewest steps found that still break the same invariant: without Slack failures if possible, then with
/// ever smaller runs of steps left out, then without Slack failures again.
History shrink(History history, int invariant, Flaw flaw) {
    int budget = 20'000;
    const auto tryCandidate = [&](History candidate) {
        --budget;
        const std::optional<Violation> found = replay(candidate, flaw)->violation;
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

std::string describe(const History& history) {
    std::ostringstream out;
    out << "fault rates: read " << history.rates.readFails << ", write " << history.rates.writeFails << ", answer lost "
        << history.rates.answerLost << "\n";
    for (std::size_t step = 0; step < history.actions.size(); ++step) {
        out << "  #" << step << " " << describe(history.actions[step]) << "\n";
    }
    return out.str();
}

/// Everything needed to understand and replay a violation.
std::string explain(std::uint32_t seed, const Violation& violation, const History& history, Flaw flaw) {
    const History shortest = shrink(history, violation.invariant, flaw);
    std::ostringstream out;
    out << "seed " << seed << ", step " << violation.step << ": invariant " << violation.invariant << " — "
        << violation.message << "\nreplay with NIMBREL_OWNERSHIP_MODEL_SEED=" << seed << "\nshortest history found ("
        << shortest.actions.size() << " steps), " << describe(shortest) << "trace:\n";
    for (const std::string& line : replay(shortest, flaw, true)->traceLines) {
        out << line << "\n";
    }
    return out.str();
}

History scripted(std::vector<Action> actions) {
    return {{}, std::move(actions)};
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

// ---- Tests ---------------------------------------------------------------------------------------------------

TEST(OwnershipModelVocabulary, EverySpellingIsTheSameStatusOnlyAsItsOwnPhrase) {
    // The model's idea of "the same status" must agree with the program's, or the checks would judge the
    // program by the wrong rule.
    StepRng rng(7);
    for (int phrase = 0; phrase < kPhraseCount; ++phrase) {
        EXPECT_EQ(identify(spell(phrase, 0, nullptr)), phrase);
        EXPECT_FALSE(spell(phrase, 0, nullptr).isEmpty()) << phrase;
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
    std::size_t steps = 0;
    for (const std::uint32_t seed : chosen) {
        const History history = generate(seed, stepsPerSeed);
        const std::unique_ptr<World> world = replay(history, Flaw::none);
        steps += world->steps;
        for (const auto& [kind, counters] : world->tally) {
            for (const auto& [name, count] : counters) {
                tally[kind][name] += count;
            }
        }
        if (world->violation) {
            ADD_FAILURE() << explain(seed, *world->violation, history, Flaw::none);
        }
    }
    std::cout << steps << " steps over " << chosen.size() << " seed(s)\n";
    for (const auto& [kind, counters] : tally) {
        std::cout << kind << ":\n";
        for (const auto& [name, count] : counters) {
            std::cout << "  " << count << "  " << name << "\n";
        }
    }
    // A model that never reaches a situation checks nothing there: a full run must have been through all of them.
    if (chosen.size() == kSeeds.size() && stepsPerSeed * kSeeds.size() >= kStepsForCoverage) {
        for (const char* event : {"plan: write", "plan: snapshotThenWrite", "plan: takeOverWithoutSnapshot",
                                  "plan: yieldToCurrent", "write: resuming, the other status was cleared",
                                  "write: unchecked after a failed read", "pacing: deferred", "push: failed",
                                  "finish: restored", "finish: cleared", "finish: left somebody else's status alone"}) {
            EXPECT_GT(tally["events"][event], 0) << event;
        }
        for (const char* check : {"1: runs that left a protected status alone", "2: takeovers with their snapshot",
                                  "3: restores of somebody else's status", "restarts"}) {
            EXPECT_GT(tally["checks"][check], 0) << check;
        }
    }
}

TEST(OwnershipModel, ChecksCatchAFlawedProgram) {
    struct Row {
        Flaw flaw;
        int invariant;
        const char* name;
    };
    const Row rows[] = {
        {Flaw::finishesWithoutReading, 1, "finishes from the record alone"},
        {Flaw::writesOverAYield, 1, "writes where it should stand back"},
        {Flaw::takesOverWithoutSnapshot, 2, "takes over without a snapshot"},
        {Flaw::putsBackItsOwnStatus, 3, "puts back its own status"},
        {Flaw::dropsTheExpiry, 3, "puts back a status without its expiry"},
    };
    for (const Row& row : rows) {
        std::optional<Violation> found;
        std::uint32_t seed = 0;
        History history;
        while (!found && ++seed <= 20) {
            history = generate(seed, 5'000);
            found = replay(history, row.flaw)->violation;
        }
        ASSERT_TRUE(found.has_value()) << row.name;
        EXPECT_EQ(found->invariant, row.invariant) << row.name << "\n" << explain(seed, *found, history, row.flaw);
        const History shortest = shrink(history, found->invariant, row.flaw);
        EXPECT_LE(shortest.actions.size(), 12u) << row.name << "\n" << describe(shortest);
        std::cout << "a program that " << row.name << ": " << describe(shortest);
    }
}

TEST(OwnershipModel, StatusChangedByHandDuringATrackSurvivesTheMusicStopping) {
    // While one track plays, nothing reads Slack again: the record still says the program's status is up.
    for (const std::int64_t whenMusicStops : {0, 1}) { // restore, clear
        const std::unique_ptr<World> world = replay(scripted({
                                                        {Action::whenMusicStops, 0, whenMusicStops, 0, 5u},
                                                        {Action::play, 0, 0, 0, 1u},
                                                        {Action::userSets, 0, kTrackCount, 0, 2u}, // "Lunch" on T1
                                                        {Action::advance, 0, 60, 0, 3u},
                                                        {Action::stop, 0, 0, 0, 4u},
                                                    }),
                                                    Flaw::none);
        EXPECT_FALSE(world->violation.has_value()) << world->violation->message;
        EXPECT_EQ(world->phraseOn(0), kTrackCount) << "the user's status was overwritten";
        EXPECT_EQ(world->phraseOn(1), kBlank) << "T2 still holds the program's status";
        // The record alone would have had the program clear it.
        const StatusOwnershipRecord record = world->program().state.record(kTeams[0]);
        EXPECT_TRUE(record.lastSetByUs);
        EXPECT_EQ(SlackFinishPlan::decide(whenMusicStopsCase(whenMusicStops), record,
                                          Instant(std::chrono::seconds(kStart + 60))),
                  SlackFinishPlan::clear());
    }
}

TEST(OwnershipModel, WithoutStateJsonTheProgramMistakesItsOwnLeftoverForTheUsers) {
    // The program posts track 0 to T1 and T2, restarts, posts track 1 and the music stops (restore). With its
    // state kept it recognises its own status and clears; with state.json gone it cannot tell its own status
    // from the user's, snapshots it on both workspaces and puts it back.
    struct Row {
        std::int64_t restart;
        int expected;
        long excluded;
    };
    for (const Row& row : {Row{0, kBlank, 0}, Row{1, kBlank, 0}, Row{2, 0, 2}}) {
        const std::unique_ptr<World> world = replay(scripted({
                                                        {Action::play, 0, 0, 0, 1u},
                                                        {Action::restart, 0, row.restart, 0, 2u},
                                                        {Action::advance, 0, 10, 0, 3u},
                                                        {Action::play, 0, 1, 0, 4u},
                                                        {Action::advance, 0, 10, 0, 5u},
                                                        {Action::stop, 0, 0, 0, 6u},
                                                    }),
                                                    Flaw::none);
        EXPECT_FALSE(world->violation.has_value()) << world->violation->message;
        EXPECT_EQ(world->phraseOn(0), row.expected) << "restart " << row.restart;
        EXPECT_EQ(world->phraseOn(1), row.expected) << "restart " << row.restart;
        EXPECT_EQ(world->tally["exclusions"]["3: put back an own status written before state.json was lost"],
                  row.excluded)
            << "restart " << row.restart;
    }
}

TEST(OwnershipModel, AStatusTheProgramWritesIsNeverPutBackAsSomebodyElses) {
    // Without its memory the program snapshots one of its own statuses, rightly taking it for somebody else's.
    // Once it writes that status again, to the same workspace or another, it knows better: loading discards the
    // snapshot, and the music stopping must not put it back either.
    const Instant at = Instant(std::chrono::seconds(kStart));
    const SlackStatus own = trackStatus(5);
    AppState sameWorkspace;
    sameWorkspace.snapshot(own, at, "T2");
    sameWorkspace.recordWrite(own, trackKey(5), "T2");
    AppState otherWorkspace;
    otherWorkspace.snapshot(own, at, "T2");
    otherWorkspace.recordWrite(trackStatus(1), trackKey(1), "T2");
    otherWorkspace.recordWrite(own, trackKey(5), "T1");
    for (const AppState& state : {sameWorkspace, otherWorkspace}) {
        for (const AppState& seen : {AppState::decode(state.encodedData()).state, state}) {
            EXPECT_EQ(
                SlackFinishPlan::decide(WhenMusicStops::restore, seen.record("T2"), at + std::chrono::seconds(60)),
                SlackFinishPlan::clear())
                << "restores " << seen.record("T2").savedText.value_or("") << ", which it has just written itself";
        }
    }
}

TEST(OwnershipModel, HistoriesThatOnceBrokeAnInvariant) {
    // Shortest histories the random search found, kept so that they stay fixed: its own leftover, snapshotted
    // after state.json was lost, then written again and put back when the music stops / posting is switched off.
    const History histories[] = {
        scripted({
            {Action::play, 2, 6, 0, 844153130u},
            {Action::restart, 2, 2, 0, 532799005u},
            {Action::play, 0, 6, 0, 4189363576u},
            {Action::advance, 0, 18714, 0, 469491001u},
            {Action::stop, 0, 0, 0, 2795716759u},
        }),
        scripted({
            {Action::disconnect, 0, 0, 0, 81775495u},
            {Action::play, 2, 5, 0, 23079672u},
            {Action::restart, 2, 2, 0, 3856107415u},
            {Action::play, 0, 5, 0, 3479155028u},
            {Action::posting, 1, 0, 0, 2425160994u},
        }),
    };
    for (const History& history : histories) {
        const std::unique_ptr<World> world = replay(history, Flaw::none);
        EXPECT_FALSE(world->violation.has_value()) << explain(0, *world->violation, history, Flaw::none);
    }
}

} // namespace
} // namespace nimbrel
