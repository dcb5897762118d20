#ifndef BENCH_LAYER_BENCH_H
#define BENCH_LAYER_BENCH_H

#include <TranslatorRoster.h>

// Ten full-canvas layers rendered by Tarnwick's Translate ("layers_render")
// against decoding those layers' channels alone ("layers_channels").
void register_layer_benchmarks(BTranslatorRoster& roster, uint32_t side);

#endif
