#include "PSDToneTable.h"

PSDToneTable::PSDToneTable() : fSamples(kSteps + 1)
{
	for (int i = 0; i <= kSteps; i++)
		fSamples[i] = (float)i / kSteps;
}

void PSDToneAdjustment::Apply(float* const colour[], uint32 count) const
{
	for (size_t c = 0; c < fTables.size(); c++) {
		const PSDToneTable& table = fTables[c];
		float* values = colour[c];
		for (uint32 i = 0; i < count; i++)
			values[i] = table.Map(values[i]);
	}
}
