// One line of centred text (the gate readout).
#pragma once

#include "vstgui/lib/ccolor.h"
#include "vstgui/lib/cstring.h"
#include "vstgui/lib/cview.h"

class SimpleDisplay : public VSTGUI::CView
{
public:
	explicit SimpleDisplay (const VSTGUI::CRect& size) : CView (size) {}

	// Shown from the frame's next idle pass on; null counts as empty.
	void setText (VSTGUI::UTF8StringPtr newText);
	const VSTGUI::UTF8String& getText () const { return text; }

	// The text alone, anti-aliased, in the context's current font: no background, no frame.
	void draw (VSTGUI::CDrawContext* context) override;

	VSTGUI::CColor fontColor {255, 255, 255, 255};

private:
	VSTGUI::UTF8String text;
};
