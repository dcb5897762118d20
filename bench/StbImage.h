#ifndef BENCH_STB_IMAGE_H
#define BENCH_STB_IMAGE_H

// stb_image, the peer decoder, compiled on its own at -O2.

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

// RGBA pixels of a PSD in memory, or null when stb_image cannot read it.
unsigned char* bench_stb_load_rgba(const unsigned char* data, size_t size, int* width, int* height);
void bench_stb_free_image(unsigned char* pixels);

// While an arena is set, stb_image's allocations come out of it (reset by
// each call to this function), so its output lands in memory already
// touched; null returns to malloc.
void bench_stb_use_arena(unsigned char* arena, size_t size);

#ifdef __cplusplus
}
#endif

#endif
