#include "PSDScaledRows.h"

#include <algorithm>
#include <cstring>

namespace {

// Sides of a record's rectangle, which hostile files may turn inside out or
// stretch past 32 bits when subtracted.
uint32 side(int32 low, int32 high)
{
	return high > low ? (uint32)((int64)high - low) : 0;
}

} // namespace

PSDScaledRows::PSDScaledRows(PSDRenderSource& source, const PSDLayerChannel& channel,
                             const PSDRect& rect, const PSDRect& window,
                             const PSDRenderTarget& target, Kind kind, float outside)
    : fRect(rect), fWindow(window), fTarget(target), fKind(kind), fOutside(outside)
{
	fDocumentWindow = intersection(target.Document(window), rect);
	const PSDRect inChannel = {(int32)((int64)fDocumentWindow.left - rect.left),
	                           (int32)((int64)fDocumentWindow.top - rect.top),
	                           (int32)((int64)fDocumentWindow.right - rect.left),
	                           (int32)((int64)fDocumentWindow.bottom - rect.top)};
	fRows = source.OpenRows(channel, side(rect.left, rect.right), side(rect.top, rect.bottom),
	                        inChannel);
	const int32 width = window.right - window.left;
	if (target.scale == 1) {
		fRow.resize((size_t)side(fDocumentWindow.left, fDocumentWindow.right));
		return;
	}
	fRow.resize((size_t)side(fDocumentWindow.left, fDocumentWindow.right));
	fColumnOf.resize(fRow.size());
	fFootprint.assign((size_t)width, 0.0f);
	fInside.assign((size_t)width, 0.0f);
	fSum.resize((size_t)width);
	for (int32 x = window.left; x < window.right; x++)
		fFootprint[(size_t)(x - window.left)] = (float)(target.FirstIn(x + 1) - target.FirstIn(x));
	for (size_t i = 0; i < fColumnOf.size(); i++) {
		const int32 column = target.Cell(fDocumentWindow.left + (int32)i) - window.left;
		fColumnOf[i] = column;
		if (column >= 0 && column < width)
			fInside[(size_t)column] += 1;
	}
}

void PSDScaledRows::Row(int32 y, float* out)
{
	const int32 width = fWindow.right - fWindow.left;
	if (fTarget.scale == 1) {
		// The window's columns: the channel's pixels, and around them
		// nothing or the outside value.
		const float around = fKind == kCoverage ? fOutside : 0.0f;
		const int32 read = fDocumentWindow.right - fDocumentWindow.left;
		if (y < fDocumentWindow.top || y >= fDocumentWindow.bottom || read <= 0) {
			std::fill(out, out + width, around);
			return;
		}
		const int32 before = fDocumentWindow.left - fWindow.left;
		float* target = before == 0 && read == width ? out : fRow.data();
		fRows->Row((uint32)((int64)y - fRect.top), target);
		if (target == out)
			return;
		std::fill(out, out + before, around);
		memcpy(out + before, fRow.data(), sizeof(float) * read);
		std::fill(out + before + read, out + width, around);
		return;
	}
	std::fill(fSum.begin(), fSum.end(), 0.0f);
	const int32 first = fTarget.FirstIn(y), end = fTarget.FirstIn(y + 1);
	const int32 top = std::max(first, fDocumentWindow.top);
	const int32 bottom = std::min(end, fDocumentWindow.bottom);
	for (int32 row = top; row < bottom; row++) {
		const uint32 inChannel = (uint32)((int64)row - fRect.top);
		if (fRows->Ended(inChannel))
			break;
		fRows->Row(inChannel, fRow.data());
		for (size_t i = 0; i < fRow.size(); i++) {
			const int32 column = fColumnOf[i];
			if (column >= 0 && column < width)
				fSum[(size_t)column] += fRow[i];
		}
	}
	const float rows = (float)std::max(0, bottom - top);
	const float footprintRows = (float)(end - first);
	for (int32 x = 0; x < width; x++) {
		const float inside = fInside[(size_t)x] * rows;
		if (fKind == kColour) {
			out[x] = inside > 0 ? fSum[(size_t)x] / inside : 0.0f;
		} else {
			const float all = fFootprint[(size_t)x] * footprintRows;
			out[x] = all > 0 ? (fSum[(size_t)x] + fOutside * (all - inside)) / all : fOutside;
		}
	}
}
