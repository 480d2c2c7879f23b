#include "simpledisplay.h"

#include "vstgui/lib/cdrawcontext.h"

using namespace VSTGUI;

void SimpleDisplay::setText (UTF8StringPtr newText)
{
	text = UTF8String (newText);
	setDirty (true);
}

void SimpleDisplay::draw (CDrawContext* context)
{
	context->setFontColor (fontColor);
	context->setDrawMode (kAntiAliasing);
	context->drawString (text, size, kCenterText, true);
}
