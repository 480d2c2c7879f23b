#pragma once

#include "../cstring.h"
#include "cparamdisplay.h"

namespace VSTGUI {

// A line of text, centred by default.
class CTextLabel : public CParamDisplay
{
public:
	CTextLabel (const CRect& size, UTF8StringPtr txt = nullptr, CBitmap* background = nullptr,
	            const int32_t style = 0);
	CTextLabel (const CTextLabel& other) = default;

	virtual void setText (const UTF8String& txt);
	virtual const UTF8String& getText () const { return text; }

	void draw (CDrawContext* context) override;
	CLASS_METHODS (CTextLabel, CParamDisplay)

protected:
	~CTextLabel () noexcept override = default;

	UTF8String text;
};

} // namespace VSTGUI
