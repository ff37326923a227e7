#pragma once

#include <optional>
#include <string>

#include "app/clients/keychain_error.h"
#include "app/clients/secret_text.h"

namespace nimbrel {

/// What looking a secret up found: the secret, nothing, or a failure. The three stay apart, so that a
/// locked or unreachable keyring is never mistaken for a missing item.
struct SecretLookup {
    std::optional<SecretText> secret;
    std::optional<KeychainError> error;

    bool found() const noexcept { return secret.has_value(); }
    bool failed() const noexcept { return error.has_value(); }
    bool notFound() const noexcept { return !found() && !failed(); }
};

/// Secrets in the user's keyring, through the Secret Service (libsecret), one item per account under one
/// service name. Items are matched by the two attributes `service` and `account` alone, so items written
/// by other tools (`secret-tool store service … account …`) are read too, and ours are found by them.
///
/// Nothing here ever unlocks a keyring or raises a prompt: a locked item or keyring is a failure with
/// KeychainError::kStatusLocked, and any prompt the service asks for is dismissed unseen. Calls block
/// until the service answers; each runs on a main context of its own, so any thread may make them.
class SecretStore {
public:
    /// The texts a new item gets; updating an item leaves them as they were.
    struct ItemText {
        std::string label;
        std::string description;
    };

    /// `schemaName` marks the items we create, for tools that group items by kind; it is not matched.
    SecretStore(std::string service, std::string schemaName);

    SecretLookup read(const std::string& account) const;
    /// Replaces the secret of the account's items, or creates one in the default keyring.
    std::optional<KeychainError> write(const SecretText& secret, const std::string& account,
                                       const ItemText& text) const;
    /// Deletes the account's items; none at all is success.
    std::optional<KeychainError> remove(const std::string& account) const;

private:
    std::string m_service;
    std::string m_schemaName;
};

} // namespace nimbrel
