#include "PngDeflate.h"

#include <zlib.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Bands of about this many input bytes: enough to keep both the threads
// and zlib busy, few enough to bound the memory in flight.
const size_t kBandBytes = 1 << 20;

struct Band {
	uint32 first;
	uint32 count;
	std::vector<uint8> data; // compressed
	uLong adler;
	bool done;
};

int zlib_level(int level)
{
	return level == kPngLevelDefault ? 1 : level;
}

int zlib_strategy(int level)
{
	return level == kPngLevelDefault ? Z_RLE : Z_DEFAULT_STRATEGY;
}

// The two-byte zlib header: 32 KiB window, the level class, no dictionary.
void zlib_header(int level, uint8 header[2])
{
	int levelClass = level <= 1 ? 0 : level <= 5 ? 1 : level == 6 ? 2 : 3;
	header[0] = 0x78;
	header[1] = (uint8)(levelClass << 6);
	header[1] += (uint8)(31 - (header[0] * 256 + header[1]) % 31);
}

class BandCompressor {
public:
	BandCompressor(PngRowSource& source, uint32 rowBytes, int level)
	    : fSource(source), fRowBytes(rowBytes), fLevel(level), fReady(false)
	{
		fStream = {};
		// The largest memory level: longer blocks, fewer Huffman tables to
		// build and send.
		fReady = deflateInit2(&fStream, zlib_level(level), Z_DEFLATED, -15, 9,
		                      zlib_strategy(level)) == Z_OK;
	}
	~BandCompressor()
	{
		if (fReady)
			deflateEnd(&fStream);
	}
	bool Ready() const { return fReady; }

	bool Compress(Band& band, bool last)
	{
		fInput.resize((size_t)band.count * fRowBytes);
		fSource.Rows(band.first, band.count, fInput.data());
		band.adler = adler32(adler32(0, nullptr, 0), fInput.data(), (uInt)fInput.size());
		if (deflateReset(&fStream) != Z_OK)
			return false;
		// A sync flush adds an empty stored block to what the bound allows for.
		band.data.resize(deflateBound(&fStream, fInput.size()) + 16);
		fStream.next_in = fInput.data();
		fStream.avail_in = (uInt)fInput.size();
		fStream.next_out = band.data.data();
		fStream.avail_out = (uInt)band.data.size();
		int result = deflate(&fStream, last ? Z_FINISH : Z_SYNC_FLUSH);
		if (result != (last ? Z_STREAM_END : Z_OK) || fStream.avail_in != 0)
			return false;
		band.data.resize(band.data.size() - fStream.avail_out);
		return true;
	}

private:
	PngRowSource& fSource;
	uint32 fRowBytes;
	int fLevel;
	bool fReady;
	z_stream fStream;
	std::vector<uint8> fInput;
};

// Bands are taken in order by the workers and handed to the sink in order by
// the calling thread; a worker waits rather than run far ahead of the sink.
class BandQueue {
public:
	BandQueue(std::vector<Band>& bands, size_t ahead) : fBands(bands), fAhead(ahead) {}

	// The next band to compress, or -1 when there is none or work stopped.
	long Take()
	{
		std::unique_lock<std::mutex> lock(fLock);
		fChanged.wait(lock, [&] { return fStopped || fNext < fEmitted + fAhead; });
		if (fStopped || fNext >= fBands.size())
			return -1;
		return (long)fNext++;
	}

	void Done(size_t index, bool ok)
	{
		std::lock_guard<std::mutex> lock(fLock);
		fBands[index].done = true;
		if (!ok) {
			fFailed = true;
			fStopped = true;
		}
		fChanged.notify_all();
	}

	// Waits for band index; false when work stopped first.
	bool WaitFor(size_t index)
	{
		std::unique_lock<std::mutex> lock(fLock);
		fChanged.wait(lock, [&] { return fStopped || fBands[index].done; });
		return fBands[index].done && !fFailed;
	}

	void Emitted(size_t index)
	{
		std::lock_guard<std::mutex> lock(fLock);
		fEmitted = index + 1;
		fChanged.notify_all();
	}

	void Stop()
	{
		std::lock_guard<std::mutex> lock(fLock);
		fStopped = true;
		fChanged.notify_all();
	}

	bool Failed()
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fFailed;
	}

private:
	std::vector<Band>& fBands;
	size_t fAhead;
	std::mutex fLock;
	std::condition_variable fChanged;
	size_t fNext = 0;
	size_t fEmitted = 0;
	bool fStopped = false;
	bool fFailed = false;
};

void work(BandQueue& queue, std::vector<Band>& bands, PngRowSource& source, uint32 rowBytes,
          int level)
{
	BandCompressor compressor(source, rowBytes, level);
	for (long index; (index = queue.Take()) >= 0;) {
		bool ok = compressor.Ready() &&
		          compressor.Compress(bands[index], (size_t)index + 1 == bands.size());
		queue.Done((size_t)index, ok);
	}
}

} // namespace

bool png_deflate_rows(PngRowSource& source, uint32 rows, uint32 rowBytes,
                      const PngCompression& compression, PngStreamSink& sink, std::string* reason)
{
	const uint32 bandRows = rowBytes >= kBandBytes ? 1 : (uint32)(kBandBytes / rowBytes);
	std::vector<Band> bands;
	for (uint32 first = 0; first < rows; first += bandRows)
		bands.push_back({first, rows - first < bandRows ? rows - first : bandRows, {}, 0, false});
	if (bands.empty())
		bands.push_back({0, 0, {}, 0, false});

	const size_t threads = (size_t)compression.threads < bands.size()
	                           ? (size_t)(compression.threads > 1 ? compression.threads : 1)
	                           : bands.size();
	BandQueue queue(bands, 2 * threads);
	std::vector<std::thread> workers;
	for (size_t i = 0; threads > 1 && i < threads; i++)
		workers.emplace_back(work, std::ref(queue), std::ref(bands), std::ref(source), rowBytes,
		                     compression.level);

	uint8 header[2];
	zlib_header(compression.level, header);
	bool written = sink.Data(header, sizeof(header));
	uLong adler = adler32(0, nullptr, 0);
	// With one thread the calling thread compresses each band itself; with
	// more, it only hands the finished bands on.
	std::unique_ptr<BandCompressor> own;
	if (threads == 1)
		own.reset(new BandCompressor(source, rowBytes, compression.level));
	for (size_t i = 0; written && i < bands.size(); i++) {
		if (own != nullptr) {
			bool ok = own->Ready() && own->Compress(bands[i], i + 1 == bands.size());
			queue.Done(i, ok);
		}
		if (!queue.WaitFor(i))
			break;
		written = sink.Data(bands[i].data.data(), bands[i].data.size());
		adler = adler32_combine(adler, bands[i].adler, (z_off_t)bands[i].count * rowBytes);
		std::vector<uint8>().swap(bands[i].data);
		queue.Emitted(i);
		if (compression.progress != nullptr)
			compression.progress->BandsWritten(i + 1, bands.size());
	}
	queue.Stop();
	for (std::thread& worker : workers)
		worker.join();

	if (queue.Failed()) {
		*reason = "the compressor failed (out of memory?)";
		return false;
	}
	if (!written)
		return false;
	const uint8 trailer[4] = {(uint8)(adler >> 24), (uint8)(adler >> 16), (uint8)(adler >> 8),
	                          (uint8)adler};
	return sink.Data(trailer, sizeof(trailer));
}
