#pragma once

#include "ccolor.h"
#include "cdrawdefs.h"
#include "cfont.h"
#include "cgraphicstransform.h"

#include <vector>

typedef struct _cairo cairo_t;

namespace VSTGUI {

// Drawing on a cairo surface. Coordinates are points; the surface has getScaleFactor () pixels
// per point (the platform's content scale), and views may push further transforms (zoom).
class CDrawContext : public CBaseObject
{
public:
	enum PathDrawMode
	{
		kPathFilled,
		kPathFilledEvenOdd,
		kPathStroked
	};

	// Keeps a transform in effect for its lifetime; `t` applies before the current transform.
	class Transform
	{
	public:
		Transform (CDrawContext& context, const CGraphicsTransform& t) : context (context)
		{
			context.pushTransform (t);
		}
		~Transform () noexcept { context.popTransform (); }

	private:
		CDrawContext& context;
	};

	// Draws with `cr` (a reference is kept) on a surface covering `surfaceRect` in points.
	CDrawContext (cairo_t* cr, const CRect& surfaceRect, double scaleFactor);
	~CDrawContext () noexcept override;

	void drawLine (const CPoint& start, const CPoint& end);
	void drawLine (const LinePair& line) { drawLine (line.first, line.second); }
	void drawRect (const CRect& rect, const CDrawStyle drawStyle = kDrawStroked);
	void drawString (const UTF8String& string, const CRect& rect, const CHoriTxtAlign hAlign = kCenterText,
	                 bool antialias = true);
	// Draws with the baseline starting at `point`.
	void drawString (const UTF8String& string, const CPoint& point, bool antialias = true);
	CCoord getStringWidth (const UTF8String& string);
	// Draws the part of the bitmap from `offset` on, at its size in points, clipped to `dest`.
	void drawBitmap (CBitmap* bitmap, const CRect& dest, const CPoint& offset = CPoint (0, 0),
	                 float alpha = 1.f);
	void clearRect (const CRect& rect);

	CGraphicsPath* createGraphicsPath ();
	void drawGraphicsPath (CGraphicsPath* path, PathDrawMode mode = kPathFilled,
	                       CGraphicsTransform* transformation = nullptr);
	void fillLinearGradient (CGraphicsPath* path, const CGradient& gradient, const CPoint& startPoint,
	                         const CPoint& endPoint, bool evenOdd = false,
	                         CGraphicsTransform* transformation = nullptr);

	void setLineWidth (CCoord width) { state.lineWidth = width; }
	CCoord getLineWidth () const { return state.lineWidth; }
	void setDrawMode (CDrawMode mode) { state.drawMode = mode; }
	CDrawMode getDrawMode () const { return state.drawMode; }
	void setFillColor (const CColor& color) { state.fillColor = color; }
	CColor getFillColor () const { return state.fillColor; }
	void setFrameColor (const CColor& color) { state.frameColor = color; }
	CColor getFrameColor () const { return state.frameColor; }
	void setFontColor (const CColor& color) { state.fontColor = color; }
	CColor getFontColor () const { return state.fontColor; }
	// size 0 and style -1 keep the font's own.
	void setFont (const CFontRef font, const CCoord& size = 0, const int32_t& style = -1);
	CFontRef getFont () const { return state.font; }
	void setGlobalAlpha (float alpha) { state.globalAlpha = alpha; }
	float getGlobalAlpha () const { return state.globalAlpha; }

	// The clip rectangle in the current (transformed) coordinates.
	void setClipRect (const CRect& clip);
	CRect& getClipRect (CRect& clip) const;
	void resetClipRect ();

	void saveGlobalState ();
	void restoreGlobalState ();

	double getScaleFactor () const { return scaleFactor; }
	const CGraphicsTransform& getCurrentTransform () const { return state.transform; }
	const CRect& getSurfaceRect () const { return surfaceRect; }
	cairo_t* getCairo () const { return cr; }

	void pushTransform (const CGraphicsTransform& t);
	void popTransform ();

private:
	struct State
	{
		CColor fillColor {kWhiteCColor};
		CColor frameColor {kBlackCColor};
		CColor fontColor {kBlackCColor};
		CCoord lineWidth {1.};
		CDrawMode drawMode {kAliasing};
		float globalAlpha {1.f};
		SharedPointer<CFontDesc> font;
		CGraphicsTransform transform; // points to surface points
		CRect clip;                   // in surface points
	};

	void applyState ();
	void setSourceColor (const CColor& color);
	void addPath (const CGraphicsPath& path);
	void selectFont ();

	cairo_t* cr;
	CRect surfaceRect;
	double scaleFactor;
	State state;
	std::vector<State> stateStack;
	std::vector<CGraphicsTransform> transformStack;
};

} // namespace VSTGUI
