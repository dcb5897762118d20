#ifndef PSD_VECTOR_CODE_H
#define PSD_VECTOR_CODE_H

// The core has SSE2 forms of its per-pixel loops, compiled wherever the
// compiler targets SSE2 (every x86-64 build), and plain forms for other
// CPUs. Both give the same pixels; tests switch the SSE2 forms off to check
// the plain ones on machines that have SSE2.

#if defined(__SSE2__)
#define PSD_CORE_HAS_SSE2 1
#else
#define PSD_CORE_HAS_SSE2 0
#endif

// Loops left to the compiler's vectoriser, built for AVX2 as well as for
// the baseline and chosen when the add-on loads. Without FMA both forms do
// the same operations in the same order, so they give the same pixels.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) &&                             \
    !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define PSD_CORE_WIDE_LOOPS __attribute__((target_clones("avx2", "default")))
#else
#define PSD_CORE_WIDE_LOOPS
#endif

// True when the SSE2 forms are compiled in and switched on (the default).
bool psdCoreVectorCode();
void psdCoreSetVectorCode(bool enabled);

#endif
