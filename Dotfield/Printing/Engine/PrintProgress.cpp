#include "Dotfield/Printing/Engine/PrintProgress.hpp"

namespace Dotfield {

double PrintProgress::percent(double fractionOfItem) const {
    if (total_ == 0) {
        return 100.0;
    }
    return (static_cast<double>(done_) + fractionOfItem) * 100.0 / static_cast<double>(total_);
}

} // namespace Dotfield
