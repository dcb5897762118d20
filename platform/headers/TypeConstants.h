#ifndef _TYPE_CONSTANTS_H
#define _TYPE_CONSTANTS_H

// Four-character codes, first character in the most significant byte.
enum {
	B_ANY_TYPE = 0x414E5954,    // 'ANYT'
	B_BOOL_TYPE = 0x424F4F4C,   // 'BOOL'
	B_FLOAT_TYPE = 0x464C4F54,  // 'FLOT'
	B_INT8_TYPE = 0x42595445,   // 'BYTE'
	B_INT16_TYPE = 0x53485254,  // 'SHRT'
	B_INT32_TYPE = 0x4C4F4E47,  // 'LONG'
	B_INT64_TYPE = 0x4C4C4E47,  // 'LLNG'
	B_POINT_TYPE = 0x42504E54,  // 'BPNT'
	B_RAW_TYPE = 0x52415754,    // 'RAWT'
	B_RECT_TYPE = 0x52454354,   // 'RECT'
	B_STRING_TYPE = 0x43535452, // 'CSTR'
	B_UINT16_TYPE = 0x55534854, // 'USHT'
	B_UINT32_TYPE = 0x554C4E47, // 'ULNG'
};

#endif
