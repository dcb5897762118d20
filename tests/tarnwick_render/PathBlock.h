#ifndef PATH_BLOCK_H
#define PATH_BLOCK_H

// Builds the data of a vector mask block, points given as fractions of the
// document's width and height.

#include <layers/PSDVectorPath.h>

#include <cmath>
#include <vector>

class PathBlock {
public:
	explicit PathBlock(uint32 flags = 0, bool startsFilled = false)
	{
		Put32(3);
		Put32(flags);
		Record(6);
		Record(8, startsFilled ? 1 : 0);
	}

	PathBlock& Subpath(int operation, uint16 knots, bool closed = true)
	{
		Put16(closed ? 0 : 3);
		Put16(knots);
		Put16(uint16(int16(operation)));
		for (int i = 0; i < 20; i++)
			fBytes.push_back(0);
		return *this;
	}

	PathBlock& Knot(double x, double y) { return Knot(x, y, x, y, x, y); }

	PathBlock& Knot(double beforeX, double beforeY, double x, double y, double afterX,
	                double afterY)
	{
		Put16(1);
		for (double value : {beforeY, beforeX, y, x, afterY, afterX})
			Put32(uint32(int32(std::lround(value * 16777216.0))));
		return *this;
	}

	PathBlock& Rectangle(int operation, double left, double top, double right, double bottom)
	{
		return Subpath(operation, 4)
		    .Knot(left, top)
		    .Knot(right, top)
		    .Knot(right, bottom)
		    .Knot(left, bottom);
	}

	// Four cubic arcs; for a square document.
	PathBlock& Circle(int operation, double x, double y, double radius)
	{
		const double k = 0.5522847498 * radius;
		return Subpath(operation, 4)
		    .Knot(x - k, y - radius, x, y - radius, x + k, y - radius)
		    .Knot(x + radius, y - k, x + radius, y, x + radius, y + k)
		    .Knot(x + k, y + radius, x, y + radius, x - k, y + radius)
		    .Knot(x - radius, y + k, x - radius, y, x - radius, y - k);
	}

	PathBlock& Record(uint16 selector, uint16 first = 0)
	{
		Put16(selector);
		Put16(first);
		for (int i = 0; i < 22; i++)
			fBytes.push_back(0);
		return *this;
	}

	std::vector<uint8>& Bytes() { return fBytes; }

	// The path of a document of this size.
	PSDVectorPath Read(int32 width = 100, int32 height = 100) const
	{
		PSDVectorPath path;
		psdReadVectorPath(fBytes.data(), fBytes.size(), width, height, 1 << 16, 1 << 20, &path);
		return path;
	}

private:
	void Put16(uint16 value)
	{
		fBytes.push_back(uint8(value >> 8));
		fBytes.push_back(uint8(value));
	}

	void Put32(uint32 value)
	{
		Put16(uint16(value >> 16));
		Put16(uint16(value));
	}

	std::vector<uint8> fBytes;
};

#endif
