#include "coffscreencontext.h"
#include "cframe.h"

#include <cairo/cairo.h>
#include <cmath>
#include <fstream>

namespace VSTGUI {

COffscreenContext::COffscreenContext (CBitmap* bitmap, cairo_t* cr, const CPoint& size, double scaleFactor)
    : CDrawContext (cr, CRect (CPoint (), size), scaleFactor), bitmap (bitmap)
{}

SharedPointer<COffscreenContext> COffscreenContext::create (const CPoint& size, double scaleFactor)
{
	if (size.x <= 0 || size.y <= 0 || scaleFactor <= 0)
		return {};
	auto bitmap = makeOwned<CBitmap> (size.x, size.y, scaleFactor);
	auto platformBitmap = bitmap->getPlatformBitmap ();
	if (!platformBitmap)
		return {};
	auto cr = cairo_create (platformBitmap->getSurface ());
	auto context = owned (new COffscreenContext (bitmap, cr, size, scaleFactor));
	cairo_destroy (cr); // the context keeps its own reference
	return context;
}

SharedPointer<CBitmap> renderBitmapOffscreen (const CPoint& size, double scaleFactor,
                                              const std::function<void (CDrawContext&)>& drawFunction)
{
	auto context = COffscreenContext::create (size, scaleFactor);
	if (!context)
		return {};
	drawFunction (*context);
	SharedPointer<CBitmap> bitmap (context->getBitmap ());
	context = nullptr; // finishes drawing
	if (auto p = bitmap->getPlatformBitmap ())
		cairo_surface_flush (p->getSurface ());
	return bitmap;
}

SharedPointer<CBitmap> renderFrameOffscreen (CFrame* frame, double scaleFactor)
{
	if (!frame)
		return {};
	frame->invalidateDirtyViews ();
	auto r = frame->getViewSize ();
	return renderBitmapOffscreen (r.getSize (), scaleFactor, [&] (CDrawContext& context) {
		frame->platformDrawRect (&context, CRect (0, 0, r.getWidth (), r.getHeight ()));
	});
}

bool saveBitmapPNG (CBitmap* bitmap, const std::string& path)
{
	auto platformBitmap = bitmap ? bitmap->getPlatformBitmap () : nullptr;
	if (!platformBitmap)
		return false;
	auto png = platformBitmap->createMemoryPNGRepresentation ();
	std::ofstream file (path, std::ios::binary);
	file.write (reinterpret_cast<const char*> (png.data ()), static_cast<std::streamsize> (png.size ()));
	return !png.empty () && file.good ();
}

} // namespace VSTGUI
