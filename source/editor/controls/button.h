// The Break push button: a control drawn with one of two pictures.
#pragma once

#include "vstgui/lib/cbitmap.h"
#include "vstgui/lib/controls/ccontrol.h"

// In toggle mode a press sends the toggled value and the release flips `on`; in momentary mode
// a press sends 1 and the release 0. Shift latches the button on; a kControl click sends the
// default value.
class Button : public VSTGUI::CControl
{
public:
	Button (const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, int32_t tag);

	// Also shows the off picture.
	void setOffBitmap (VSTGUI::CBitmap* picture);
	void setOnBitmap (VSTGUI::CBitmap* picture);

	void draw (VSTGUI::CDrawContext* context) override;
	VSTGUI::CMouseEventResult onMouseDown (VSTGUI::CPoint& where,
	                                       const VSTGUI::CButtonState& buttons) override;
	VSTGUI::CMouseEventResult onMouseUp (VSTGUI::CPoint& where, const VSTGUI::CButtonState& buttons) override;
	VSTGUI::CMouseEventResult onMouseCancel () override;
	VSTGUI::CMouseEventResult onMouseEntered (VSTGUI::CPoint& where,
	                                          const VSTGUI::CButtonState& buttons) override;
	VSTGUI::CMouseEventResult onMouseExited (VSTGUI::CPoint& where,
	                                         const VSTGUI::CButtonState& buttons) override;
	// Moves the button without notifying; a repeated value changes nothing.
	void setValue (float v) override;

	bool toggle {false};

protected:
	~Button () noexcept override = default;

private:
	// Stores the value and tells the listener.
	void send (float v);

	VSTGUI::SharedPointer<VSTGUI::CBitmap> offBitmap;
	VSTGUI::SharedPointer<VSTGUI::CBitmap> onBitmap;
	VSTGUI::CBitmap* shownBitmap {nullptr}; // null, offBitmap or onBitmap
	bool on {false};
	bool latched {false}; // set by a Shift-click: the release leaves the button on
};
