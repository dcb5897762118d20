#ifndef _STRING_VIEW_H
#define _STRING_VIEW_H

#include <View.h>

#include <string>

// One line of text, left-aligned and centred vertically.
class BStringView : public BView {
public:
	BStringView(BRect frame, const char* name, const char* text,
	            uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW);
	virtual ~BStringView();

	virtual void AttachedToWindow();
	virtual void Draw(BRect updateRect);

	void SetText(const char* text);
	const char* Text() const;

private:
	std::string fText;
};

#endif
