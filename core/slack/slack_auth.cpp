#include "core/slack/slack_auth.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

#include <openssl/evp.h>
#include <openssl/rand.h>

#include "core/text/casing.h"

namespace nimbrel {
namespace {

constexpr std::size_t kVerifierBytes = 32;

// RFC 4648 section 5: standard Base64 with "-" and "_" for "+" and "/", and no "=" padding.
std::string base64URLEncoded(const unsigned char* bytes, std::size_t count) {
    std::vector<unsigned char> encoded(4 * ((count + 2) / 3) + 1);
    const int length = EVP_EncodeBlock(encoded.data(), bytes, static_cast<int>(count));
    std::string text(encoded.begin(), encoded.begin() + length);
    std::erase(text, '=');
    std::replace(text.begin(), text.end(), '+', '-');
    std::replace(text.begin(), text.end(), '/', '_');
    return text;
}

bool isStateCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// The value of the first item with this name, when it has a non-empty one. A later item of the same name
// never stands in for an empty first one: whoever added it is not the sign-in service.
std::optional<std::string> firstNonEmptyValue(const std::vector<UrlQueryItem>& items, std::string_view name) {
    const auto first =
        std::find_if(items.begin(), items.end(), [&](const UrlQueryItem& item) { return item.name == name; });
    if (first == items.end() || !first->value || first->value->empty()) {
        return std::nullopt;
    }
    return first->value;
}

} // namespace

std::string SlackAuth::makeVerifier() {
    std::array<unsigned char, kVerifierBytes> bytes{};
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) {
        throw std::runtime_error("the system's random source failed; no sign-in secret could be made");
    }
    return base64URLEncoded(bytes.data(), bytes.size());
}

std::string SlackAuth::challenge(std::string_view verifier) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(verifier.data(), verifier.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
        // SHA-256 over memory does not fail short of the library being unusable.
        throw std::runtime_error("SHA-256 is unavailable");
    }
    return base64URLEncoded(digest.data(), length);
}

bool SlackAuth::isValidState(std::string_view state) {
    return state.size() == stateLength && std::all_of(state.begin(), state.end(), isStateCharacter);
}

std::optional<Url> SlackAuth::startURL(const Url& base, std::string_view state) {
    if (!isValidState(state)) {
        return std::nullopt;
    }
    const std::optional<std::string> host = base.host();
    if (base.scheme().empty() || !host || host->empty()) {
        return std::nullopt;
    }
    return base.appendingPathComponents("slack/start").withQueryItems({{std::string(kStateItem), std::string(state)}});
}

SlackAuth::CallbackResult SlackAuth::parseCallback(std::string_view address) {
    const auto malformed = [] {
        return CallbackResult::failure(SlackAuthError::malformedCallback());
    };
    const std::optional<Url> url = Url::parse(address);
    if (!url) {
        return malformed();
    }
    if (Casing::lowercased(url->scheme()) != callbackScheme) {
        return malformed();
    }
    const std::optional<std::string> host = url->host();
    if (!host || Casing::lowercased(*host) != callbackHost) {
        return malformed();
    }
    const std::vector<UrlQueryItem> items = url->queryItems().value_or(std::vector<UrlQueryItem>{});

    if (const std::optional<std::string> error = firstNonEmptyValue(items, kErrorItem)) {
        if (*error == kAccessDenied) {
            return CallbackResult::failure(SlackAuthError::accessDenied());
        }
        return CallbackResult::failure(SlackAuthError::slack(*error));
    }
    if (const std::optional<std::string> state = firstNonEmptyValue(items, kStateItem)) {
        if (isValidState(*state)) {
            return CallbackResult::success(*state);
        }
        return CallbackResult::failure(SlackAuthError::invalidState());
    }
    return malformed();
}

} // namespace nimbrel
