// Colour lookup: a 3D table from red, green and blue to new ones, read with
// trilinear interpolation. The layer carries the table as the bytes of a
// .cube file, read only now; lookups through ICC profiles and other table
// formats are not read.

#include "PSDAdjustmentKinds.h"

#include <core/PSDCore.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// .cube files go up to 256 a side; Photoshop's own stop at 64.
const int kLargestSide = 129;
const size_t kLongestLine = 1024;
// The largest table file read: 129 a side, some 30 characters an entry.
const uint64 kMostTableBytes = 64 << 20;

class ColorLookup : public PSDAdjustment {
public:
	ColorLookup(std::vector<float> table, int side) : fTable(std::move(table)), fSide(side) {}

	void Apply(float* const colour[], uint32 count) const override
	{
		for (uint32 i = 0; i < count; i++) {
			float at[3];
			int base[3];
			float fraction[3];
			for (int c = 0; c < 3; c++) {
				const float v = colour[c][i];
				at[c] = (v > 0 ? (v < 1 ? v : 1) : 0) * (fSide - 1);
				base[c] = std::min((int)at[c], fSide - 2);
				fraction[c] = at[c] - base[c];
			}
			float out[3] = {0, 0, 0};
			for (int corner = 0; corner < 8; corner++) {
				float weight = 1;
				size_t index = 0;
				size_t stride = 1;
				for (int c = 0; c < 3; c++) {
					const int step = (corner >> c) & 1;
					weight *= step ? fraction[c] : 1 - fraction[c];
					index += (size_t)(base[c] + step) * stride;
					stride *= (size_t)fSide;
				}
				for (int c = 0; c < 3; c++)
					out[c] += weight * fTable[index * 3 + c];
			}
			for (int c = 0; c < 3; c++)
				colour[c][i] = std::min(1.0f, std::max(0.0f, out[c]));
		}
	}

private:
	std::vector<float> fTable; // red varies fastest
	int fSide;
};

// A .cube file's 3D table, values scaled from its domain to [0, 1].
bool parseCube(const std::vector<uint8>& file, std::vector<float>* table, int* side)
{
	double low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
	*side = 0;
	size_t values = 0;
	const char* text = (const char*)file.data();
	const size_t size = file.size();
	size_t at = 0;
	while (at < size) {
		size_t end = at;
		while (end < size && text[end] != '\r' && text[end] != '\n')
			end++;
		// Lines of a table are short; a long one is no table's.
		if (end - at > kLongestLine)
			return false;
		const std::string line(text + at, end - at);
		at = end + 1;
		if (line.empty() || line[0] == '#')
			continue;
		if (line.compare(0, 11, "LUT_3D_SIZE") == 0) {
			const long length = strtol(line.c_str() + 11, nullptr, 10);
			if (length < 2 || length > kLargestSide)
				return false;
			*side = (int)length;
			const size_t cells = (size_t)length * length * length;
			// Every entry takes at least six characters of the file.
			if (cells * 6 > size)
				return false;
			table->assign(cells * 3, 0.0f);
			continue;
		}
		double* bound = line.compare(0, 10, "DOMAIN_MIN") == 0   ? low
		                : line.compare(0, 10, "DOMAIN_MAX") == 0 ? high
		                                                         : nullptr;
		const char* cursor = line.c_str() + (bound != nullptr ? 10 : 0);
		double triple[3];
		bool numbers = true;
		for (double& v : triple) {
			char* next;
			v = strtod(cursor, &next);
			numbers = numbers && next != cursor && std::isfinite(v);
			cursor = next;
		}
		if (!numbers)
			continue; // a keyword not needed here
		if (bound != nullptr) {
			std::copy(triple, triple + 3, bound);
		} else if (*side > 0 && values < table->size()) {
			for (double v : triple)
				(*table)[values++] = (float)v;
		}
	}
	if (*side == 0 || values != table->size())
		return false;
	for (size_t i = 0; i < table->size(); i++) {
		const double span = high[i % 3] - low[i % 3];
		(*table)[i] = span > 0 ? (float)(((*table)[i] - low[i % 3]) / span) : 0.0f;
	}
	return true;
}

} // namespace

std::unique_ptr<PSDAdjustment> psdMakeAdjustment(const PSDColorLookupSettings& settings,
                                                 const PSDRenderTarget& target,
                                                 PSDRenderSource& source)
{
	if (target.mode != PSD_MODE_RGB)
		return nullptr;
	std::vector<uint8> file;
	std::vector<float> table;
	int side;
	if (!source.ReadTable(settings.table, &file, kMostTableBytes) ||
	    !parseCube(file, &table, &side))
		return nullptr;
	return std::unique_ptr<PSDAdjustment>(new ColorLookup(std::move(table), side));
}
