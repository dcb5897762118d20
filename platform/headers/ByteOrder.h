#ifndef _BYTE_ORDER_H
#define _BYTE_ORDER_H

#include <SupportDefs.h>
#include <TypeConstants.h>

typedef enum {
	B_SWAP_HOST_TO_LENDIAN,
	B_SWAP_HOST_TO_BENDIAN,
	B_SWAP_LENDIAN_TO_HOST,
	B_SWAP_BENDIAN_TO_HOST,
	B_SWAP_ALWAYS
} swap_action;

// Swaps every element of a typed array in place; B_BAD_VALUE for a type it
// does not know or a length that is not a whole number of elements.
status_t swap_data(type_code type, void* data, size_t length, swap_action action);
bool is_type_swapped(type_code type);

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define B_HOST_IS_LENDIAN 1
#define B_HOST_IS_BENDIAN 0
#define B_HOST_TO_BENDIAN_INT16(v) __builtin_bswap16(v)
#define B_HOST_TO_BENDIAN_INT32(v) __builtin_bswap32(v)
#define B_BENDIAN_TO_HOST_INT16(v) __builtin_bswap16(v)
#define B_BENDIAN_TO_HOST_INT32(v) __builtin_bswap32(v)
#define B_HOST_TO_LENDIAN_INT16(v) ((uint16)(v))
#define B_HOST_TO_LENDIAN_INT32(v) ((uint32)(v))
#define B_LENDIAN_TO_HOST_INT16(v) ((uint16)(v))
#define B_LENDIAN_TO_HOST_INT32(v) ((uint32)(v))
#else
#define B_HOST_IS_LENDIAN 0
#define B_HOST_IS_BENDIAN 1
#define B_HOST_TO_BENDIAN_INT16(v) ((uint16)(v))
#define B_HOST_TO_BENDIAN_INT32(v) ((uint32)(v))
#define B_BENDIAN_TO_HOST_INT16(v) ((uint16)(v))
#define B_BENDIAN_TO_HOST_INT32(v) ((uint32)(v))
#define B_HOST_TO_LENDIAN_INT16(v) __builtin_bswap16(v)
#define B_HOST_TO_LENDIAN_INT32(v) __builtin_bswap32(v)
#define B_LENDIAN_TO_HOST_INT16(v) __builtin_bswap16(v)
#define B_LENDIAN_TO_HOST_INT32(v) __builtin_bswap32(v)
#endif

#endif
