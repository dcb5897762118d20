// A gradient map's block: its colour stops (the transparency stops play no
// part in it), smoothness and direction.

#include "PSDAdjustmentBytes.h"
#include "PSDAdjustmentReaders.h"

#include <layers/PSDLayers.h>

#include <algorithm>

namespace {

// Photoshop keeps far fewer; more is no gradient of its.
const uint16 kMostStops = 1024;
// A colour stop: location, midpoint, colour structure, and a word.
const size_t kColourStopBytes = 20;
const size_t kTransparencyStopBytes = 10;
// Locations and smoothness count in 4096ths.
const double kLocationScale = 4096.0;

bool readStop(PSDAdjustmentBytes& bytes, uint16 mode, int* channels, PSDGradientMapStop* stop)
{
	stop->location = std::min(1.0, std::max(0.0, bytes.Big32() / kLocationScale));
	stop->midpoint = bytes.Big32() / 100.0;
	*channels = psdReadColorStructure(bytes, mode, stop->colour);
	bytes.Big16();
	return *channels > 0 && !bytes.Failed();
}

} // namespace

std::optional<PSDGradientMapSettings> psdReadGradientMap(const PSDBlockData& block, uint16 mode)
{
	PSDAdjustmentBytes bytes(block);
	PSDGradientMapSettings settings;
	const uint16 version = bytes.Big16();
	settings.reversed = bytes.Uint8() != 0;
	bytes.Uint8(); // dithered
	if (version >= 3)
		settings.linear = bytes.Big32() == psdKey("Lnr ");
	const uint32 nameLength = bytes.Big32();
	if (nameLength > bytes.Left() / 2)
		return std::nullopt;
	bytes.Skip(nameLength * 2);

	const uint16 count = bytes.Big16();
	if (count == 0 || count > kMostStops || count * kColourStopBytes > bytes.Left())
		return std::nullopt;
	settings.stops.resize(count);
	for (PSDGradientMapStop& stop : settings.stops) {
		if (!readStop(bytes, mode, &settings.channels, &stop))
			return std::nullopt;
	}
	const uint16 transparencyStops = bytes.Big16();
	if (transparencyStops * kTransparencyStopBytes > bytes.Left())
		return std::nullopt;
	bytes.Skip(transparencyStops * kTransparencyStopBytes);
	bytes.Big16(); // expansion count
	settings.smoothness = bytes.Big16() / kLocationScale;
	return bytes.Checked(settings);
}
