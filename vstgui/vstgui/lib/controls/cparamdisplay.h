#pragma once

#include "../cfont.h"
#include "ccontrol.h"

namespace VSTGUI {

// Shows its value as text over a background (colour, bitmap, or nothing when transparent).
class CParamDisplay : public CControl
{
public:
	CParamDisplay (const CRect& size, CBitmap* background = nullptr, int32_t style = 0);
	CParamDisplay (const CParamDisplay& other);

	void draw (CDrawContext* context) override;

	void setFont (CFontRef font);
	CFontRef getFont () const { return font; }
	void setFontColor (const CColor& color);
	CColor getFontColor () const { return fontColor; }
	void setBackColor (const CColor& color);
	CColor getBackColor () const { return backColor; }
	void setFrameColor (const CColor& color);
	CColor getFrameColor () const { return frameColor; }
	void setHoriAlign (CHoriTxtAlign align);
	CHoriTxtAlign getHoriAlign () const { return horiTxtAlign; }
	void setStyle (int32_t val);
	int32_t getStyle () const { return style; }
	void setAntialias (bool state) { antialias = state; }
	bool getAntialias () const { return antialias; }
	void setTransparency (bool state) override;

protected:
	~CParamDisplay () noexcept override = default;
	virtual void drawBack (CDrawContext* context);
	virtual void drawPlatformText (CDrawContext* context, const UTF8String& string);

	SharedPointer<CFontDesc> font;
	CColor fontColor {kWhiteCColor};
	CColor backColor {kBlackCColor};
	CColor frameColor {kBlackCColor};
	CHoriTxtAlign horiTxtAlign {kCenterText};
	int32_t style;
	bool antialias {true};
};

} // namespace VSTGUI
