#include "PSDCore.h"

#include "PSDDocument.h"
#include "PSDFileBuffer.h"

#include <ByteOrder.h>

#include <cstdio>
#include <cstring>

static bool readBig16(BPositionIO* in, uint16* value)
{
	uint16 raw;
	if (psdCoreReadFully(in, &raw, sizeof(raw)) != sizeof(raw))
		return false;
	*value = B_BENDIAN_TO_HOST_INT16(raw);
	return true;
}

static bool readBig32(BPositionIO* in, uint32* value)
{
	uint32 raw;
	if (psdCoreReadFully(in, &raw, sizeof(raw)) != sizeof(raw))
		return false;
	*value = B_BENDIAN_TO_HOST_INT32(raw);
	return true;
}

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
	uint8 signature[4];
	if (psdCoreReadFully(in, signature, sizeof(signature)) != sizeof(signature) ||
	    memcmp(signature, "8BPS", sizeof(signature)) != 0)
		return B_NO_TRANSLATOR;
	uint16 version;
	if (!readBig16(in, &version) || (version != 1 && version != PSD_VERSION_PSB))
		return B_NO_TRANSLATOR;
	*isPSD = true;
	return B_OK;
}

status_t psdCoreImageInfo(BPositionIO* in, uint32* width, uint32* height, uint32* channels,
                          uint16* depth, uint16* mode)
{
	in->Seek(12, SEEK_SET);
	uint16 channelCount;
	if (!readBig16(in, &channelCount))
		return B_ERROR;
	*channels = channelCount;
	if (!readBig32(in, height) || !readBig32(in, width) || !readBig16(in, depth) ||
	    !readBig16(in, mode))
		return B_ERROR;
	return B_OK;
}

status_t psdCoreSkipSection(BPositionIO* in)
{
	uint32 length;
	if (!readBig32(in, &length))
		return B_ERROR;
	if (length != 0)
		in->Seek((off_t)length, SEEK_CUR);
	return B_OK;
}

status_t psdCoreImageCompression(BPositionIO* in, uint16* compression)
{
	PSDDocument document;
	std::string reason;
	if (psdCoreDescribe(in, &document, &reason) != B_OK)
		return B_ERROR;
	*compression = document.compression;
	return B_OK;
}
