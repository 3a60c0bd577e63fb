#include "Dotfield/Printing/SolutionWells/WellNames.hpp"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace Dotfield {

namespace {

// The composed normal form of the text; invalid UTF-8 bytes read as U+FFFD.
icu::UnicodeString composed(std::string_view text, const icu::Normalizer2& normalizer) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString source =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    icu::UnicodeString result = normalizer.normalize(source, status);
    return U_SUCCESS(status) ? result : source;
}

} // namespace

bool wellNamesEqual(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status) || normalizer == nullptr) {
        return false;
    }
    return composed(a, *normalizer) == composed(b, *normalizer);
}

} // namespace Dotfield
