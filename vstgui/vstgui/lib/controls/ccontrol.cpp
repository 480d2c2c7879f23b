#include "ccontrol.h"
#include "../cframe.h"
#include "../cgraphicspath.h"

#include <algorithm>

namespace VSTGUI {

CControl::CControl (const CRect& size, IControlListener* listener, int32_t tag, CBitmap* background)
    : CView (size), listener (listener), tag (tag)
{
	setBackground (background);
}

// The copy starts without an open edit.
CControl::CControl (const CControl& o)
    : CView (o), IFocusDrawing (o), listener (o.listener), tag (o.tag), value (o.value), vmin (o.vmin),
      vmax (o.vmax), defaultValue (o.defaultValue), oldValue (o.oldValue)
{}

void CControl::setValue (float val) { value = std::min (std::max (val, vmin), vmax); }

void CControl::setValueNormalized (float val)
{
	val = std::min (std::max (val, 0.f), 1.f);
	setValue (getRange () * val + vmin);
}

float CControl::getValueNormalized () const
{
	auto range = getRange ();
	return range == 0.f ? 0.f : (value - vmin) / range;
}

void CControl::setTag (int32_t val)
{
	if (listener)
		listener->controlTagWillChange (this);
	tag = val;
	if (listener)
		listener->controlTagDidChange (this);
}

void CControl::beginEdit ()
{
	if (++editCount != 1)
		return;
	if (auto frame = getFrame ())
		frame->beginEdit (tag);
	if (listener)
		listener->controlBeginEdit (this);
}

void CControl::endEdit ()
{
	if (editCount == 0 || --editCount != 0)
		return;
	if (listener)
		listener->controlEndEdit (this);
	if (auto frame = getFrame ())
		frame->endEdit (tag);
}

void CControl::valueChanged ()
{
	if (listener)
		listener->valueChanged (this);
}

// Not dirty means: the value drawn last is the current one.
void CControl::setDirty (bool state)
{
	CView::setDirty (state);
	if (state)
		oldValue = value != -1.f ? -1.f : 0.f;
	else
		oldValue = value;
}

bool CControl::isDirty () const { return oldValue != value || CView::isDirty (); }

bool CControl::getFocusPath (CGraphicsPath& outPath)
{
	outPath.addRect (getViewSize ());
	return true;
}

} // namespace VSTGUI
