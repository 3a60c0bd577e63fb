#pragma once
// What the processor offers beyond the build's baseline, asked once, for the
// frame loops that have a faster form. Chosen at run time by an ordinary
// branch: no ifunc resolvers, which run before the sanitizers' runtimes exist.

namespace Dotfield {

inline bool processorHasAVX2() {
#if defined(__x86_64__)
    static const bool supported = __builtin_cpu_supports("avx2") != 0;
    return supported;
#else
    return false;
#endif
}

} // namespace Dotfield
