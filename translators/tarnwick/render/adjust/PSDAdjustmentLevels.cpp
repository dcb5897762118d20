// Levels: each channel's input range stretched to its output range through a
// gamma; the composite's levels apply after the channel's own.

#include "PSDAdjustmentKinds.h"
#include "PSDToneTable.h"

#include <algorithm>
#include <cmath>

namespace {

double level(const PSDLevelsRecord& record, double x)
{
	const double span = record.inputCeiling - record.inputFloor;
	double t = span > 0 ? (x - record.inputFloor) / span : (x < record.inputFloor ? 0 : 1);
	t = std::min(1.0, std::max(0.0, t));
	return record.outputFloor +
	       (record.outputCeiling - record.outputFloor) * std::pow(t, 1 / record.gamma);
}

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDLevelsSettings& settings,
                                                 const PSDRenderTarget& target)
{
	if (settings.records.size() <= (size_t)target.colours)
		return nullptr;
	std::vector<PSDToneTable> tables;
	for (int c = 0; c < target.colours; c++) {
		const PSDLevelsRecord& composite = settings.records[0];
		const PSDLevelsRecord& channel = settings.records[c + 1];
		tables.push_back(
		    PSDToneTable::From([&](double x) { return level(composite, level(channel, x)); }));
	}
	return std::unique_ptr<PSDAdjustment>(new PSDToneAdjustment(std::move(tables)));
}
