#include "PSDChannelReader.h"

#include <core/PSDBytes.h>
#include <core/PSDFileBuffer.h>
#include <core/PSDInflate.h>
#include <core/PSDPackBits.h>
#include <core/PSDSamples.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const size_t kCacheSize = 16384;
// Photoshop's widest rows: 300,000 samples of 4 bytes. ZIP rows are undone
// whole (prediction runs along the row), so wider claims are not inflated.
const uint64 kWidestInflatedRow = 300000 * 4;
// A layer keeps a stream open for each ZIP channel it shows: small reads.
const size_t kInflateInput = 16384;

uint32 clampTo(int64 value, uint32 limit)
{
	return value < 0 ? 0 : value > (int64)limit ? limit : (uint32)value;
}

} // namespace

PSDChannelReader::PSDChannelReader(BPositionIO* in, const PSDLayerChannel& channel, uint32 width,
                                   uint32 height, const PSDRect& window, uint16 depth, bool psb)
    : fIn(in), fChannel(channel), fWidth(width), fHeight(height),
      fSampleBytes(depth >= 8 ? depth / 8 : 1), fPSB(psb), fCompression(0),
      fRowBytes((uint64)width * fSampleBytes), fWindowBytes(0), fWindowStart(0), fInflatedRows(0),
      fCacheStart(0)
{
	fWindow.left = (int32)clampTo(window.left, width);
	fWindow.right = (int32)std::max(clampTo(window.right, width), (uint32)fWindow.left);
	fWindow.top = (int32)clampTo(window.top, height);
	fWindow.bottom = (int32)std::max(clampTo(window.bottom, height), (uint32)fWindow.top);
	fWindowStart = (uint64)(uint32)fWindow.left * fSampleBytes;
	fWindowBytes = (size_t)((uint64)(uint32)(fWindow.right - fWindow.left) * fSampleBytes);
}

status_t PSDChannelReader::Init()
{
	uint8 word[2];
	fCompression = fChannel.length >= 2 && psdReadAt(fIn, fChannel.offset, word, 2)
	                   ? psdBig16(word)
	                   : (uint16)PSD_COMPRESSION_RAW;
	if (fWindowBytes == 0 || fWindow.bottom == fWindow.top)
		return B_OK;
	try {
		fRow.resize(fWindowBytes);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	if (fCompression == PSD_COMPRESSION_PACKBITS)
		return InitPackedRows();
	return B_OK;
}

// The row byte counts come first; a row starts where the counts of the rows
// above it say. Counts the channel does not hold are 0.
status_t PSDChannelReader::InitPackedRows()
{
	const uint32 countSize = fPSB ? 4 : 2;
	const uint64 end = fChannel.offset + fChannel.length;
	const uint64 tableBytes = (uint64)fHeight * countSize;
	const uint64 tableEnd = std::min(end, psdAddOffsets(fChannel.offset + 2, tableBytes));
	// The table holds no more rows than the channel has bytes for, however
	// many the record claims; rows past it are empty.
	const uint64 held = (tableEnd - std::min(tableEnd, fChannel.offset + 2)) / countSize;
	const uint32 rows =
	    (uint32)std::min<uint64>((uint64)(fWindow.bottom - fWindow.top),
	                             held > (uint64)fWindow.top ? held - fWindow.top : 0);
	fWindow.bottom = fWindow.top + (int32)rows;
	fRowStarts.resize((size_t)rows + 1);
	uint64 at = std::min(end, psdAddOffsets(fChannel.offset + 2, tableBytes));
	uint64 entry = fChannel.offset + 2;
	for (uint32 y = 0; y <= (uint32)fWindow.bottom; y++) {
		if (y >= (uint32)fWindow.top)
			fRowStarts[y - fWindow.top] = std::min(at, end);
		if (y == (uint32)fWindow.bottom || entry + countSize > tableEnd)
			break;
		uint8 count[4];
		if (!Read(entry, countSize, count))
			break;
		entry += countSize;
		at = psdAddOffsets(at, countSize == 4 ? psdBig32(count) : psdBig16(count));
	}
	// Rows past the table's end start (and end) where the last one read did.
	for (size_t i = 1; i < fRowStarts.size(); i++)
		fRowStarts[i] = std::max(fRowStarts[i], fRowStarts[i - 1]);
	return B_OK;
}

// Inflates forward to row y; an earlier row starts the stream again.
void PSDChannelReader::InflateRow(uint32 y, uint8* row)
{
	if (fRowBytes > kWidestInflatedRow || fChannel.length < 2) {
		memset(row, 0, fWindowBytes); // nothing to show
		return;
	}
	if (!fInflater || y < fInflatedRows) {
		fInflater.reset(
		    new PSDInflater(fIn, fChannel.offset + 2, fChannel.length - 2, kInflateInput));
		if (fInflater->InitCheck() != B_OK)
			throw std::bad_alloc();
		fInflatedRows = 0;
		fWholeRow.resize((size_t)fRowBytes * 2);
	}
	uint8* whole = fWholeRow.data();
	for (; fInflatedRows <= y; fInflatedRows++) {
		// Past the stream's end every row is zero: none is walked through.
		if (fInflater->Ended()) {
			memset(whole, 0, (size_t)fRowBytes);
			fInflatedRows = y + 1;
			break;
		}
		fInflater->Read(whole, (size_t)fRowBytes);
	}
	if (fCompression == PSD_COMPRESSION_ZIP_PREDICTION)
		psdCoreUnpredictRow(whole, fWidth, fSampleBytes, whole + fRowBytes);
	memcpy(row, whole + fWindowStart, fWindowBytes);
}

// The bytes [offset, offset + size) of the channel, from the cache, which
// grows to hold a row that is larger than it. Null past the channel's end.
const uint8* PSDChannelReader::Bytes(uint64 offset, size_t size)
{
	if (offset >= fCacheStart && offset + size <= fCacheStart + fCache.size())
		return fCache.data() + (offset - fCacheStart);
	const uint64 end = fChannel.offset + fChannel.length;
	if (offset >= end || size > end - offset)
		return nullptr;
	const uint64 want = std::max<uint64>(size, std::min<uint64>(end - offset, kCacheSize));
	try {
		fCache.resize((size_t)want);
	} catch (const std::bad_alloc&) {
		fCache.clear();
		return nullptr;
	}
	if (!psdReadAt(fIn, offset, fCache.data(), fCache.size())) {
		fCache.clear();
		return nullptr;
	}
	fCacheStart = offset;
	return fCache.data();
}

bool PSDChannelReader::Read(uint64 offset, size_t size, uint8* destination)
{
	const uint8* bytes = Bytes(offset, size);
	if (bytes != nullptr)
		memcpy(destination, bytes, size);
	return bytes != nullptr;
}

// PackBits of one row from the packets between start and end, keeping the
// window's part; what the packets do not give is zero. A row needs no more
// than about two bytes of packets a byte, however far its count says the
// next row is.
void PSDChannelReader::UnpackRow(uint64 start, uint64 end, uint8* row)
{
	const uint64 wantedEnd = fWindowStart + fWindowBytes;
	const uint64 channelEnd = fChannel.offset + fChannel.length;
	end = std::min(std::min(end, channelEnd), psdAddOffsets(start, 2 * wantedEnd + 16));
	const uint8* packets = start < end ? Bytes(start, (size_t)(end - start)) : nullptr;
	psdCoreUnpackBits(packets, packets != nullptr ? (size_t)(end - start) : 0, fWindowStart,
	                  fWindowBytes, row);
}

bool PSDChannelReader::Ended(uint32 y) const
{
	if (fRow.empty() || y >= (uint32)fWindow.bottom)
		return true;
	const uint64 end = fChannel.offset + fChannel.length;
	switch (fCompression) {
	case PSD_COMPRESSION_RAW:
		return psdAddOffsets(fChannel.offset + 2, y * fRowBytes) >= end;
	case PSD_COMPRESSION_PACKBITS:
		return y >= (uint32)fWindow.top && fRowStarts[y - (uint32)fWindow.top] >= end;
	case PSD_COMPRESSION_ZIP:
	case PSD_COMPRESSION_ZIP_PREDICTION:
		return fRowBytes > kWidestInflatedRow || fChannel.length < 2 ||
		       (fInflater && fInflater->Ended() && y >= fInflatedRows);
	default:
		return true;
	}
}

void PSDChannelReader::Row(uint32 y, float* out)
{
	uint8* row = fRow.data();
	if (fRow.empty() || y < (uint32)fWindow.top || y >= (uint32)fWindow.bottom) {
		std::fill(out, out + (fWindow.right - fWindow.left), 0.0f);
		return;
	}
	const uint64 end = fChannel.offset + fChannel.length;
	switch (fCompression) {
	case PSD_COMPRESSION_RAW: {
		memset(row, 0, fWindowBytes);
		const uint64 at = psdAddOffsets(fChannel.offset + 2, y * fRowBytes + fWindowStart);
		if (at < end)
			Read(at, (size_t)std::min<uint64>(end - at, fWindowBytes), row);
		break;
	}
	case PSD_COMPRESSION_PACKBITS: {
		const size_t i = y - (uint32)fWindow.top;
		UnpackRow(fRowStarts[i], fRowStarts[i + 1], row);
		break;
	}
	case PSD_COMPRESSION_ZIP:
	case PSD_COMPRESSION_ZIP_PREDICTION:
		InflateRow(y, row);
		break;
	default:
		memset(row, 0, fWindowBytes);
	}
	psdCoreWidenSamples(row, (uint32)(fWindow.right - fWindow.left), fSampleBytes, out);
}
