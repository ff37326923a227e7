#include "signin/sign_in_store.h"

#include <stdexcept>

#include <openssl/crypto.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

namespace nimbrel {

namespace {

// Tokens leave memory when they are handed over or expire, not whenever the allocator reuses the bytes.
void wipe(std::string& secret) {
    if (!secret.empty()) {
        OPENSSL_cleanse(secret.data(), secret.size());
    }
    secret.clear();
}

} // namespace

SignInStore::SignInStore(std::size_t capacity, double lifetimeSeconds)
    : m_capacity(capacity)
    , m_lifetime(lifetimeSeconds) {
    if (RAND_bytes(m_digestKey.data(), static_cast<int>(m_digestKey.size())) != 1) {
        throw std::runtime_error("the system's random source failed");
    }
}

SignInStore::~SignInStore() {
    for (auto& [key, entry] : m_entries) {
        wipe(entry.grant.accessToken);
    }
    OPENSSL_cleanse(m_digestKey.data(), m_digestKey.size());
}

SignInStore::Key SignInStore::keyOf(std::string_view challenge) const {
    Key key{};
    unsigned int length = 0;
    HMAC(EVP_sha256(), m_digestKey.data(), static_cast<int>(m_digestKey.size()),
         reinterpret_cast<const unsigned char*>(challenge.data()), challenge.size(), key.data(), &length);
    return key;
}

void SignInStore::dropExpired(Instant now) {
    while (!m_byExpiry.empty() && m_byExpiry.begin()->first <= now) {
        erase(m_entries.find(m_byExpiry.begin()->second));
    }
}

void SignInStore::erase(std::map<Key, Entry>::iterator entry) {
    m_byExpiry.erase({entry->second.expiresAt, entry->first});
    wipe(entry->second.grant.accessToken);
    m_entries.erase(entry);
}

void SignInStore::setExpiry(std::map<Key, Entry>::iterator entry, Instant expiresAt) {
    m_byExpiry.erase({entry->second.expiresAt, entry->first});
    entry->second.expiresAt = expiresAt;
    m_byExpiry.emplace(expiresAt, entry->first);
}

SignInStore::StartResult SignInStore::start(std::string_view challenge, Instant now) {
    const Key key = keyOf(challenge);
    const std::lock_guard lock(m_mutex);
    dropExpired(now);
    if (const auto found = m_entries.find(key); found != m_entries.end()) {
        return found->second.phase == Phase::pending ? StartResult::accepted : StartResult::alreadyUsed;
    }
    if (m_entries.size() >= m_capacity) {
        return StartResult::full;
    }
    const Instant expiresAt = Instants::adding(now, m_lifetime);
    m_entries.emplace(key, Entry{Phase::pending, expiresAt, {}});
    m_byExpiry.emplace(expiresAt, key);
    return StartResult::accepted;
}

bool SignInStore::beginExchange(std::string_view challenge, Instant now) {
    const Key key = keyOf(challenge);
    const std::lock_guard lock(m_mutex);
    dropExpired(now);
    const auto found = m_entries.find(key);
    if (found == m_entries.end() || found->second.phase != Phase::pending) {
        return false;
    }
    found->second.phase = Phase::exchanging;
    setExpiry(found, Instants::adding(now, m_lifetime));
    return true;
}

bool SignInStore::hold(std::string_view challenge, SlackGrant grant, Instant now) {
    const Key key = keyOf(challenge);
    const std::lock_guard lock(m_mutex);
    dropExpired(now);
    const auto found = m_entries.find(key);
    if (found == m_entries.end() || found->second.phase != Phase::exchanging) {
        wipe(grant.accessToken);
        return false;
    }
    found->second.phase = Phase::held;
    found->second.grant = std::move(grant);
    setExpiry(found, Instants::adding(now, m_lifetime));
    return true;
}

void SignInStore::abandon(std::string_view challenge) {
    const Key key = keyOf(challenge);
    const std::lock_guard lock(m_mutex);
    if (const auto found = m_entries.find(key); found != m_entries.end()) {
        erase(found);
    }
}

std::optional<SlackGrant> SignInStore::claim(std::string_view challenge, Instant now) {
    const Key key = keyOf(challenge);
    const std::lock_guard lock(m_mutex);
    dropExpired(now);
    const auto found = m_entries.find(key);
    if (found == m_entries.end() || found->second.phase != Phase::held) {
        return std::nullopt;
    }
    SlackGrant grant = std::move(found->second.grant);
    erase(found);
    return grant;
}

std::size_t SignInStore::size(Instant now) {
    const std::lock_guard lock(m_mutex);
    dropExpired(now);
    return m_entries.size();
}

} // namespace nimbrel
