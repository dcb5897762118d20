#include "PSDBand.h"

#include <algorithm>
#include <new>

status_t PSDBand::Allocate(int colours, int32 width, int32 rows)
{
	fColours = colours;
	fWidth = width;
	fRows = rows;
	try {
		fData.assign((size_t)(colours + 1) * width * rows, 0.0f);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	return B_OK;
}

void PSDBand::Clear()
{
	std::fill(fData.begin(), fData.end(), 0.0f);
}

void PSDBand::CopyFrom(const PSDBand& other)
{
	fTop = other.fTop;
	std::copy(other.fData.begin(), other.fData.end(), fData.begin());
}
