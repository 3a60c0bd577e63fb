#include "Diagnostics/DiagnosticHooks.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace Diagnostics {

bool diagnosticsEnabled() {
    static const bool enabled = [] {
        const char* value = std::getenv("DOTFIELD_DIAGNOSTICS");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return enabled;
}

void writeDiagnostic(std::string_view kind, std::string_view message, const SourceLocation& location) {
    std::string line;
    line.append(location.file_name()).append(":").append(std::to_string(location.line()));
    line.append(" ").append(location.function_name()).append(": ").append(kind).append(": ");
    line.append(message).append("\n");
    std::fputs(line.c_str(), stderr);
}

void printWithContext(std::string_view message, const SourceLocation& location) {
    if (diagnosticsEnabled()) {
        writeDiagnostic("message", message, location);
    }
}

} // namespace Diagnostics
