#ifndef PSD_BAND_H
#define PSD_BAND_H

// A band of canvas rows the full width of the document: colour planes and
// alpha as floats, not premultiplied. Rendering goes band by band, so memory
// follows the document's width, never its area.

#include <SupportDefs.h>

#include <vector>

class PSDBand {
public:
	status_t Allocate(int colours, int32 width, int32 rows);
	void Clear();
	void CopyFrom(const PSDBand& other);

	int Colours() const { return fColours; }
	int32 Width() const { return fWidth; }
	int32 Rows() const { return fRows; }
	int32 Top() const { return fTop; }
	void SetTop(int32 top) { fTop = top; }
	// Plane p (p == Colours() is alpha), at canvas row y.
	float* Row(int p, int32 y) { return &fData[((size_t)p * fRows + (size_t)(y - fTop)) * fWidth]; }
	const float* Row(int p, int32 y) const
	{
		return &fData[((size_t)p * fRows + (size_t)(y - fTop)) * fWidth];
	}

private:
	int fColours = 0;
	int32 fWidth = 0;
	int32 fRows = 0;
	int32 fTop = 0;
	std::vector<float> fData;
};

#endif
