#ifndef PSD_REQUEST_H
#define PSD_REQUEST_H

// One call of Translate, kept as one context: the document described once,
// what the host asked for and the settings as they stood when the call
// began (each read once), the work the call may do, and why it failed.

#include <colour/PSDColourPlan.h>
#include <core/PSDDocument.h>

#include <DataIO.h>
#include <Message.h>

#include <string>

// The work rendering the layers may cost, in pixel operations (a layer
// composited over an area costs that area; its effects, masks and groups
// more): this much for any file, and more for every byte it holds.
const uint64 PSD_DEFAULT_WORK_LIMIT = 500000000ull;
const uint64 PSD_WORK_PER_FILE_BYTE = 256;
// A reduced reading renders the layers at full size, and averages them
// down, while that costs at most this much; past it at the bitmap's size,
// and past it even so not at all. About three seconds here.
const uint64 PSD_THUMBNAIL_WORK = 800000000ull;

struct PSDRequest {
	BPositionIO* in = nullptr;
	PSDDocument document;

	// The host's requests.
	enum Layers { kTarnwickDecides, kMergedImage, kLayers };
	Layers layers = kTarnwickDecides;
	bool headerOnly = false;
	bool sizeBox = false; // and, when there is one, the most columns and rows
	uint32 boxWidth = 0;
	uint32 boxHeight = 0;
	uint64 workLimit = PSD_DEFAULT_WORK_LIMIT;
	bool explicitLimit = false; // the host's own, for any file
	PSDColourRequest colour = PSD_COLOUR_AS_STORED;

	// The settings this call reads.
	bool alpha4 = false;
	int8 multichannelRead = 0;

	std::string reason;

	// Sets the reason, printf-style, and returns status.
	status_t Fail(status_t status, const char* format, ...) __attribute__((format(printf, 3, 4)));
};

// Reads the host's requests and the settings into a new request over the
// stream. B_BAD_VALUE, with the reason, for a request no reading can meet.
status_t psd_request_read(BPositionIO* in, BMessage* ioExtension, PSDRequest* request);

#endif
