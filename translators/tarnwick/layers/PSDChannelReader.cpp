#include "PSDChannelReader.h"

#include <PSDBytes.h>
#include <PSDFileBuffer.h>
#include <PSDFloatSamples.h>
#include <PSDInflate.h>

#include <cstring>
#include <new>

namespace {

const size_t kWindowSize = 16384;

// PackBits of one row into exactly `size` bytes; what the packets do not
// give stays zero, and packets past the row are dropped.
void unpackRow(const uint8* packed, size_t packedSize, uint8* row, size_t size)
{
	size_t in = 0, out = 0;
	while (in < packedSize && out < size) {
		const uint8 header = packed[in++];
		if (header < 128) {
			size_t count = (size_t)header + 1;
			if (count > packedSize - in)
				count = packedSize - in;
			if (count > size - out)
				count = size - out;
			memcpy(row + out, packed + in, count);
			in += (size_t)header + 1;
			out += count;
		} else if (header > 128 && in < packedSize) {
			size_t count = 257 - (size_t)header;
			if (count > size - out)
				count = size - out;
			memset(row + out, packed[in++], count);
			out += count;
		}
	}
	memset(row + out, 0, size - out);
}

}  // namespace

PSDChannelReader::PSDChannelReader(BPositionIO* in, const PSDLayerChannel& channel,
	uint32 width, uint32 height, uint16 depth, bool psb)
	: fIn(in), fChannel(channel), fWidth(width), fHeight(height),
	  fSampleBytes(depth >= 8 ? depth / 8 : 1), fPSB(psb), fCompression(0),
	  fRowBytes(depth == 1 ? ((uint64)width + 7) / 8 : (uint64)width * fSampleBytes),
	  fWindowStart(0)
{
}

status_t PSDChannelReader::Init()
{
	uint8 word[2];
	fCompression = fChannel.length >= 2 && psdReadAt(fIn, fChannel.offset, word, 2)
		? psdBig16(word)
		: (uint16)PSD_COMPRESSION_RAW;
	if (fWidth == 0 || fHeight == 0)
		return B_OK;
	try {
		fRow.resize((size_t)fRowBytes * 2);
		if (fCompression == PSD_COMPRESSION_PACKBITS) {
			// Row byte counts, then the rows one after another.
			const uint32 countSize = fPSB ? 4 : 2;
			const uint64 tableBytes = (uint64)fHeight * countSize;
			std::vector<uint8> table((size_t)(tableBytes < fChannel.length ? tableBytes : 0));
			if (!table.empty())
				psdReadAt(fIn, fChannel.offset + 2, table.data(), table.size());
			fRowStarts.resize((size_t)fHeight + 1);
			uint64 at = fChannel.offset + 2 + tableBytes;
			const uint64 end = fChannel.offset + fChannel.length;
			for (uint32 y = 0; y < fHeight; y++) {
				fRowStarts[y] = at < end ? at : end;
				uint64 count = table.empty() ? 0
					: countSize == 4 ? psdBig32(&table[(size_t)y * 4])
									 : psdBig16(&table[(size_t)y * 2]);
				at = psdAddOffsets(at, count);
			}
			fRowStarts[fHeight] = at < end ? at : end;
		} else if (fCompression == PSD_COMPRESSION_ZIP
			|| fCompression == PSD_COMPRESSION_ZIP_PREDICTION) {
			fInflated.reset(new (std::nothrow) uint8[(size_t)(fRowBytes * fHeight)]);
			if (!fInflated)
				return B_NO_MEMORY;
			PSDInflater inflater(fIn, fChannel.offset + 2, fChannel.length - 2);
			if (inflater.InitCheck() != B_OK)
				return B_NO_MEMORY;
			inflater.Read(fInflated.get(), (size_t)(fRowBytes * fHeight));
			if (fCompression == PSD_COMPRESSION_ZIP_PREDICTION) {
				for (uint32 y = 0; y < fHeight; y++)
					psdCoreUnpredictRow(fInflated.get() + y * fRowBytes,
						fSampleBytes == 1 ? (uint32)fRowBytes : fWidth, fSampleBytes,
						fRow.data());
			}
		}
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	return B_OK;
}

bool PSDChannelReader::ReadPacked(uint64 offset, size_t size, uint8* destination)
{
	if (offset >= fWindowStart && offset + size <= fWindowStart + fWindow.size()) {
		memcpy(destination, fWindow.data() + (offset - fWindowStart), size);
		return true;
	}
	if (size > kWindowSize)
		return psdReadAt(fIn, offset, destination, size);
	const uint64 end = fChannel.offset + fChannel.length;
	const uint64 want = end - offset < kWindowSize ? end - offset : kWindowSize;
	fWindow.resize((size_t)want);
	if (!psdReadAt(fIn, offset, fWindow.data(), fWindow.size())) {
		fWindow.clear();
		return psdReadAt(fIn, offset, destination, size);
	}
	fWindowStart = offset;
	memcpy(destination, fWindow.data(), size);
	return true;
}

void PSDChannelReader::Widen(const uint8* samples, float* out) const
{
	switch (fSampleBytes) {
		case 2:
			for (uint32 x = 0; x < fWidth; x++)
				out[x] = psdBig16(samples + 2 * (size_t)x) * (1.0f / 65535);
			break;
		case 4:
			for (uint32 x = 0; x < fWidth; x++) {
				uint32 bits = psdBig32(samples + 4 * (size_t)x);
				float value;
				memcpy(&value, &bits, sizeof(value));
				out[x] = value == value ? value : 0;
			}
			break;
		default:
			for (uint32 x = 0; x < fWidth; x++)
				out[x] = samples[x] * (1.0f / 255);
	}
}

void PSDChannelReader::Row(uint32 y, float* out)
{
	uint8* row = fRow.data();
	if (y >= fHeight || fRow.empty()) {
		memset(out, 0, sizeof(float) * fWidth);
		return;
	}
	const uint64 end = fChannel.offset + fChannel.length;
	switch (fCompression) {
		case PSD_COMPRESSION_RAW: {
			const uint64 at = fChannel.offset + 2 + y * fRowBytes;
			memset(row, 0, (size_t)fRowBytes);
			if (at < end) {
				const uint64 size = end - at < fRowBytes ? end - at : fRowBytes;
				ReadPacked(at, (size_t)size, row);
			}
			break;
		}
		case PSD_COMPRESSION_PACKBITS: {
			uint64 size = fRowStarts[y + 1] - fRowStarts[y];
			// A row never needs more than a literal header per byte.
			if (size > 2 * fRowBytes + 2)
				size = 2 * fRowBytes + 2;
			fPacked.resize((size_t)size);
			if (size == 0 || !ReadPacked(fRowStarts[y], (size_t)size, fPacked.data()))
				size = 0;
			unpackRow(fPacked.data(), (size_t)size, row, (size_t)fRowBytes);
			break;
		}
		case PSD_COMPRESSION_ZIP:
		case PSD_COMPRESSION_ZIP_PREDICTION:
			memcpy(row, fInflated.get() + y * fRowBytes, (size_t)fRowBytes);
			break;
		default:
			memset(row, 0, (size_t)fRowBytes);
	}
	Widen(row, out);
}
