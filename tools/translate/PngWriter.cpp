#include "PngWriter.h"

#include "PngRows.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

void put_big32(uint8* out, uint32 value)
{
	out[0] = (uint8)(value >> 24);
	out[1] = (uint8)(value >> 16);
	out[2] = (uint8)(value >> 8);
	out[3] = (uint8)value;
}

// Chunks straight to the file: length, type, data, CRC of type and data.
class ChunkWriter {
public:
	explicit ChunkWriter(FILE* out) : fOut(out) {}

	bool Signature()
	{
		static const uint8 kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
		return _Put(kSignature, sizeof(kSignature));
	}

	// Bytes that are whole chunks already.
	bool Chunks(const std::vector<uint8>& bytes) { return _Put(bytes.data(), bytes.size()); }

	bool Chunk(const char type[4], const uint8* data, size_t size)
	{
		uint8 head[8];
		put_big32(head, (uint32)size);
		memcpy(head + 4, type, 4);
		uLong crc = crc32(crc32(0, nullptr, 0), head + 4, 4);
		if (size > 0) // a null buffer would restart the CRC
			crc = crc32(crc, data, (uInt)size);
		uint8 tail[4];
		put_big32(tail, (uint32)crc);
		return _Put(head, sizeof(head)) && _Put(data, size) && _Put(tail, sizeof(tail));
	}

	int Error() const { return fError; }

private:
	bool _Put(const uint8* data, size_t size)
	{
		if (fError == 0 && size > 0 && fwrite(data, 1, size, fOut) != size)
			fError = errno != 0 ? errno : EIO;
		return fError == 0;
	}

	FILE* fOut;
	int fError = 0;
};

// The compressed stream as IDAT chunks, one per piece the compressor hands
// on, split where a piece outgrows what a chunk's length may say.
class IdatSink : public PngStreamSink {
public:
	explicit IdatSink(ChunkWriter& writer) : fWriter(writer) {}
	bool Data(const uint8* bytes, size_t size) override
	{
		const size_t kLargest = (size_t)1 << 30;
		for (size_t done = 0; done < size; done += kLargest) {
			if (!fWriter.Chunk("IDAT", bytes + done, std::min(kLargest, size - done)))
				return false;
		}
		return true;
	}

private:
	ChunkWriter& fWriter;
};

// Converts and filters bands of rows; each call has its own scratch, since
// bands are filtered on several threads at once.
class FilteredRows : public PngRowSource {
public:
	FilteredRows(const BPrivate::BitmapImage& image, PngColorType type)
	    : fImage(image), fType(type), fRowBytes(image.width * png_pixel_bytes(type))
	{
	}

	void Rows(uint32 first, uint32 count, uint8* out) override
	{
		// Palette indices are no quantities to predict.
		PngRowFilter filter(fRowBytes, png_pixel_bytes(fType),
		                    fType == kPngPalette ? kPngFilterNone : kPngFilterAdaptive);
		std::vector<uint8> rows[2] = {std::vector<uint8>(fRowBytes), std::vector<uint8>(fRowBytes)};
		const uint8* above = nullptr;
		if (first > 0) {
			png_row_samples(fImage, fType, first - 1, rows[1].data());
			above = rows[1].data();
		}
		for (uint32 i = 0; i < count; i++) {
			uint8* row = rows[i % 2].data();
			png_row_samples(fImage, fType, first + i, row);
			filter.Filter(row, above, out + (size_t)i * (fRowBytes + 1));
			above = row;
		}
	}

private:
	const BPrivate::BitmapImage& fImage;
	PngColorType fType;
	uint32 fRowBytes;
};

bool write_palette(ChunkWriter& writer, const color_map& map)
{
	uint8 colors[256 * 3];
	uint8 alphas[256];
	size_t transparent = 0;
	for (int i = 0; i < 256; i++) {
		const rgb_color& c = map.color_list[i];
		colors[3 * i] = c.red;
		colors[3 * i + 1] = c.green;
		colors[3 * i + 2] = c.blue;
		alphas[i] = c.alpha;
		if (c.alpha != 255)
			transparent = i + 1;
	}
	// Transparency runs to the last entry that is not opaque.
	return writer.Chunk("PLTE", colors, sizeof(colors)) &&
	       (transparent == 0 || writer.Chunk("tRNS", alphas, transparent));
}

// The signature and IHDR, with the colour's chunk behind them where there is
// one to write.
bool write_head(ChunkWriter& writer, const BPrivate::BitmapImage& image, PngColorType type,
                const PngColour& colour, std::string* warning)
{
	std::vector<uint8> head;
	std::string why;
	const bool coloured = colour.srgb || !colour.profile.empty();
	if (coloured && type != kPngPalette &&
	    png_colour_head(colour, image.width, image.height, type, &head, &why))
		return writer.Chunks(head);
	if (coloured)
		*warning = "the PNG goes without its colour profile: " + why;
	uint8 header[13];
	put_big32(header, image.width);
	put_big32(header + 4, image.height);
	header[8] = 8; // bits per sample
	header[9] = (uint8)type;
	header[10] = header[11] = header[12] = 0; // deflate, adaptive filters, not interlaced
	return writer.Signature() && writer.Chunk("IHDR", header, sizeof(header));
}

} // namespace

bool write_png(const BPrivate::BitmapImage& image, const color_map& palette,
               const PngCompression& compression, const PngColour& colour, FILE* out,
               std::string* reason, std::string* warning)
{
	if (image.colors != B_CMAP8 && image.colors != B_RGBA32) {
		*reason = "PNG output takes only 8-bit colour-mapped or 32-bit RGBA bitmaps";
		return false;
	}
	PngColorType type = png_color_type(image);
	if (png_colour_needs_rgb(colour) && type == kPngGray)
		type = kPngRGB;
	else if (png_colour_needs_rgb(colour) && type == kPngGrayAlpha)
		type = kPngRGBA;
	const uint32 rowBytes = image.width * png_pixel_bytes(type);

	ChunkWriter writer(out);
	bool written = write_head(writer, image, type, colour, warning) &&
	               (type != kPngPalette || write_palette(writer, palette));

	if (written) {
		FilteredRows rows(image, type);
		IdatSink idat(writer);
		if (!png_deflate_rows(rows, image.height, rowBytes + 1, compression, idat, reason) &&
		    writer.Error() == 0)
			return false;
		written = writer.Error() == 0 && writer.Chunk("IEND", nullptr, 0);
	}
	if (!written)
		*reason = strerror(writer.Error());
	return written;
}
