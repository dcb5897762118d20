// Reads a PNG with libpng and writes "WIDTH HEIGHT\n" and its pixels as
// 8-bit RGBA to standard output: the tests' second, independent reader.

#include <png.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
	if (argc != 2) {
		fprintf(stderr, "usage: png_pixels FILE\n");
		return 2;
	}
	png_image image = {};
	image.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_file(&image, argv[1])) {
		fprintf(stderr, "png_pixels: %s\n", image.message);
		return 1;
	}
	image.format = PNG_FORMAT_RGBA;
	std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
	if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
		fprintf(stderr, "png_pixels: %s\n", image.message);
		return 1;
	}
	printf("%u %u\n", image.width, image.height);
	fwrite(pixels.data(), 1, pixels.size(), stdout);
	return fflush(stdout) == 0 ? 0 : 1;
}
