#ifndef _RECT_H
#define _RECT_H

#include <Point.h>

// Inclusive coordinates: a W x H pixel area is (0, 0, W - 1, H - 1).
class BRect {
public:
	float left;
	float top;
	float right;
	float bottom;

	BRect() : left(0), top(0), right(-1), bottom(-1) {}
	BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
	BRect(BPoint leftTop, BPoint rightBottom)
	    : left(leftTop.x), top(leftTop.y), right(rightBottom.x), bottom(rightBottom.y)
	{
	}

	void Set(float l, float t, float r, float b)
	{
		left = l;
		top = t;
		right = r;
		bottom = b;
	}

	BPoint LeftTop() const { return BPoint(left, top); }
	BPoint RightBottom() const { return BPoint(right, bottom); }
	float Width() const { return right - left; }
	float Height() const { return bottom - top; }
	int32 IntegerWidth() const;
	int32 IntegerHeight() const;
	bool IsValid() const { return left <= right && top <= bottom; }

	BRect& InsetBy(float dx, float dy);
	BRect& OffsetBy(float dx, float dy);
	BRect& OffsetTo(float x, float y);
	BRect& OffsetTo(BPoint p) { return OffsetTo(p.x, p.y); }
	BRect InsetByCopy(float dx, float dy) const;
	BRect OffsetByCopy(float dx, float dy) const;
	BRect OffsetToCopy(float x, float y) const;

	bool Contains(BPoint p) const;
	bool Contains(BRect r) const;
	bool Intersects(BRect r) const;
	BRect operator&(BRect r) const;
	BRect operator|(BRect r) const;

	bool operator==(const BRect& r) const;
	bool operator!=(const BRect& r) const { return !(*this == r); }
};

#endif
