#include "PSDCore.h"

#include "PSDByteReader.h"
#include "PSDDocument.h"
#include "PSDFileBuffer.h"

#include <cstring>

int psdCoreColourChannels(uint16 mode)
{
	switch (mode) {
	case PSD_MODE_BITMAP:
	case PSD_MODE_GRAYSCALE:
	case PSD_MODE_DUOTONE:
	case PSD_MODE_INDEXED:
		return 1;
	case PSD_MODE_RGB:
	case PSD_MODE_LAB:
		return 3;
	case PSD_MODE_CMYK:
		return 4;
	default:
		return 0;
	}
}

status_t psdCoreVerify(BPositionIO* in, bool* isPSD)
{
	uint8 start[6];
	PSDByteReader header(start, psdCoreReadFully(in, start, sizeof(start)));
	uint8 signature[4];
	header.Read(signature, sizeof(signature));
	const uint16 version = header.Big16();
	if (header.Failed() || memcmp(signature, "8BPS", sizeof(signature)) != 0 ||
	    (version != 1 && version != PSD_VERSION_PSB))
		return B_NO_TRANSLATOR;
	*isPSD = true;
	return B_OK;
}
