#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nimbrel {

/// Text that must not linger in memory, such as a token: every buffer it owns is overwritten with zeros
/// before it is released, including the source of a move and the old value on assignment. It never prints.
class SecretText {
public:
    SecretText() = default;
    explicit SecretText(std::string_view text)
        : m_text(text) {}
    /// Takes the text over and wipes the caller's buffer.
    explicit SecretText(std::string&& text);
    SecretText(const char* data, std::size_t size)
        : m_text(data, size) {}
    SecretText(const SecretText& other) = default;
    SecretText(SecretText&& other) noexcept;
    SecretText& operator=(const SecretText& other);
    SecretText& operator=(SecretText&& other) noexcept;
    ~SecretText() { wipe(); }

    std::string_view view() const noexcept { return m_text; }
    bool empty() const noexcept { return m_text.empty(); }
    std::size_t size() const noexcept { return m_text.size(); }

    /// Overwrites the text with zeros and empties it.
    void wipe() noexcept;

    friend bool operator==(const SecretText& a, const SecretText& b) { return a.m_text == b.m_text; }

    /// Overwrites a buffer of ours with zeros in a way the compiler may not optimise away.
    static void wipe(std::string& text) noexcept;

private:
    std::string m_text;
};

} // namespace nimbrel
