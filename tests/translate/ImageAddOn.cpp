// A test add-on for the translate command: reads "TESTIMG" streams and,
// by the eighth byte, produces an RGBA bitmap or fails in a chosen way.
//   'R' w h, then w*h RGBA quadruples: a B_RGBA32 bitmap with padded rows
//   'E': writes a header, then reports an error
//   'M': reports running out of memory
//   'S': a bitmap in B_RGB24, which PNG output does not take
//   'B': a header whose data size disagrees with its rows
//   'H': the header of a 30000 x 30000 bitmap, then one row of it
//   'W': the header and a row of a bitmap, then a wait of 30 s for a signal
//   'P': the rest of the file read slowly, 1 KiB every 20 ms, then a
//        2048 x 2048 bitmap of noise (long to compress)

#include <BitmapStream.h>
#include <TranslatorAddOn.h>
#include <TranslatorFormats.h>
#include <TranslatorHelpers.h>

#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

const uint32 kTestType = 0x54455354; // 'TEST'
const uint32 kPadding = 4;           // extra bytes per row, which writers must skip

// A header that may disagree with the rows that follow it.
status_t write_bitmap(BPositionIO* out, uint32 width, uint32 height, color_space colors,
                      uint32 rowBytes, const std::vector<uint8>& rows, uint32 dataSize)
{
	TranslatorBitmap header = BPrivate::bitmap_header(width, height, colors, rowBytes);
	header.dataSize = dataSize;
	BPrivate::write_bitmap_header(out, header);
	out->Write(rows.data(), rows.size());
	return B_OK;
}

} // namespace

char translatorName[] = "TestImage";
char translatorInfo[] = "Test images for the translate command";
int32 translatorVersion = 105;

translation_format inputFormats[] = {
    {kTestType, B_TRANSLATOR_BITMAP, 0.5f, 0.5f, "test/x-image", "Test image"},
    {0, 0, 0, 0, "", ""},
};

translation_format outputFormats[] = {
    {B_TRANSLATOR_BITMAP, B_TRANSLATOR_BITMAP, 0.5f, 0.5f, "image/x-be-bitmap", "Be bitmap"},
    {0, 0, 0, 0, "", ""},
};

status_t Identify(BPositionIO* inSource, const translation_format*, BMessage*,
                  translator_info* outInfo, uint32 outType)
{
	if (outType != 0 && outType != B_TRANSLATOR_BITMAP)
		return B_NO_TRANSLATOR;
	char magic[8];
	if (inSource->Read(magic, 8) != 8 || memcmp(magic, "TESTIMG", 7) != 0)
		return B_NO_TRANSLATOR;
	BPrivate::fill_translator_info(inputFormats[0], outInfo);
	return B_OK;
}

status_t Translate(BPositionIO* inSource, const translator_info*, BMessage*, uint32,
                   BPositionIO* outDestination)
{
	uint8 head[10];
	if (inSource->Read(head, 8) != 8)
		return B_ERROR;
	switch (head[7]) {
	case 'R': {
		if (inSource->Read(head + 8, 2) != 2 || head[8] == 0 || head[9] == 0)
			return B_ERROR;
		uint32 width = head[8], height = head[9];
		uint32 rowBytes = 4 * width + kPadding;
		std::vector<uint8> rows(rowBytes * height, 0xEE);
		for (uint32 y = 0; y < height; y++) {
			for (uint32 x = 0; x < width; x++) {
				uint8 rgba[4];
				if (inSource->Read(rgba, 4) != 4)
					return B_ERROR;
				uint8* p = &rows[y * rowBytes + 4 * x];
				p[0] = rgba[2];
				p[1] = rgba[1];
				p[2] = rgba[0];
				p[3] = rgba[3];
			}
		}
		return write_bitmap(outDestination, width, height, B_RGBA32, rowBytes, rows,
		                    rowBytes * height);
	}
	case 'E': {
		std::vector<uint8> rows(64, 1);
		write_bitmap(outDestination, 4, 4, B_RGBA32, 16, rows, 64);
		return B_ERROR;
	}
	case 'M':
		return B_NO_MEMORY;
	case 'S':
		return write_bitmap(outDestination, 2, 2, B_RGB24, 6, std::vector<uint8>(12, 7), 12);
	case 'B':
		return write_bitmap(outDestination, 2, 2, B_RGBA32, 8, std::vector<uint8>(16, 7), 99);
	case 'H':
		return write_bitmap(outDestination, 30000, 30000, B_RGBA32, 120000,
		                    std::vector<uint8>(120000, 7), 120000u * 30000u);
	case 'P': {
		for (uint8 chunk[1024]; inSource->Read(chunk, sizeof(chunk)) > 0;)
			usleep(20000);
		std::vector<uint8> rows(2048 * 2048 * 4);
		uint32 state = 1;
		for (uint8& byte : rows) {
			state = state * 1664525u + 1013904223u;
			byte = (uint8)(state >> 24);
		}
		return write_bitmap(outDestination, 2048, 2048, B_RGBA32, 2048 * 4, rows, rows.size());
	}
	case 'W':
		write_bitmap(outDestination, 64, 64, B_RGBA32, 256, std::vector<uint8>(256, 7), 256 * 64);
		sleep(30);
		return B_ERROR;
	default:
		return B_ERROR;
	}
}
