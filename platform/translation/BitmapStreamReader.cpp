#include <BitmapStream.h>

#include <Errors.h>

#include <algorithm>
#include <cstring>

namespace BPrivate {

namespace {

const off_t kHeaderSize = sizeof(TranslatorBitmap);

} // namespace

BitmapStreamReader::BitmapStreamReader() : fHeaderRead(false), fImage(), fDataSize(0), fFault(kNone)
{
	memset(fHeader, 0, sizeof(fHeader));
}

ssize_t BitmapStreamReader::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (position < 0 || buffer == nullptr)
		return B_BAD_VALUE;
	if (fFault == kHost)
		return B_ERROR;
	const uint8* bytes = (const uint8*)buffer;
	const off_t end = position + (off_t)size;
	Extend(end);
	if (fFault == kNone && !fHeaderRead && position < kHeaderSize)
		_TakeHeader(position, bytes, size);

	const off_t dataEnd = kHeaderSize + (off_t)fDataSize;
	const off_t from = std::max(position, kHeaderSize);
	const off_t to = std::min(end, dataEnd);
	if (fFault == kNone && fHeaderRead && from < to)
		RowsArrived((uint64)(from - kHeaderSize), bytes + (from - position), (size_t)(to - from));
	return fFault == kHost ? (ssize_t)B_ERROR : (ssize_t)size;
}

void BitmapStreamReader::_TakeHeader(off_t position, const uint8* bytes, size_t size)
{
	size_t count = std::min(size, (size_t)(kHeaderSize - position));
	memcpy(fHeader + position, bytes, count);
	if (End() < kHeaderSize)
		return;
	std::string reason;
	if (!read_bitmap_header(fHeader, &fImage, &fDataSize, &reason)) {
		Fail(kBitmap, reason);
		return;
	}
	fHeaderRead = true;
	HeaderArrived(fImage);
}

bool BitmapStreamReader::Complete() const
{
	return fFault == kNone && fHeaderRead && End() >= kHeaderSize + (off_t)fDataSize;
}

BitmapStreamReader::Fault BitmapStreamReader::Finish()
{
	if (fFault == kNone && !fHeaderRead)
		Fail(kBitmap, "its output is shorter than a bitmap header");
	else if (fFault == kNone && !Complete())
		Fail(kBitmap, "its bitmap's row bytes, data size and length do not agree");
	return fFault;
}

void BitmapStreamReader::Fail(Fault fault, const std::string& reason)
{
	if (fFault != kNone)
		return;
	fFault = fault;
	fReason = reason;
}

} // namespace BPrivate
