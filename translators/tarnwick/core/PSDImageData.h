#ifndef PSD_IMAGE_DATA_H
#define PSD_IMAGE_DATA_H

// The steps every loader takes from the sections to the first plane.

#include <DataIO.h>
#include <SupportDefs.h>

enum {
	PSD_HEADER_SIZE = 26,
	PSD_COMPRESSION_RAW = 0,
	PSD_COMPRESSION_PACKBITS = 1,
};

// A big-endian number read in full; false when the stream ends first.
bool psdCoreReadBig32(BPositionIO* in, uint32* value);
status_t psdCoreSkipSections(BPositionIO* in, int count);
status_t psdCoreReadCompression(BPositionIO* in, uint16* compression);

// With the stream just past the compression word: passes the row byte counts
// (rowCounts entries) of PackBits data, leaving the stream at the first plane.
// False for a compression the core does not decode; nothing is read then.
bool psdCoreSkipToPlanes(BPositionIO* in, uint16 compression, uint64 rowCounts);
// The same, then binds the calling thread's read buffer to the first plane.
bool psdCoreStartPlanes(BPositionIO* in, uint16 compression, uint64 rowCounts);

#endif
