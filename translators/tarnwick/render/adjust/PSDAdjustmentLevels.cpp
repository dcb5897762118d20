// Levels: each channel's input range stretched to its output range through a
// gamma; the composite's levels apply after the channel's own.

#include "PSDAdjustmentKinds.h"
#include "PSDToneTable.h"
#include <layers/adjustments/PSDAdjustmentBytes.h>

#include <algorithm>
#include <cmath>

namespace {

// The block holds this many records before its extension; the first is the
// composite's, then one per channel.
const int kRecords = 29;

struct Levels {
	double inputFloor, inputCeiling, outputFloor, outputCeiling, gamma;

	double operator()(double x) const
	{
		const double span = inputCeiling - inputFloor;
		double t = span > 0 ? (x - inputFloor) / span : (x < inputFloor ? 0 : 1);
		t = std::min(1.0, std::max(0.0, t));
		return outputFloor + (outputCeiling - outputFloor) * std::pow(t, 1 / gamma);
	}
};

Levels readLevels(PSDAdjustmentBytes& bytes)
{
	Levels levels;
	levels.inputFloor = bytes.Big16() / 255.0;
	levels.inputCeiling = bytes.Big16() / 255.0;
	levels.outputFloor = bytes.Big16() / 255.0;
	levels.outputCeiling = bytes.Big16() / 255.0;
	// Hundredths, 0.1 to 9.99 as Photoshop allows.
	levels.gamma = std::min(9.99, std::max(0.1, bytes.Big16() / 100.0));
	return levels;
}

} // namespace

std::unique_ptr<PSDAdjustment> psdReadLevels(const PSDBlockData& block,
                                             const PSDRenderTarget& target)
{
	PSDAdjustmentBytes bytes(block);
	bytes.Big16(); // version
	Levels levels[kRecords];
	for (int i = 0; i <= target.colours && i < kRecords; i++)
		levels[i] = readLevels(bytes);
	if (bytes.Failed())
		return nullptr;
	std::vector<PSDToneTable> tables;
	for (int c = 0; c < target.colours; c++) {
		const Levels& composite = levels[0];
		const Levels& channel = levels[c + 1];
		tables.push_back(PSDToneTable::From([&](double x) { return composite(channel(x)); }));
	}
	return std::unique_ptr<PSDAdjustment>(new PSDToneAdjustment(std::move(tables)));
}
