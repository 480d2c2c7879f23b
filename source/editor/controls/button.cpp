#include "button.h"

#include "vstgui/lib/cdrawcontext.h"

#include <cmath>

using namespace VSTGUI;

Button::Button (const CRect& size, IControlListener* listener, int32_t tag) : CControl (size, listener, tag)
{}

void Button::setOffBitmap (CBitmap* picture)
{
	offBitmap = picture;
	shownBitmap = picture;
}

void Button::setOnBitmap (CBitmap* picture)
{
	// A shown on picture is replaced too, so the button never draws a released one.
	if (shownBitmap == onBitmap.get () && onBitmap.get () != offBitmap.get ())
		shownBitmap = picture;
	onBitmap = picture;
}

void Button::send (float v)
{
	value = v;
	valueChanged ();
}

void Button::draw (CDrawContext* context)
{
	if (!shownBitmap)
		return;
	context->drawBitmap (shownBitmap, getViewSize (), CPoint (0, 0), 1.f);
	setDirty (false);
}

CMouseEventResult Button::onMouseDown (CPoint&, const CButtonState& buttons)
{
	auto pressed = buttons.getButtonState ();
	auto modifiers = buttons.getModifierState ();
	if (pressed == kRButton)
		return kMouseEventNotHandled;
	if (pressed == kLButton && modifiers != kControl)
	{
		shownBitmap = onBitmap;
		if (toggle)
		{
			send (on ? 0.f : 1.f);
			latched = false;
		}
		else
			send (1.f);
	}
	if (pressed == kLButton && modifiers == kShift)
	{
		shownBitmap = onBitmap;
		send (1.f);
		latched = true;
		on = true;
	}
	if (pressed == kLButton && modifiers == kControl)
	{
		shownBitmap = onBitmap;
		send (getDefaultValue ());
	}
	// One gesture per press, also when a further button goes down while one is held (only the
	// first release reaches the button).
	if (!isEditing ())
		beginEdit ();
	invalid ();
	return kMouseEventHandled;
}

CMouseEventResult Button::onMouseUp (CPoint&, const CButtonState&)
{
	if (latched)
	{
		// The button stays on, but the host's gesture of the latching press ends.
		endEdit ();
		return kMouseEventNotHandled;
	}
	if (toggle)
	{
		bool wasOn = on;
		on = !on;
		if (!wasOn && value == 0.f)
			on = false;
		shownBitmap = on ? onBitmap : offBitmap;
	}
	else
	{
		shownBitmap = offBitmap;
		send (0.f);
		on = false;
	}
	endEdit ();
	invalid ();
	return kMouseEventHandled;
}

// A press taken away (the window closes while the button is held) still ends its gesture.
CMouseEventResult Button::onMouseCancel ()
{
	endEdit ();
	return kMouseEventHandled;
}

CMouseEventResult Button::onMouseEntered (CPoint&, const CButtonState&) { return kMouseEventHandled; }
CMouseEventResult Button::onMouseExited (CPoint&, const CButtonState&) { return kMouseEventHandled; }

void Button::setValue (float v)
{
	if (v == value || std::isnan (v))
		return;
	value = v;
	if (toggle)
	{
		on = v != 0.f;
		shownBitmap = on ? onBitmap : offBitmap;
	}
	else
		shownBitmap = v < 0.5f ? offBitmap : onBitmap;
	invalid ();
}
