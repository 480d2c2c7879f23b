// A bitmap that takes further resolutions of its picture from files of their own.
#pragma once

#include "vstgui/lib/cbitmap.h"

class MyBitmap : public VSTGUI::CBitmap
{
public:
	// The picture at scale 1.
	explicit MyBitmap (const VSTGUI::CResourceDescription& desc) : CBitmap (desc) {}

	// Adds the picture in `fileName` as a further resolution, its scale being its width in pixels
	// over this bitmap's width in points. False when the file cannot be read or does not fit.
	bool addScaledImage (VSTGUI::UTF8StringPtr fileName);
};
