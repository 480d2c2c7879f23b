#pragma once

#include "cstring.h"

namespace VSTGUI {

enum CTxtFace
{
	kNormalFace = 0,
	kBoldFace = 1 << 1,
	kItalicFace = 1 << 2,
};

// A font by family name, size in points and style (CTxtFace bits); resolved through fontconfig.
class CFontDesc : public CBaseObject
{
public:
	CFontDesc (UTF8StringPtr name = nullptr, CCoord size = 0, int32_t style = 0)
	    : name (name), size (size), style (style)
	{}

	const UTF8String& getName () const { return name; }
	CCoord getSize () const { return size; }
	int32_t getStyle () const { return style; }
	void setName (const UTF8String& n) { name = n; }
	void setSize (CCoord s) { size = s; }
	void setStyle (int32_t s) { style = s; }

private:
	UTF8String name;
	CCoord size;
	int32_t style;
};

// Shared fonts; never released.
extern const CFontRef kSystemFont;
extern const CFontRef kNormalFont;

} // namespace VSTGUI
