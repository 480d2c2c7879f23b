#pragma once

#include "ccolor.h"
#include "crect.h"
#include "platform/linux/cairobitmap.h"

#include <string>
#include <vector>

namespace VSTGUI {

// Names a resource: a file in the resources folder (see X11::setResourcePath), or an absolute path.
struct CResourceDescription
{
	enum Type : uint32_t
	{
		kIntegerType,
		kStringType,
		kUnknownType
	};

	CResourceDescription () = default;
	CResourceDescription (int32_t id) : type (kIntegerType) { u.id = id; }
	CResourceDescription (UTF8StringPtr name) : type (kStringType) { u.name = name; }

	Type type {kUnknownType};
	union
	{
		int32_t id;
		UTF8StringPtr name;
	} u {};
};

// An image in one or more resolutions. Its size in points is that of the first (scale-1) one;
// drawing uses the resolution that best fits the drawing scale.
class CBitmap : public CBaseObject
{
public:
	explicit CBitmap (const CResourceDescription& desc);
	// A transparent bitmap of this size in points, with a resolution at `scaleFactor`.
	CBitmap (CCoord width, CCoord height, double scaleFactor = 1.);
	explicit CBitmap (const PlatformBitmapPtr& platformBitmap);

	virtual void draw (CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint (0, 0),
	                   float alpha = 1.f);

	CCoord getWidth () const { return size.x; }
	CCoord getHeight () const { return size.y; }
	CPoint getSize () const { return size; }
	const CResourceDescription& getResourceDescription () const { return resourceDesc; }

	// The first resolution; null when nothing could be loaded.
	PlatformBitmapPtr getPlatformBitmap () const { return bitmaps.empty () ? nullptr : bitmaps.front (); }
	void setPlatformBitmap (const PlatformBitmapPtr& bitmap);
	// Adds a further resolution. Refused when its pixel size does not match the size in points
	// times its scale factor, or when that scale factor is already present.
	bool addBitmap (const PlatformBitmapPtr& platformBitmap);
	// Exact scale if present, else the nearest (the larger one on a tie).
	PlatformBitmapPtr getBestPlatformBitmapForScaleFactor (double scaleFactor) const;
	size_t getNumBitmaps () const { return bitmaps.size (); }

private:
	CResourceDescription resourceDesc;
	std::string resourceName;
	CPoint size;
	std::vector<PlatformBitmapPtr> bitmaps;
};

// Reads pixels of a bitmap's first resolution; colours come back un-premultiplied.
class CBitmapPixelAccess : public CBaseObject
{
public:
	static CBitmapPixelAccess* create (CBitmap* bitmap);

	bool setPosition (uint32_t x, uint32_t y);
	void getColor (CColor& color) const;
	uint32_t getBitmapWidth () const { return width; }
	uint32_t getBitmapHeight () const { return height; }

private:
	CBitmapPixelAccess () = default;

	SharedPointer<CBitmap> bitmap;
	const uint8_t* data {nullptr};
	int stride {0};
	uint32_t width {0}, height {0}, x {0}, y {0};
};

} // namespace VSTGUI
