#include "cparamdisplay.h"
#include "../cbitmap.h"
#include "../cdrawcontext.h"

#include <cstdio>

namespace VSTGUI {

CParamDisplay::CParamDisplay (const CRect& size, CBitmap* background, int32_t style)
    : CControl (size, nullptr, -1, background), font (kNormalFont), style (style)
{}

CParamDisplay::CParamDisplay (const CParamDisplay& o)
    : CControl (o), font (o.font), fontColor (o.fontColor), backColor (o.backColor),
      frameColor (o.frameColor), horiTxtAlign (o.horiTxtAlign), style (o.style), antialias (o.antialias)
{}

void CParamDisplay::draw (CDrawContext* context)
{
	drawBack (context);
	if (!(style & kNoTextStyle))
	{
		char text[32];
		std::snprintf (text, sizeof (text), "%.2f", static_cast<double> (value));
		drawPlatformText (context, text);
	}
	setDirty (false);
}

void CParamDisplay::drawBack (CDrawContext* context)
{
	if (background)
		background->draw (context, size);
	else if (!transparency && !(style & kNoDrawStyle))
	{
		context->setDrawMode (kAliasing);
		context->setFillColor (backColor);
		context->setFrameColor (frameColor);
		context->setLineWidth (1);
		context->drawRect (size, (style & kNoFrame) ? kDrawFilled : kDrawFilledAndStroked);
	}
}

void CParamDisplay::drawPlatformText (CDrawContext* context, const UTF8String& string)
{
	context->setFont (font);
	context->setFontColor (fontColor);
	context->drawString (string, size, horiTxtAlign, antialias);
}

void CParamDisplay::setFont (CFontRef f)
{
	if (f && f != font.get ())
	{
		font = f;
		setDirty ();
	}
}

void CParamDisplay::setFontColor (const CColor& color)
{
	if (color != fontColor)
	{
		fontColor = color;
		setDirty ();
	}
}

void CParamDisplay::setBackColor (const CColor& color)
{
	if (color != backColor)
	{
		backColor = color;
		setDirty ();
	}
}

void CParamDisplay::setFrameColor (const CColor& color)
{
	if (color != frameColor)
	{
		frameColor = color;
		setDirty ();
	}
}

void CParamDisplay::setHoriAlign (CHoriTxtAlign align)
{
	if (align != horiTxtAlign)
	{
		horiTxtAlign = align;
		setDirty ();
	}
}

void CParamDisplay::setStyle (int32_t val)
{
	if (val != style)
	{
		style = val;
		setDirty ();
	}
}

void CParamDisplay::setTransparency (bool state)
{
	if (state != transparency)
	{
		CControl::setTransparency (state);
		setDirty ();
	}
}

} // namespace VSTGUI
