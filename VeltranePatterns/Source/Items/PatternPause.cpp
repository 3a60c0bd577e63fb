#include "VeltranePatterns/Source/Items/PatternPause.hpp"

namespace VeltranePatterns {

PatternPause::PatternPause(double duration) : duration_(duration) {}

PatternItemPtr PatternPause::reversed() const {
    if (PatternItemPtr self = sharedSelf()) {
        return self;
    }
    return std::make_shared<const PatternPause>(duration_);
}

PatternItemPtr PatternPause::scaledBy(double) const {
    return std::make_shared<const PatternPause>(duration_);
}

} // namespace VeltranePatterns
