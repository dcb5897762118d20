#include "StbImage.h"

#include <stdlib.h>
#include <string.h>

static unsigned char* sArena;
static size_t sArenaSize;
static size_t sArenaUsed;

static int in_arena(const void* p)
{
	return sArena != NULL && (const unsigned char*)p >= sArena
		&& (const unsigned char*)p < sArena + sArenaSize;
}

static void* bench_malloc(size_t size)
{
	if (sArena == NULL)
		return malloc(size);
	size = (size + 63) & ~(size_t)63;
	if (size > sArenaSize - sArenaUsed)
		return NULL;
	void* p = sArena + sArenaUsed;
	sArenaUsed += size;
	return p;
}

static void bench_free(void* p)
{
	if (!in_arena(p))
		free(p);
}

static void* bench_realloc_sized(void* p, size_t oldSize, size_t newSize)
{
	if (sArena == NULL || (p != NULL && !in_arena(p)))
		return realloc(p, newSize);
	void* q = bench_malloc(newSize);
	if (q != NULL && p != NULL)
		memcpy(q, p, oldSize < newSize ? oldSize : newSize);
	return q;
}

#define STBI_MALLOC(size) bench_malloc(size)
#define STBI_FREE(p) bench_free(p)
#define STBI_REALLOC_SIZED(p, oldSize, newSize) bench_realloc_sized(p, oldSize, newSize)
#define STBI_ONLY_PSD
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

unsigned char* bench_stb_load_rgba(const unsigned char* data, size_t size, int* width,
	int* height)
{
	int channels;
	return stbi_load_from_memory(data, (int)size, width, height, &channels, 4);
}

void bench_stb_free_image(unsigned char* pixels)
{
	stbi_image_free(pixels);
}

void bench_stb_use_arena(unsigned char* arena, size_t size)
{
	sArena = arena;
	sArenaSize = size;
	sArenaUsed = 0;
}
