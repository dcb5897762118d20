// The per-channel adjustments' blocks: levels, curves, brightness and
// contrast, exposure, posterize and threshold.

#include "PSDAdjustmentBytes.h"
#include "PSDAdjustmentReaders.h"

#include <layers/PSDDescriptor.h>

#include <algorithm>
#include <cmath>

namespace {

// Each levels record: input floor and ceiling, output floor and ceiling,
// gamma.
const size_t kLevelsRecordBytes = 10;
// Photoshop keeps a handful of points a curve; far more is no curve of its.
const uint16 kMostCurvePoints = 256;
const int kMostCurves = 32; // the bits of the block's channel map

PSDLevelsRecord readLevelsRecord(PSDAdjustmentBytes& bytes)
{
	PSDLevelsRecord record;
	record.inputFloor = bytes.Big16() / 255.0;
	record.inputCeiling = bytes.Big16() / 255.0;
	record.outputFloor = bytes.Big16() / 255.0;
	record.outputCeiling = bytes.Big16() / 255.0;
	// Hundredths, 0.1 to 9.99 as Photoshop allows.
	record.gamma = std::min(9.99, std::max(0.1, bytes.Big16() / 100.0));
	return record;
}

// A curve's points (output first), or, drawn by hand, its value at every
// 8-bit input. False when the block does not hold them, or holds none.
bool readCurve(PSDAdjustmentBytes& bytes, bool drawn, std::vector<PSDCurvePoint>* curve)
{
	if (drawn) {
		if (bytes.Left() < 256)
			return false;
		for (int i = 0; i < 256; i++)
			curve->push_back({i / 255.0, bytes.Uint8() / 255.0});
		return true;
	}
	const uint16 count = bytes.Big16();
	if (count == 0 || count > kMostCurvePoints || count * 4u > bytes.Left())
		return false;
	for (uint16 i = 0; i < count; i++) {
		const double output = bytes.Big16() / 255.0;
		curve->push_back({bytes.Big16() / 255.0, output});
	}
	return true;
}

// The one level that posterize and threshold blocks hold.
std::optional<int> readLevel(const PSDBlockData& block, int low, int high)
{
	PSDAdjustmentBytes bytes(block);
	const int level = bytes.Big16();
	if (level < low || level > high)
		return std::nullopt;
	return bytes.Checked(level);
}

} // namespace

std::optional<PSDLevelsSettings> psdReadLevels(const PSDBlockData& block)
{
	PSDAdjustmentBytes bytes(block);
	bytes.Big16(); // version
	PSDLevelsSettings settings;
	while (settings.records.size() <= (size_t)PSD_ADJUSTMENT_MOST_COLOURS &&
	       bytes.Left() >= kLevelsRecordBytes)
		settings.records.push_back(readLevelsRecord(bytes));
	if (bytes.Failed() || settings.records.empty())
		return std::nullopt;
	return settings;
}

std::optional<PSDCurvesSettings> psdReadCurves(const PSDBlockData& block)
{
	PSDAdjustmentBytes bytes(block);
	const bool drawn = bytes.Uint8() != 0;
	bytes.Big16(); // version
	const uint32 channels = bytes.Big32();
	PSDCurvesSettings settings;
	for (int i = 0; i < kMostCurves; i++) {
		if ((channels & (1u << i)) == 0)
			continue;
		// Curves of channels no document renders are read past, not kept.
		std::vector<PSDCurvePoint> passed;
		if (!readCurve(bytes, drawn,
		               i <= PSD_ADJUSTMENT_MOST_COLOURS ? &settings.curves[i] : &passed))
			return std::nullopt;
	}
	return bytes.Checked(settings);
}

std::optional<PSDBrightnessContrastSettings> psdReadBrightnessContrast(const PSDBlockData& block,
                                                                       const PSDDescriptor* current)
{
	PSDAdjustmentBytes bytes(block);
	PSDBrightnessContrastSettings settings;
	settings.brightness = std::min(150, std::max(-150, (int)bytes.BigInt16()));
	settings.contrast = std::min(100, std::max(-100, (int)bytes.BigInt16()));
	settings.mean = std::min(255, (int)bytes.Big16());
	if (bytes.Failed())
		return std::nullopt;
	if (current != nullptr && !current->Bool("useLegacy", false)) {
		settings.legacy = false;
		settings.brightness = std::min(150.0, std::max(-150.0, current->Number("Brgh", 0)));
		settings.contrast = std::min(100.0, std::max(-50.0, current->Number("Cntr", 0)));
	}
	return settings;
}

std::optional<PSDExposureSettings> psdReadExposure(const PSDBlockData& block)
{
	PSDAdjustmentBytes bytes(block);
	bytes.Big16(); // version
	PSDExposureSettings settings;
	settings.exposure = bytes.BigFloat();
	settings.offset = bytes.BigFloat();
	settings.gamma = bytes.BigFloat();
	// Photoshop's ranges: +-20 stops, offset +-0.5, gamma 0.01 to 9.99.
	if (bytes.Failed() || !(std::fabs(settings.exposure) <= 20) ||
	    !(std::fabs(settings.offset) <= 0.5) || !(settings.gamma >= 0.01 && settings.gamma <= 9.99))
		return std::nullopt;
	return settings;
}

std::optional<PSDPosterizeSettings> psdReadPosterize(const PSDBlockData& block)
{
	// Photoshop offers 2 to 255 levels.
	const std::optional<int> levels = readLevel(block, 2, 255);
	if (!levels)
		return std::nullopt;
	return PSDPosterizeSettings{*levels};
}

std::optional<PSDThresholdSettings> psdReadThreshold(const PSDBlockData& block)
{
	const std::optional<int> level = readLevel(block, 1, 255);
	if (!level)
		return std::nullopt;
	return PSDThresholdSettings{*level};
}
