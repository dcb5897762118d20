#ifndef _CONTROL_H
#define _CONTROL_H

#include <Invoker.h>
#include <View.h>

#include <string>

enum {
	B_CONTROL_OFF = 0,
	B_CONTROL_ON = 1,
};

// A view with a label and a value that the user changes with the mouse; a
// change invokes the control's message. Without a target of its own the
// control targets its window.
class BControl : public BView, public BInvoker {
public:
	BControl(BRect frame, const char* name, const char* label, BMessage* message,
	         uint32 resizingMode, uint32 flags);
	virtual ~BControl();

	virtual void AttachedToWindow();
	virtual void MouseDown(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);

	virtual void SetLabel(const char* label);
	const char* Label() const;
	virtual void SetValue(int32 value);
	int32 Value() const;

protected:
	bool IsTracking() const;
	void SetTracking(bool tracking);
	// While tracking: whether the mouse is over the control.
	bool IsPressed() const;
	// The label's baseline, centred in the control's height.
	float LabelBaseline() const;
	// The square a check box or radio button marks, centred vertically.
	BRect IndicatorFrame() const;
	void DrawLabel();

private:
	std::string fLabel;
	int32 fValue;
	bool fTracking;
	bool fPressed;
};

#endif
