#pragma once

#include "cbitmap.h"
#include "cdrawcontext.h"

#include <functional>
#include <string>

namespace VSTGUI {

// Draws into a bitmap instead of a window; needs no display.
class COffscreenContext : public CDrawContext
{
public:
	// A transparent bitmap of `size` points at `scaleFactor` pixels per point.
	static SharedPointer<COffscreenContext> create (const CPoint& size, double scaleFactor = 1.);

	CBitmap* getBitmap () const { return bitmap; }

private:
	COffscreenContext (CBitmap* bitmap, cairo_t* cr, const CPoint& size, double scaleFactor);

	SharedPointer<CBitmap> bitmap;
};

SharedPointer<CBitmap> renderBitmapOffscreen (const CPoint& size, double scaleFactor,
                                              const std::function<void (CDrawContext&)>& drawFunction);

// Renders a whole frame, at its zoom, at `scaleFactor` pixels per point.
SharedPointer<CBitmap> renderFrameOffscreen (CFrame* frame, double scaleFactor = 1.);
// Writes the bitmap's first resolution as a PNG file.
bool saveBitmapPNG (CBitmap* bitmap, const std::string& path);

} // namespace VSTGUI
