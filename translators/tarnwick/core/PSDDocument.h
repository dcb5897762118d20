#ifndef PSD_DOCUMENT_H
#define PSD_DOCUMENT_H

// A PSD or PSB file described once: the header, where each section lies,
// an index of the image resources and where the merged image starts. Every
// reading of the file (the merged image, the layers) works from this, so the
// front of the file is walked once per call.

#include <DataIO.h>
#include <SupportDefs.h>

#include <string>
#include <vector>

enum {
	PSD_HEADER_SIZE = 26,
	PSD_VERSION_PSB = 2, // large documents: some lengths and row counts are 8 and 4 bytes
	PSD_PSB_MAX_SIDE = 300000,
};

enum {
	PSD_COMPRESSION_RAW = 0,
	PSD_COMPRESSION_PACKBITS = 1,
	PSD_COMPRESSION_ZIP = 2,
	PSD_COMPRESSION_ZIP_PREDICTION = 3,
};

enum {
	PSD_RESOURCE_GLOBAL_ANGLE = 1037,
	PSD_RESOURCE_ICC_PROFILE = 1039,
	PSD_RESOURCE_GLOBAL_ALTITUDE = 1049,
	PSD_RESOURCE_VERSION_INFO = 1057,
};

// The body of a length-prefixed section: it starts right behind its length.
struct PSDSection {
	uint64 offset;
	uint64 length;
};

struct PSDResource {
	uint16 id;
	uint64 offset; // of its data
	uint32 length;
};

struct PSDDocument {
	uint16 version;
	uint16 channels;
	uint32 height;
	uint32 width;
	uint16 depth;
	uint16 mode;

	PSDSection colorModeData;
	PSDSection resources;
	std::vector<PSDResource> resourceIndex;
	PSDSection layerAndMask;

	// The merged image: its compression word, when the file has one, is
	// followed by the row byte counts (PackBits) and the planes.
	bool hasImageData;
	uint16 compression;
	uint64 imageData; // first byte behind the compression word

	// What the version info resource says of the merged image: 1 real,
	// 0 not real (blank, saved without "maximize compatibility"), -1 unknown.
	int realMergedData;

	bool IsPSB() const { return version == PSD_VERSION_PSB; }
	uint32 RowCountSize() const { return IsPSB() ? 4 : 2; }
	// Bytes of one stored row of one plane.
	uint64 RowBytes() const;
	uint64 PlaneBytes() const { return RowBytes() * height; }
	// Where the planes start: behind the row byte counts of PackBits data.
	uint64 PlanesOffset() const;
	const PSDResource* Resource(uint16 id) const;
};

// Reads the header and walks the sections. B_ERROR, with the reason in
// words, when the file ends before a section's length or (requireImageData)
// before the compression word; a file that ends right after its layers has
// no image data, which is no failure when requireImageData is false.
status_t psdCoreDescribe(BPositionIO* in, PSDDocument* document, std::string* reason,
                         bool requireImageData = true);

#endif
