#pragma once
// A visitor built from lambdas, one per alternative of an entity's variant:
// std::visit(Overloaded{[](const Line&) {...}, [](const Arc&) {...}}, entity.shape).

namespace VeltranePatterns {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};

// Spelled out for compilers without deduction for aggregates.
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

} // namespace VeltranePatterns
