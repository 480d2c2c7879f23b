#include "switch.h"

#include "vstgui/lib/cdrawcontext.h"

#include <algorithm>
#include <cmath>

using namespace VSTGUI;

Switch::Switch (const CRect& size, IControlListener* listener, int32_t tag, CBitmap* bitmap,
                int32_t positions)
    : CControl (size, listener, tag), positions (std::max (positions, 2)), bitmap (bitmap)
{}

int32_t Switch::positionAt (CCoord x) const
{
	CCoord width = bitmap ? bitmap->getWidth () : 0.;
	if (!(width > 0.))
		return 0;
	double i = std::trunc (std::trunc (x - getViewSize ().left) / width);
	// Left of the view selects the first position, at or past the right edge the last.
	if (!(i > 0.))
		return 0;
	return i >= positions - 1 ? positions - 1 : static_cast<int32_t> (i);
}

bool Switch::select (CCoord x)
{
	index = positionAt (x);
	bool changed = index != lastIndex;
	if (changed)
	{
		value = static_cast<float> (index) / static_cast<float> (positions - 1);
		valueChanged ();
	}
	lastIndex = index;
	return changed;
}

CMouseEventResult Switch::onMouseDown (CPoint& where, const CButtonState& buttons)
{
	if (buttons.getButtonState () == kLButton && select (where.x))
		invalid ();
	return kMouseEventHandled;
}

// No repaint request here: the changed value makes the control dirty for the frame's idle pass.
CMouseEventResult Switch::onMouseMoved (CPoint& where, const CButtonState& buttons)
{
	if (buttons.getButtonState () != kLButton)
		return kMouseEventNotHandled;
	select (where.x);
	return kMouseEventHandled;
}

void Switch::setValue (float v)
{
	if (std::isnan (v))
		return;
	float f = static_cast<float> (positions - 1) * v;
	auto i = static_cast<int32_t> (std::clamp (f, 0.f, static_cast<float> (positions - 1)));
	if (i == index)
		return;
	index = i;
	// The next press on the position last chosen with the mouse is reported again.
	lastIndex = i;
	setDirty (true);
}

void Switch::draw (CDrawContext* context)
{
	auto r = getViewSize ();
	context->setFillColor (CColor (0, 0, 0, 255));
	context->drawRect (CRect (r.left + 6, r.top + 6, r.right - 7, r.bottom - 7), kDrawFilled);
	if (bitmap)
	{
		CCoord w = bitmap->getWidth (), h = bitmap->getHeight ();
		CCoord x = std::trunc (r.left) + index * w, y = std::trunc (r.top);
		context->drawBitmap (bitmap, CRect (x, y, x + w, y + h), CPoint (0, 0), 1.f);
	}
	setDirty (false);
}
