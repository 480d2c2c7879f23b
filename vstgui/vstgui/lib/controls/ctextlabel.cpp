#include "ctextlabel.h"

namespace VSTGUI {

CTextLabel::CTextLabel (const CRect& size, UTF8StringPtr txt, CBitmap* background, const int32_t style)
    : CParamDisplay (size, background, style), text (txt)
{}

void CTextLabel::setText (const UTF8String& txt)
{
	if (txt == text)
		return;
	text = txt;
	setDirty ();
}

void CTextLabel::draw (CDrawContext* context)
{
	drawBack (context);
	if (!(style & kNoTextStyle))
		drawPlatformText (context, text);
	setDirty (false);
}

} // namespace VSTGUI
