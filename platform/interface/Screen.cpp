#include <Screen.h>

#include <atomic>

const screen_id B_MAIN_SCREEN_ID = {0};

namespace {

// The system colour map: a 6 x 6 x 6 colour cube, the seven colours whose
// components are 0 or 170 (so that classic 8-bit-era palettes map exactly),
// a 32-step gray ramp, and the transparent entry last.
const uint8 kCubeLevels[6] = {0, 51, 102, 153, 204, 255};
const uint8 kTransparentIndex = 255;

color_map build_color_map()
{
	color_map map;
	map.id = 0;
	int index = 0;
	for (int r = 0; r < 6; r++)
		for (int g = 0; g < 6; g++)
			for (int b = 0; b < 6; b++)
				map.color_list[index++] =
				    make_color(kCubeLevels[r], kCubeLevels[g], kCubeLevels[b]);
	for (int i = 1; i < 8; i++)
		map.color_list[index++] = make_color(i & 4 ? 170 : 0, i & 2 ? 170 : 0, i & 1 ? 170 : 0);
	for (int k = 0; k < 32; k++) {
		uint8 v = (uint8)((k * 255 + 15) / 31);
		map.color_list[index++] = make_color(v, v, v);
	}
	map.color_list[kTransparentIndex] = make_color(0x77, 0x74, 0x77, 0);
	return map;
}

const color_map& system_color_map()
{
	static const color_map map = build_color_map();
	return map;
}

// Nearest opaque entry by squared distance; the lowest index wins a tie.
uint8 nearest_index(uint8 red, uint8 green, uint8 blue)
{
	const color_map& map = system_color_map();
	int best = 0;
	int bestDistance = 1 << 30;
	for (int i = 0; i < kTransparentIndex; i++) {
		const rgb_color& c = map.color_list[i];
		int dr = c.red - red, dg = c.green - green, db = c.blue - blue;
		int distance = dr * dr + dg * dg + db * db;
		if (distance < bestDistance) {
			bestDistance = distance;
			best = i;
			if (distance == 0)
				break;
		}
	}
	return (uint8)best;
}

// Callers ask for the same few colours again and again; remember answers in
// a small lock-free table (entry: 1 valid bit, 24 bits of colour, 8 of index).
std::atomic<uint64> gIndexCache[4096];

uint8 cached_index(uint8 red, uint8 green, uint8 blue)
{
	uint32 rgb = ((uint32)red << 16) | ((uint32)green << 8) | blue;
	uint32 slot = (rgb * 2654435761u) >> 20;
	uint64 entry = gIndexCache[slot].load(std::memory_order_relaxed);
	if ((entry >> 32) == (1u << 24 | rgb))
		return (uint8)entry;
	uint8 index = nearest_index(red, green, blue);
	gIndexCache[slot].store(((uint64)(1u << 24 | rgb) << 32) | index, std::memory_order_relaxed);
	return index;
}

std::atomic<BPrivate::ScreenDisplay*> gDisplay(nullptr);

} // namespace

namespace BPrivate {

void set_screen_display(ScreenDisplay* display)
{
	gDisplay.store(display);
}

} // namespace BPrivate

BScreen::BScreen(screen_id id) : fValid(id.id == B_MAIN_SCREEN_ID.id) {}

BScreen::~BScreen() {}

bool BScreen::IsValid()
{
	return fValid;
}

color_space BScreen::ColorSpace()
{
	return fValid ? B_RGB32 : B_NO_COLOR_SPACE;
}

BRect BScreen::Frame()
{
	if (!fValid)
		return BRect();
	BPrivate::ScreenDisplay* display = gDisplay.load();
	if (display != nullptr)
		return display->MainScreenFrame();
	return BRect(0, 0, BPrivate::B_VIRTUAL_SCREEN_WIDTH - 1, BPrivate::B_VIRTUAL_SCREEN_HEIGHT - 1);
}

const color_map* BScreen::ColorMap()
{
	return &system_color_map();
}

uint8 BScreen::IndexForColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	if (alpha < 128)
		return kTransparentIndex;
	return cached_index(red, green, blue);
}

uint8 BScreen::IndexForColor(rgb_color color)
{
	return IndexForColor(color.red, color.green, color.blue, color.alpha);
}

rgb_color BScreen::ColorForIndex(uint8 index)
{
	return system_color_map().color_list[index];
}
