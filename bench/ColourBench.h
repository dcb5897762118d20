#ifndef BENCH_COLOUR_BENCH_H
#define BENCH_COLOUR_BENCH_H

#include <TranslatorRoster.h>

// The photo-like colour cases of bench_colour_cases: Translate asked for
// sRGB ("colour_managed/CASE"), the same Translate without the request
// ("colour_unmanaged/CASE"), and lcms2's own cmsDoTransform on the same
// pixels, interleaved beforehand ("lcms2_transform/CASE"; its transform made
// once, outside the timing).
void register_colour_benchmarks(BTranslatorRoster& roster, uint32_t side);

#endif
