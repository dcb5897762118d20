#ifndef BENCH_FLOORS_H
#define BENCH_FLOORS_H

// What any decoder into a fresh pixel buffer must at least spend: writing
// the buffer's bytes, as one memset, as one byte per pixel, or as one byte
// per pixel in four passes (as a planar decoder does), over pages that are
// fresh (4 KiB), fresh huge pages, or already touched.

#include <cstdint>
#include <string>

enum class FloorWrite { kMemset, kOnePass, kFourPasses };
enum class FloorPages { kFresh, kFreshHuge, kWarm };

std::string floor_name(FloorWrite write, FloorPages pages, uint64_t pixels);
void register_floor(FloorWrite write, FloorPages pages, uint64_t pixels);

// A mapping of `bytes` backed by huge pages where the kernel allows it:
// 2 MiB aligned, with MADV_HUGEPAGE. Null when mapping fails.
void* map_huge(size_t bytes, size_t* mappedBytes);
void* map_fresh(size_t bytes);

#endif
