// The SSE2 and the plain forms of the decoders against a reference that
// decodes the planes one after the other, byte by byte: the same pixels for
// well-formed, truncated and damaged data, spans and planes of every length.

#include <core/PSDVectorCode.h>

#include "PSDTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace psdtest;

namespace {

// The image data after the compression word and row counts, read as one
// byte stream; bytes past its end are 0 and end every later plane too.
class Stream {
public:
	Stream(const Bytes& file, size_t start) : fFile(file), fAt(start) {}
	uint8_t Next() { return fAt < fFile.size() ? fFile[fAt++] : 0; }
	bool Ended() const { return fAt >= fFile.size(); }

	Bytes Plane(size_t count, bool packed)
	{
		Bytes out;
		while (out.size() < count) {
			if (!packed || Ended()) {
				out.push_back(Next());
				continue;
			}
			uint8_t header = Next();
			if (header < 128) {
				for (int i = 0; i <= header; i++) {
					uint8_t byte = Next();
					if (out.size() < count)
						out.push_back(byte);
				}
			} else if (header > 128) {
				uint8_t value = Next();
				for (int i = 0; i < 257 - header && out.size() < count; i++)
					out.push_back(value);
			}
		}
		return out;
	}

private:
	const Bytes& fFile;
	size_t fAt;
};

struct Kind {
	const char* name;
	uint16_t mode;
	uint16_t channels;
	int planes;
	bool alpha;
};

size_t imageDataStart(const PsdLayout& layout, bool packed)
{
	size_t start = psdFrontMatter(layout).size() + 2;
	return packed ? start + (size_t)layout.channels * layout.height * 2 : start;
}

std::vector<uint32_t> reference(const Kind& kind, const PsdLayout& layout, bool packed,
                                const Bytes& file)
{
	const size_t samples = (size_t)layout.width * layout.height;
	const size_t step = layout.depth / 8;
	Stream stream(file, imageDataStart(layout, packed));
	std::vector<Bytes> planes;
	for (int p = 0; p < kind.planes; p++)
		planes.push_back(stream.Plane(samples * step, packed));
	std::vector<uint32_t> out;
	for (size_t i = 0; i < samples; i++) {
		auto s = [&](int p) { return planes[p][i * step]; };
		if (kind.mode == 1)
			out.push_back(pixel(s(0), s(0), s(0), 255));
		else if (kind.mode == 4)
			out.push_back(pixel(s(2) * s(3) >> 8, s(1) * s(3) >> 8, s(0) * s(3) >> 8, 255));
		else
			out.push_back(pixel(s(2), s(1), s(0), kind.alpha ? s(3) : 255));
	}
	return out;
}

std::vector<uint32_t> decode(const Kind& kind, const PsdLayout& layout, const Bytes& file,
                             bool vector)
{
	psdCoreSetVectorCode(vector);
	GuardedPixels pixels((size_t)layout.width * layout.height);
	const PSDMergedKind merged = kind.mode == 1   ? PSD_MERGED_GRAY
	                             : kind.mode == 4 ? PSD_MERGED_CMYK
	                             : kind.alpha     ? PSD_MERGED_RGBA
	                                              : PSD_MERGED_RGB;
	status_t status = decodeMerged(file, merged, pixels.Data());
	psdCoreSetVectorCode(true);
	EXPECT_EQ(B_OK, status);
	return pixels.Copy();
}

Bytes planeBytes(std::mt19937& random, size_t size)
{
	Bytes plane(size);
	for (size_t i = 0; i < size;) {
		uint8_t value = (uint8_t)random();
		size_t run = random() % 4 == 0 ? 1 + random() % 200 : 1;
		for (; run > 0 && i < size; run--)
			plane[i++] = value;
	}
	return plane;
}

TEST(PSDVectorPaths, BothFormsDecodeAsThePlanesOneAfterTheOther)
{
	const Kind kinds[] = {
	    {"gray of 2 channels", 1, 2, 1, false}, {"RGB", 3, 3, 3, false},
	    {"RGB of 5 channels", 3, 5, 3, false},  {"RGBA", 3, 4, 4, true},
	    {"CMYK of 5 channels", 4, 5, 4, false},
	};
	// Widths around the 16-pixel vectors and the 4096-sample spans.
	const uint32_t sizes[][2] = {{1, 1}, {15, 3}, {17, 2}, {33, 5}, {4095, 1}, {4097, 2}};
	std::mt19937 random(77);
	for (const Kind& kind : kinds) {
		for (uint16_t depth : {8, 16}) {
			for (bool packed : {false, true}) {
				for (const auto& size : sizes) {
					PsdLayout layout = psdLayout(kind.mode, depth, kind.channels, size[0], size[1]);
					std::vector<Bytes> planes;
					for (int p = 0; p < kind.channels; p++)
						planes.push_back(planeBytes(random, layout.RowBytes() * layout.height));
					const Bytes whole =
					    packed ? psdPackBits(layout, planes) : psdRaw(layout, planes);
					const size_t dataStart = imageDataStart(layout, packed);

					Bytes damaged = whole;
					for (size_t i = dataStart; i < damaged.size(); i += 1 + random() % 50)
						damaged[i] = (uint8_t)random();
					const Bytes cut(whole.begin(),
					                whole.begin() + dataStart + (whole.size() - dataStart) * 2 / 3);
					const Bytes* files[] = {&whole, &damaged, &cut};
					for (const Bytes* file : files) {
						SCOPED_TRACE(::testing::Message()
						             << kind.name << ", " << depth << " bits, "
						             << (packed ? "PackBits" : "raw") << ", " << size[0] << " x "
						             << size[1] << ", file of " << file->size() << " of "
						             << whole.size() << " bytes");
						const std::vector<uint32_t> expected =
						    reference(kind, layout, packed, *file);
						ASSERT_EQ(expected, decode(kind, layout, *file, true));
						ASSERT_EQ(expected, decode(kind, layout, *file, false));
					}
				}
			}
		}
	}
}

} // namespace
