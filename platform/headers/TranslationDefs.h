#ifndef _TRANSLATION_DEFS_H
#define _TRANSLATION_DEFS_H

#include <SupportDefs.h>

#include <cstddef>

typedef uint32 translator_id;

#define B_MIME_STRING_LENGTH 251

struct translation_format {
	uint32 type;
	uint32 group;
	float quality;
	float capability;
	char MIME[B_MIME_STRING_LENGTH];
	char name[B_MIME_STRING_LENGTH];
};

// Add-ons built elsewhere hand these records across: the platform's layout,
// byte for byte.
static_assert(sizeof(translation_format) == 520, "translation_format is 520 bytes");
static_assert(offsetof(translation_format, group) == 4 &&
                  offsetof(translation_format, quality) == 8 &&
                  offsetof(translation_format, capability) == 12 &&
                  offsetof(translation_format, MIME) == 16 &&
                  offsetof(translation_format, name) == 16 + B_MIME_STRING_LENGTH,
              "translation_format has the platform's field offsets");

struct translator_info {
	uint32 type;
	translator_id translator;
	uint32 group;
	float quality;
	float capability;
	char name[B_MIME_STRING_LENGTH];
	char MIME[B_MIME_STRING_LENGTH];
};

// Unlike translation_format, the name comes before the MIME type.
static_assert(sizeof(translator_info) == 524, "translator_info is 524 bytes");
static_assert(offsetof(translator_info, translator) == 4 && offsetof(translator_info, group) == 8 &&
                  offsetof(translator_info, quality) == 12 &&
                  offsetof(translator_info, capability) == 16 &&
                  offsetof(translator_info, name) == 20 &&
                  offsetof(translator_info, MIME) == 20 + B_MIME_STRING_LENGTH,
              "translator_info has the platform's field offsets");

#endif
