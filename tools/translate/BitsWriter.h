#ifndef TRANSLATE_BITS_WRITER_H
#define TRANSLATE_BITS_WRITER_H

#include <cstdio>
#include <string>

// Writes a Be bitmap stream exactly as the add-on produced it.
bool write_bits(const void* stream, size_t length, FILE* out, std::string* reason);

#endif
