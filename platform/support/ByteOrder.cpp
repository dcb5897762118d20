#include <ByteOrder.h>

#include <cstring>

bool is_type_swapped(type_code type)
{
	switch (type) {
	case B_BOOL_TYPE:
	case B_INT8_TYPE:
	case B_STRING_TYPE:
		return false;
	default:
		return true;
	}
}

static size_t element_size(type_code type)
{
	switch (type) {
	case B_INT16_TYPE:
	case B_UINT16_TYPE:
		return 2;
	case B_INT32_TYPE:
	case B_UINT32_TYPE:
	case B_FLOAT_TYPE:
	case B_RECT_TYPE:  // four floats
	case B_POINT_TYPE: // two floats
		return 4;
	default:
		return 0;
	}
}

status_t swap_data(type_code type, void* data, size_t length, swap_action action)
{
	size_t size = element_size(type);
	if (data == nullptr || size == 0 || length % size != 0)
		return B_BAD_VALUE;

	bool swap;
	switch (action) {
	case B_SWAP_HOST_TO_LENDIAN:
	case B_SWAP_LENDIAN_TO_HOST:
		swap = B_HOST_IS_BENDIAN;
		break;
	case B_SWAP_HOST_TO_BENDIAN:
	case B_SWAP_BENDIAN_TO_HOST:
		swap = B_HOST_IS_LENDIAN;
		break;
	case B_SWAP_ALWAYS:
		swap = true;
		break;
	default:
		return B_BAD_VALUE;
	}
	if (!swap)
		return B_OK;

	uint8* bytes = (uint8*)data;
	for (size_t i = 0; i < length; i += size) {
		if (size == 2) {
			uint16 v;
			memcpy(&v, bytes + i, 2);
			v = __builtin_bswap16(v);
			memcpy(bytes + i, &v, 2);
		} else {
			uint32 v;
			memcpy(&v, bytes + i, 4);
			v = __builtin_bswap32(v);
			memcpy(bytes + i, &v, 4);
		}
	}
	return B_OK;
}
