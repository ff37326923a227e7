#pragma once

namespace nimbrel {

/// Builds one visitor for `std::visit` out of several lambdas, one per alternative.
template <typename... Fs>
struct Overloaded : Fs... {
    using Fs::operator()...;
};
template <typename... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

} // namespace nimbrel
