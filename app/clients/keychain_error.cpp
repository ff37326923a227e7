#include "app/clients/keychain_error.h"

namespace nimbrel {

namespace {
// The Linux build says "Keyring" where the Mac's says "Keychain": users know the Secret Service as their keyring.
constexpr const char* kDescriptionPrefix = "Keyring error ";
} // namespace

std::string KeychainError::description() const {
    std::string text = kDescriptionPrefix + std::to_string(status);
    if (!message.empty()) {
        text += ": " + message;
    }
    return text;
}

} // namespace nimbrel
