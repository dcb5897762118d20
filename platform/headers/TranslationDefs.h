#ifndef _TRANSLATION_DEFS_H
#define _TRANSLATION_DEFS_H

#include <SupportDefs.h>

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

struct translator_info {
	uint32 type;
	translator_id translator;
	uint32 group;
	float quality;
	float capability;
	char name[B_MIME_STRING_LENGTH];
	char MIME[B_MIME_STRING_LENGTH];
};

#endif
