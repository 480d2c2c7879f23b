#include "cbitmap.h"
#include "cdrawcontext.h"
#include "platform/linux/x11platform.h"

#include <cairo/cairo.h>
#include <cmath>

namespace VSTGUI {

CBitmap::CBitmap (const CResourceDescription& desc) : resourceDesc (desc)
{
	if (desc.type != CResourceDescription::kStringType || !desc.u.name)
		return;
	resourceName = desc.u.name;
	resourceDesc.u.name = resourceName.data ();
	auto& folder = X11::getResourcePath ();
	auto path = resourceName.front () == '/' || folder.empty () ? resourceName : folder + "/" + resourceName;
	if (auto bitmap = IPlatformBitmap::createFromPath (path.data ()))
		setPlatformBitmap (bitmap);
}

CBitmap::CBitmap (CCoord width, CCoord height, double scaleFactor)
{
	if (auto bitmap = IPlatformBitmap::create (
	        CPoint (std::round (width * scaleFactor), std::round (height * scaleFactor))))
	{
		bitmap->setScaleFactor (scaleFactor);
		setPlatformBitmap (bitmap);
	}
}

CBitmap::CBitmap (const PlatformBitmapPtr& platformBitmap) { setPlatformBitmap (platformBitmap); }

void CBitmap::draw (CDrawContext* context, const CRect& rect, const CPoint& offset, float alpha)
{
	context->drawBitmap (this, rect, offset, alpha);
}

void CBitmap::setPlatformBitmap (const PlatformBitmapPtr& bitmap)
{
	bitmaps.clear ();
	size = {};
	if (!bitmap)
		return;
	bitmaps.push_back (bitmap);
	size = CPoint (bitmap->getSize ().x / bitmap->getScaleFactor (),
	               bitmap->getSize ().y / bitmap->getScaleFactor ());
}

bool CBitmap::addBitmap (const PlatformBitmapPtr& platformBitmap)
{
	if (!platformBitmap || bitmaps.empty ())
		return false;
	double scale = platformBitmap->getScaleFactor ();
	// Rounding: a 1.5x image of an odd size in points has a whole number of pixels.
	auto& pixels = platformBitmap->getSize ();
	if (std::abs (pixels.x - size.x * scale) >= 1. || std::abs (pixels.y - size.y * scale) >= 1.)
		return false;
	for (auto& b : bitmaps)
		if (b->getScaleFactor () == scale)
			return false;
	bitmaps.push_back (platformBitmap);
	return true;
}

PlatformBitmapPtr CBitmap::getBestPlatformBitmapForScaleFactor (double scaleFactor) const
{
	PlatformBitmapPtr best;
	double bestDiff = 0.;
	for (auto& b : bitmaps)
	{
		double diff = std::abs (b->getScaleFactor () - scaleFactor);
		if (!best || diff < bestDiff || (diff == bestDiff && b->getScaleFactor () > best->getScaleFactor ()))
		{
			best = b;
			bestDiff = diff;
		}
	}
	return best;
}

CBitmapPixelAccess* CBitmapPixelAccess::create (CBitmap* bitmap)
{
	auto platformBitmap = bitmap ? bitmap->getPlatformBitmap () : nullptr;
	if (!platformBitmap)
		return nullptr;
	auto access = new CBitmapPixelAccess;
	access->bitmap = bitmap;
	auto surface = platformBitmap->getSurface ();
	cairo_surface_flush (surface);
	access->data = cairo_image_surface_get_data (surface);
	access->stride = cairo_image_surface_get_stride (surface);
	access->width = static_cast<uint32_t> (cairo_image_surface_get_width (surface));
	access->height = static_cast<uint32_t> (cairo_image_surface_get_height (surface));
	return access;
}

bool CBitmapPixelAccess::setPosition (uint32_t px, uint32_t py)
{
	if (px >= width || py >= height)
		return false;
	x = px;
	y = py;
	return true;
}

void CBitmapPixelAccess::getColor (CColor& color) const
{
	uint32_t pixel = reinterpret_cast<const uint32_t*> (data + y * stride)[x]; // native-endian ARGB
	uint8_t a = pixel >> 24;
	auto unpremultiply = [a] (uint32_t c) {
		return static_cast<uint8_t> (a ? std::min<uint32_t> (255, (c * 255 + a / 2) / a) : 0);
	};
	color = CColor (unpremultiply ((pixel >> 16) & 0xFF), unpremultiply ((pixel >> 8) & 0xFF),
	                unpremultiply (pixel & 0xFF), a);
}

} // namespace VSTGUI
