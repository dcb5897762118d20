#include "PngWriter.h"

#include <cerrno>
#include <cstring>
#include <png.h>

namespace {

// A middle zlib level: most of the size gain for a fraction of the time.
const int kCompressionLevel = 6;

// What the libpng callbacks report back; plain data, since libpng leaves
// through longjmp.
struct WriteState {
	FILE* out;
	int writeErrno;
	char message[200];
};

void on_error(png_structp png, png_const_charp message)
{
	WriteState* state = (WriteState*)png_get_error_ptr(png);
	snprintf(state->message, sizeof(state->message), "%s", message);
	png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

void on_write(png_structp png, png_bytep data, size_t length)
{
	WriteState* state = (WriteState*)png_get_io_ptr(png);
	if (fwrite(data, 1, length, state->out) != length) {
		state->writeErrno = errno != 0 ? errno : EIO;
		png_error(png, "write failed");
	}
}

void on_flush(png_structp) {}

// The colour map as PNG palette and transparency chunks; the latter runs
// to the last entry that is not opaque.
struct Palette {
	png_color colors[256];
	png_byte alphas[256];
	int transparentCount;
};

void make_palette(const color_map& map, Palette* palette)
{
	palette->transparentCount = 0;
	for (int i = 0; i < 256; i++) {
		const rgb_color& c = map.color_list[i];
		palette->colors[i].red = c.red;
		palette->colors[i].green = c.green;
		palette->colors[i].blue = c.blue;
		palette->alphas[i] = c.alpha;
		if (c.alpha != 255)
			palette->transparentCount = i + 1;
	}
}

// Everything between setjmp and the last libpng call lives here, with no
// object that has a destructor, since an error returns by longjmp.
bool encode(png_structp png, png_infop info, const BitmapImage& image, const Palette& palette)
{
	if (setjmp(png_jmpbuf(png)))
		return false;

	png_set_compression_level(png, kCompressionLevel);
	bool mapped = image.colors == B_CMAP8;
	png_set_IHDR(png, info, image.width, image.height, 8,
		mapped ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
		PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
	if (mapped) {
		png_set_PLTE(png, info, palette.colors, 256);
		if (palette.transparentCount > 0)
			png_set_tRNS(png, info, palette.alphas, palette.transparentCount, nullptr);
	}
	png_write_info(png, info);
	if (!mapped)
		png_set_bgr(png);  // B_RGBA32 is blue, green, red, alpha in memory
	for (uint32 y = 0; y < image.height; y++)
		png_write_row(png, image.bits + (size_t)y * image.rowBytes);
	png_write_end(png, info);
	return true;
}

}  // namespace

bool write_png(const BitmapImage& image, const color_map& palette, FILE* out,
	std::string* reason)
{
	if (image.colors != B_CMAP8 && image.colors != B_RGBA32) {
		*reason = "PNG output takes only 8-bit colour-mapped or 32-bit RGBA bitmaps";
		return false;
	}
	WriteState state = {out, 0, ""};
	png_structp png =
		png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, on_error, on_warning);
	png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
	if (info == nullptr) {
		png_destroy_write_struct(&png, nullptr);
		*reason = strerror(ENOMEM);
		return false;
	}
	png_set_write_fn(png, &state, on_write, on_flush);

	Palette pngPalette;
	make_palette(palette, &pngPalette);
	bool ok = encode(png, info, image, pngPalette);
	png_destroy_write_struct(&png, &info);
	if (!ok)
		*reason = state.writeErrno != 0 ? strerror(state.writeErrno) : state.message;
	return ok;
}
