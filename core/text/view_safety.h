#pragma once

#include <concepts>
#include <string>

namespace nimbrel::detail {

/// A std::string passed as a temporary. The text functions that return views into their argument delete
/// their overload for it, so `Graphemes::split(Casing::lowercased(x))` fails to compile instead of
/// returning views into freed memory.
template <typename T>
concept TemporaryString = std::same_as<T, std::string>;

} // namespace nimbrel::detail
