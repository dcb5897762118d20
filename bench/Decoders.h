#ifndef BENCH_DECODERS_H
#define BENCH_DECODERS_H

#include "BenchInputs.h"

#include <TranslatorRoster.h>

// Tarnwick's Translate through the roster, into a stream that drops what it
// is given (so only Translate's own buffer is filled) and into a BMallocIO;
// stb_image on the same bytes, into its own fresh buffer and into memory
// already touched; for ZIP cases, zlib's and libdeflate's inflate of the
// same stream.
void register_psd_benchmarks(BTranslatorRoster& roster, const BenchCase& benchCase);

// Wendral's Translate of one SCREEN$ into a BMallocIO.
void register_screen_benchmark(BTranslatorRoster& roster);

#endif
