#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "core/time/instant.h"
#include "signin/slack_grant.h"

namespace nimbrel {

/// The sign-ins in flight, keyed by their challenge. Each moves pending → exchanging → held and is gone
/// once claimed, refused or expired:
///   start        pending      the browser went to Slack with this challenge as state
///   callback     exchanging   Slack sent the browser back; the code is being exchanged (one callback wins)
///   exchanged    held         the token waits for the program to present the verifier
///   claim        (gone)       handed over exactly once
/// Every entry expires `lifetime` seconds after it last changed state, and there are never more than
/// `capacity` entries. Safe to use from several threads.
class SignInStore {
public:
    /// Why a start was not accepted.
    enum class StartResult { accepted, alreadyUsed, full };

    /// A store for at most `capacity` sign-ins, each living `lifetimeSeconds` per state.
    SignInStore(std::size_t capacity, double lifetimeSeconds);
    ~SignInStore();
    SignInStore(const SignInStore&) = delete;
    SignInStore& operator=(const SignInStore&) = delete;

    /// Remembers a challenge as pending. Starting a challenge that is already pending is accepted again
    /// (a reloaded page) without extending its life.
    StartResult start(std::string_view challenge, Instant now);
    /// Takes a pending challenge into the exchange; false when it is not pending (unknown, expired, or
    /// another callback got there first).
    bool beginExchange(std::string_view challenge, Instant now);
    /// Holds the token of a challenge being exchanged; false when the challenge is no longer exchanging.
    bool hold(std::string_view challenge, SlackGrant grant, Instant now);
    /// Forgets a challenge in any state (a refused or failed sign-in).
    void abandon(std::string_view challenge);
    /// Hands over and forgets the token held under a challenge; none when nothing is held.
    std::optional<SlackGrant> claim(std::string_view challenge, Instant now);

    /// Sign-ins in flight, expired ones dropped first.
    std::size_t size(Instant now);

private:
    enum class Phase { pending, exchanging, held };
    struct Entry {
        Phase phase;
        Instant expiresAt;
        SlackGrant grant;
    };
    using Key = std::array<unsigned char, 32>;

    // Entries are found by a keyed digest of the challenge rather than the challenge itself: the lookups
    // compare digests that an attacker can neither choose nor predict, so how long a lookup takes tells
    // nothing about the challenges held.
    Key keyOf(std::string_view challenge) const;
    void dropExpired(Instant now);
    void erase(std::map<Key, Entry>::iterator entry);
    void setExpiry(std::map<Key, Entry>::iterator entry, Instant expiresAt);

    std::mutex m_mutex;
    std::size_t m_capacity;
    double m_lifetime;
    std::array<unsigned char, 32> m_digestKey{};
    std::map<Key, Entry> m_entries;
    std::set<std::pair<Instant, Key>> m_byExpiry;
};

} // namespace nimbrel
