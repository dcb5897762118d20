#include "BitmapOutput.h"

#include "PngWriter.h"

#include <TranslatorFormats.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

const off_t kHeaderSize = sizeof(TranslatorBitmap);

}  // namespace

BitmapOutput::BitmapOutput(OutputFormat format, FILE* out, const color_map& palette,
	const PngCompression& compression)
	: fFormat(format), fOut(out), fPalette(palette), fCompression(compression)
{
	memset(fHeader, 0, sizeof(fHeader));
}

ssize_t BitmapOutput::ReadAt(off_t, void*, size_t)
{
	return B_NOT_SUPPORTED;
}

ssize_t BitmapOutput::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (position < 0 || buffer == nullptr)
		return B_BAD_VALUE;
	if (fFailure == Failure::kOutput)
		return B_IO_ERROR;
	const uint8* bytes = (const uint8*)buffer;
	if (fFormat == OutputFormat::kBits)
		return _WriteBits(position, bytes, size);

	fEnd = std::max(fEnd, position + (off_t)size);
	if (fFailure == Failure::kNone && position < kHeaderSize)
		_TakeHeader(position, bytes, size);
	if (fFailure == Failure::kNone && fHeaderRead)
		_TakeRows(position, bytes, size);
	// What cannot become a PNG is still taken, so the add-on finishes and a
	// bitmap fault is told as such.
	if (fFailure == Failure::kOutput)
		return B_IO_ERROR;
	return (ssize_t)size;
}

off_t BitmapOutput::Seek(off_t position, uint32 seekMode)
{
	off_t base = seekMode == SEEK_CUR ? fPosition : seekMode == SEEK_END ? fEnd : 0;
	if (seekMode != SEEK_SET && seekMode != SEEK_CUR && seekMode != SEEK_END)
		return B_BAD_VALUE;
	if (base + position < 0)
		return B_BAD_VALUE;
	return fPosition = base + position;
}

off_t BitmapOutput::Position() const
{
	return fPosition;
}

ssize_t BitmapOutput::_WriteBits(off_t position, const uint8* bytes, size_t size)
{
	if (position != fFilePosition && fseeko(fOut, position, SEEK_SET) != 0) {
		_Fail(Failure::kOutput, strerror(errno));
		return B_IO_ERROR;
	}
	if (fwrite(bytes, 1, size, fOut) != size) {
		_Fail(Failure::kOutput, strerror(errno != 0 ? errno : EIO));
		return B_IO_ERROR;
	}
	fFilePosition = position + (off_t)size;
	fEnd = std::max(fEnd, fFilePosition);
	return (ssize_t)size;
}

void BitmapOutput::_TakeHeader(off_t position, const uint8* bytes, size_t size)
{
	size_t count = std::min(size, (size_t)(kHeaderSize - position));
	memcpy(fHeader + position, bytes, count);
	if (fEnd < kHeaderSize || fHeaderRead)
		return;
	std::string reason;
	if (!read_bitmap_header(fHeader, &fImage, &fDataSize, &reason))
		_Fail(Failure::kBitmap, reason);
	fHeaderRead = fFailure == Failure::kNone;
}

void BitmapOutput::_TakeRows(off_t position, const uint8* bytes, size_t size)
{
	const off_t end = position + (off_t)size;
	const off_t dataEnd = kHeaderSize + (off_t)fDataSize;
	if (fEncoded || end <= kHeaderSize || position >= dataEnd)
		return;
	if (position <= kHeaderSize && end >= dataEnd && fRows.empty()) {
		// All rows in one write, as the add-ons write them: no copy.
		_Encode(bytes + (kHeaderSize - position));
		return;
	}
	off_t from = std::max(position, kHeaderSize);
	off_t to = std::min(end, dataEnd);
	// Grown only as far as rows arrive: the header alone must not make us
	// allocate what it claims.
	if (fRows.size() < (size_t)(to - kHeaderSize)) {
		try {
			fRows.resize((size_t)(to - kHeaderSize));
		} catch (const std::bad_alloc&) {
			_Fail(Failure::kOutput, strerror(ENOMEM));
			return;
		}
	}
	memcpy(fRows.data() + (from - kHeaderSize), bytes + (from - position), (size_t)(to - from));
}

void BitmapOutput::_Encode(const uint8* rows)
{
	fImage.bits = rows;
	std::string reason;
	if (!write_png(fImage, fPalette, fCompression, fOut, &reason))
		_Fail(Failure::kOutput, reason);
	fEncoded = true;
	std::vector<uint8>().swap(fRows);
}

void BitmapOutput::_Fail(Failure failure, const std::string& reason)
{
	if (fFailure != Failure::kNone)
		return;
	fFailure = failure;
	fReason = reason;
}

BitmapOutput::Failure BitmapOutput::Finish(std::string* reason)
{
	if (fFormat == OutputFormat::kPng && fFailure == Failure::kNone && !fEncoded) {
		if (fEnd < kHeaderSize)
			_Fail(Failure::kBitmap, "its output is shorter than a bitmap header");
		else if (fRows.size() < fDataSize)
			_Fail(Failure::kBitmap, "its bitmap's row bytes, data size and length do not agree");
		else
			_Encode(fRows.data());
	}
	*reason = fReason;
	return fFailure;
}
