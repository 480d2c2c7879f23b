// The SliceSize switch: a row of equally wide positions, one of them selected.
#pragma once

#include "vstgui/lib/cbitmap.h"
#include "vstgui/lib/controls/ccontrol.h"

// Each position is as wide as `bitmap`, which is drawn in the selected one over a black box.
// The left button selects the position under the mouse, while pressed and while dragging; each
// selected position is sent to the listener once, as index / (positions - 1).
class Switch : public VSTGUI::CControl
{
public:
	// Fewer than two positions count as two.
	Switch (const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag,
	        VSTGUI::CBitmap* bitmap, int32_t positions);

	void draw (VSTGUI::CDrawContext* context) override;
	VSTGUI::CMouseEventResult onMouseDown (VSTGUI::CPoint& where,
	                                       const VSTGUI::CButtonState& buttons) override;
	VSTGUI::CMouseEventResult onMouseMoved (VSTGUI::CPoint& where,
	                                        const VSTGUI::CButtonState& buttons) override;
	// Selects the position of v without notifying; the control's own value is not written.
	void setValue (float v) override;

protected:
	~Switch () noexcept override = default;

private:
	// The position under x, limited to the positions.
	int32_t positionAt (VSTGUI::CCoord x) const;
	// Selects the position under x; tells the listener when it is not the one reported last.
	bool select (VSTGUI::CCoord x);

	int32_t positions;
	int32_t index {0};
	int32_t lastIndex {-1}; // the position last reported to the listener, or set by setValue
	VSTGUI::SharedPointer<VSTGUI::CBitmap> bitmap;
};
