#ifndef TRANSLATE_PNG_DEFLATE_H
#define TRANSLATE_PNG_DEFLATE_H

// The zlib stream of a PNG's image data, compressed in bands of rows on
// several threads and joined into one stream: each band is a raw deflate
// run that ends byte-aligned (a sync flush), the last one ends the stream,
// and the Adler-32 checksums of the bands are combined.

#include <SupportDefs.h>

#include <string>

// 0 stores; 1 (the default) matches runs only, which after row filtering
// gives about the size of zlib's level 6 in a fraction of its time; 2 to 9
// are zlib's levels.
enum { kPngLevelStored = 0, kPngLevelDefault = 1, kPngLevelMax = 9 };

// Told, on the thread that writes the stream, of each band written.
class PngBandProgress {
public:
	virtual void BandsWritten(size_t done, size_t total) = 0;

protected:
	~PngBandProgress() {}
};

struct PngCompression {
	int level;
	int threads;                         // at least 1
	PngBandProgress* progress = nullptr; // none by default
};

// Fills `out` with the filtered rows [first, first + count). Called on
// several threads at once, for different rows.
class PngRowSource {
public:
	virtual void Rows(uint32 first, uint32 count, uint8* out) = 0;

protected:
	~PngRowSource() {}
};

// Takes the stream in order, on the calling thread; false to stop.
class PngStreamSink {
public:
	virtual bool Data(const uint8* bytes, size_t size) = 0;

protected:
	~PngStreamSink() {}
};

// Compresses `rows` rows of `rowBytes` bytes (filter byte included). False
// with the reason when zlib fails; false alone when the sink stopped.
bool png_deflate_rows(PngRowSource& source, uint32 rows, uint32 rowBytes,
                      const PngCompression& compression, PngStreamSink& sink, std::string* reason);

#endif
