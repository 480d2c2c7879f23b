// The GateSize slider: a horizontal, vector-drawn control with a black groove and a blue handle.
#pragma once

#include "vstgui/lib/controls/ccontrol.h"

#include <optional>

// The value follows the horizontal mouse position linearly: a click on the groove jumps there
// inside one edit, a drag that starts on the handle moves it, a kControl click sends the default.
class Slider2 : public VSTGUI::CControl
{
public:
	Slider2 (const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag);
	CLASS_METHODS (Slider2, CControl)

	void draw (VSTGUI::CDrawContext* context) override;
	VSTGUI::CMouseEventResult onMouseDown (VSTGUI::CPoint& where,
	                                       const VSTGUI::CButtonState& buttons) override;
	VSTGUI::CMouseEventResult onMouseUp (VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
	VSTGUI::CMouseEventResult onMouseMoved (VSTGUI::CPoint& where,
	                                        const VSTGUI::CButtonState& buttons) override;
	VSTGUI::CMouseEventResult onMouseCancel () override;
	// Stores a new value as is, without limiting it to 0..1; one that is not finite is ignored.
	void setValue (float v) override;

protected:
	~Slider2 () noexcept override = default;

private:
	// (x - left) / (width - 1); none for a slider under two points wide, which has no travel.
	std::optional<double> valueAt (VSTGUI::CCoord x) const;

	VSTGUI::CRect handleRect; // where the handle was drawn last, in the view rectangle's coordinates
};
