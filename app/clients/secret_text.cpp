#include "app/clients/secret_text.h"

#include <cstring>
#include <utility>

namespace nimbrel {

// Moves copy and then wipe: moving a short std::string leaves its characters in the source's inline buffer.
SecretText::SecretText(std::string&& text)
    : m_text(text) {
    wipe(text);
}

SecretText::SecretText(SecretText&& other) noexcept
    : m_text(other.m_text) {
    other.wipe();
}

SecretText& SecretText::operator=(const SecretText& other) {
    if (this != &other) {
        wipe();
        m_text = other.m_text;
    }
    return *this;
}

SecretText& SecretText::operator=(SecretText&& other) noexcept {
    if (this != &other) {
        wipe();
        m_text = other.m_text;
        other.wipe();
    }
    return *this;
}

void SecretText::wipe() noexcept {
    wipe(m_text);
}

void SecretText::wipe(std::string& text) noexcept {
    explicit_bzero(text.data(), text.size());
    text.clear();
}

} // namespace nimbrel
