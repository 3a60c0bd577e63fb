#pragma once
// The two places every diagnostic of the application passes through: each
// thrown error on its way to the throw, and each console message. Both are
// silent unless the environment variable DOTFIELD_DIAGNOSTICS is set to 1,
// when they write the message with its source location to standard error.

#include <exception>
#include "Diagnostics/SourceLocation.hpp"
#include <string_view>
#include <type_traits>
#include <typeinfo>

namespace Diagnostics {

bool diagnosticsEnabled();
void writeDiagnostic(std::string_view kind, std::string_view message, const SourceLocation& location);

// Discards the message unless diagnostics are switched on.
void printWithContext(std::string_view message,
                      const SourceLocation& location = SourceLocation::current());

// Returns the error unchanged; callers throw what it returns.
template <typename E>
E logAndReturnError(E error, const SourceLocation& location = SourceLocation::current()) {
    if (diagnosticsEnabled()) {
        if constexpr (std::is_base_of_v<std::exception, E>) {
            writeDiagnostic("error", error.what(), location);
        } else {
            writeDiagnostic("error", typeid(E).name(), location);
        }
    }
    return error;
}

} // namespace Diagnostics
