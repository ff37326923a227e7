#pragma once

#include <glib-object.h>

namespace nimbrel {

/// Why a call on a locked keyring failed; the message of every such failure.
inline constexpr const char* kKeyringLockedMessage = "The keyring is locked; Nimbrel does not unlock it or ask to";

/// A SecretService subclass (for `secret_service_open`) that never shows a prompt: whenever the service asks
/// for one (to unlock a keyring, or to create an item in a locked one), it dismisses the prompt at the service
/// and fails the call with SECRET_ERROR_IS_LOCKED.
GType noPromptSecretServiceType();

} // namespace nimbrel
