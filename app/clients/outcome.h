#pragma once

#include <type_traits>
#include <utility>
#include <variant>

namespace nimbrel {

/// The result of a client call: a value or the error that stopped it. The clients report failures as
/// values, so a caller cannot forget one that would otherwise fly past it as an exception.
template <typename T, typename E>
class Outcome {
public:
    /// A success with a default value; awaiting helpers (QCoro::waitFor) need one to fill in.
    Outcome() requires std::is_default_constructible_v<T> : m_value(std::in_place_index<0>) {}
    Outcome(T value) // NOLINT(google-explicit-constructor): a value is a successful outcome
        : m_value(std::in_place_index<0>, std::move(value)) {}
    Outcome(E error) // NOLINT(google-explicit-constructor): an error is a failed outcome
        : m_value(std::in_place_index<1>, std::move(error)) {}

    bool ok() const noexcept { return m_value.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }

    /// The value; only on success.
    const T& value() const& { return std::get<0>(m_value); }
    T& value() & { return std::get<0>(m_value); }
    T&& value() && { return std::get<0>(std::move(m_value)); }
    /// The error; only on failure.
    const E& error() const& { return std::get<1>(m_value); }
    E& error() & { return std::get<1>(m_value); }

private:
    std::variant<T, E> m_value;
};

} // namespace nimbrel
