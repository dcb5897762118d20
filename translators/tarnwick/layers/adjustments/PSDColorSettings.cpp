// The colour adjustments' blocks: hue/saturation, colour balance, photo
// filter, channel mixer and selective colour; and the colour structure that
// photo filters and gradient maps hold.

#include "PSDAdjustmentBytes.h"
#include "PSDAdjustmentReaders.h"

#include <core/PSDCore.h>
#include <layers/PSDDescriptor.h>
#include <layers/PSDDescriptorColor.h>

#include <algorithm>

namespace {

const size_t kChannelMixBytes = (PSD_ADJUSTMENT_MOST_COLOURS + 1) * 2;

// A signed 16-bit setting clamped to +-limit, divided by `scale`.
double readAmount(PSDAdjustmentBytes& bytes, int limit, double scale)
{
	return std::min(limit, std::max(-limit, (int)bytes.BigInt16())) / scale;
}

PSDHueSaturationAmounts readHueSaturationAmounts(PSDAdjustmentBytes& bytes)
{
	PSDHueSaturationAmounts amounts;
	amounts.hue = readAmount(bytes, 180, 1);
	amounts.saturation = readAmount(bytes, 100, 100);
	amounts.lightness = readAmount(bytes, 100, 100);
	return amounts;
}

void addNumber(PSDDescriptor* descriptor, const char* key, double value)
{
	descriptor->items.emplace_back();
	descriptor->items.back().key = key;
	descriptor->items.back().value.type = "doub";
	descriptor->items.back().value.number = value;
}

} // namespace

int psdReadColorStructure(PSDAdjustmentBytes& bytes, uint16 mode, float* stored)
{
	const uint16 space = bytes.Big16();
	uint16 v[4];
	for (uint16& component : v)
		component = bytes.Big16();
	// As the 'Clr ' descriptor of the same colour, which psdDescriptorColor
	// converts.
	PSDDescriptor colour;
	const double full = 65535;
	switch (space) {
	case 0:
		addNumber(&colour, "Rd  ", v[0] / full * 255);
		addNumber(&colour, "Grn ", v[1] / full * 255);
		addNumber(&colour, "Bl  ", v[2] / full * 255);
		break;
	case 1:
		addNumber(&colour, "H   ", v[0] / 65536.0 * 360);
		addNumber(&colour, "Strt", v[1] / full * 100);
		addNumber(&colour, "Brgh", v[2] / full * 100);
		break;
	case 2:
		// 0 is full ink.
		addNumber(&colour, "Cyn ", (1 - v[0] / full) * 100);
		addNumber(&colour, "Mgnt", (1 - v[1] / full) * 100);
		addNumber(&colour, "Ylw ", (1 - v[2] / full) * 100);
		addNumber(&colour, "Blck", (1 - v[3] / full) * 100);
		break;
	case 7:
		addNumber(&colour, "Lmnc", v[0] / 100.0);
		addNumber(&colour, "A   ", (int16)v[1] / 100.0);
		addNumber(&colour, "B   ", (int16)v[2] / 100.0);
		break;
	case 8:
		addNumber(&colour, "Gry ", v[0] / 100.0);
		break;
	default:
		return 0;
	}
	return psdDescriptorColor(colour, mode, stored);
}

std::optional<PSDHueSaturationSettings> psdReadHueSaturation(const PSDBlockData& block)
{
	PSDAdjustmentBytes bytes(block);
	bytes.Big16(); // version
	PSDHueSaturationSettings settings;
	settings.colorize = bytes.Uint8() != 0;
	bytes.Uint8();
	settings.colorization = readHueSaturationAmounts(bytes);
	// Colorize's hue runs 0 to 360 and its saturation 0 to 100.
	if (settings.colorization.hue < 0)
		settings.colorization.hue += 360;
	settings.colorization.saturation = std::max(0.0, settings.colorization.saturation);
	settings.master = readHueSaturationAmounts(bytes);
	for (PSDHueRange& range : settings.ranges) {
		range.fadeIn = bytes.BigInt16();
		range.begin = bytes.BigInt16();
		range.end = bytes.BigInt16();
		range.fadeOut = bytes.BigInt16();
		range.amounts = readHueSaturationAmounts(bytes);
	}
	return bytes.Checked(settings);
}

std::optional<PSDColorBalanceSettings> psdReadColorBalance(const PSDBlockData& block)
{
	PSDAdjustmentBytes bytes(block);
	PSDColorBalanceSettings settings;
	for (auto& tone : settings.amounts) {
		for (double& amount : tone)
			amount = readAmount(bytes, 100, 100);
	}
	settings.preserveLuminosity = bytes.Uint8() != 0;
	return bytes.Checked(settings);
}

std::optional<PSDPhotoFilterSettings> psdReadPhotoFilter(const PSDBlockData& block)
{
	PSDAdjustmentBytes bytes(block);
	// Version 3 keeps the colour as XYZ, in a form not read here.
	if (bytes.Big16() != 2)
		return std::nullopt;
	PSDPhotoFilterSettings settings;
	if (psdReadColorStructure(bytes, PSD_MODE_RGB, settings.colour) != 3)
		return std::nullopt;
	settings.density = std::min<uint32>(bytes.Big32(), 100) / 100.0;
	settings.preserveLuminosity = bytes.Uint8() != 0;
	return bytes.Checked(settings);
}

std::optional<PSDChannelMixerSettings> psdReadChannelMixer(const PSDBlockData& block)
{
	PSDAdjustmentBytes bytes(block);
	bytes.Big16(); // version
	PSDChannelMixerSettings settings;
	settings.monochrome = bytes.Big16() != 0;
	if (bytes.Failed())
		return std::nullopt;
	while (settings.mixes.size() < (size_t)PSD_ADJUSTMENT_MOST_COLOURS &&
	       bytes.Left() >= kChannelMixBytes) {
		// Percentages, -200 to 200 in Photoshop.
		PSDChannelMix mix;
		for (double& weight : mix.weight)
			weight = readAmount(bytes, 200, 100);
		mix.constant = readAmount(bytes, 200, 100);
		settings.mixes.push_back(mix);
	}
	return settings;
}

std::optional<PSDSelectiveColorSettings> psdReadSelectiveColor(const PSDBlockData& block)
{
	PSDAdjustmentBytes bytes(block);
	bytes.Big16(); // version
	PSDSelectiveColorSettings settings;
	settings.relative = bytes.Big16() == 0;
	bytes.Skip(8); // a first record that holds nothing
	for (auto& kind : settings.inks) {
		for (double& ink : kind)
			ink = readAmount(bytes, 100, 100);
	}
	return bytes.Checked(settings);
}
