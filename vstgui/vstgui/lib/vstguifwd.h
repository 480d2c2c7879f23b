// Coordinates, enumerations and forward declarations shared by the whole library.
#pragma once

#include "vstguibase.h"

namespace VSTGUI {

using CCoord = double;

struct CPoint;
struct CRect;
struct CColor;
struct CButtonState;
class CGraphicsTransform;
class UTF8String;
class CFontDesc;
using CFontRef = CFontDesc*;
class CView;
class CViewContainer;
class CFrame;
class CControl;
class CTextLabel;
class CParamDisplay;
class CBitmap;
class CDrawContext;
class COffscreenContext;
class CGraphicsPath;
class CGradient;
class CVSTGUITimer;
class IControlListener;
class IMouseObserver;
class VSTGUIEditorInterface;
namespace Cairo {
class Bitmap;
}
// Cairo only: the platform bitmap is a cairo image surface (platform/linux/cairobitmap.h).
using IPlatformBitmap = Cairo::Bitmap;
using PlatformBitmapPtr = SharedPointer<IPlatformBitmap>;

// Mouse buttons and modifier keys, as bits of CButtonState.
enum CButton : int32_t
{
	kDoubleClick = 1 << 0,
	kLButton = 1 << 1,
	kMButton = 1 << 2,
	kRButton = 1 << 3,
	kShift = 1 << 4,
	kControl = 1 << 5,
	kAlt = 1 << 6,
	kApple = 1 << 7,
	kButton4 = 1 << 8,
	kButton5 = 1 << 9,
};

enum CMouseEventResult
{
	kMouseEventNotImplemented = 0,
	kMouseEventHandled,
	kMouseEventNotHandled,
};

enum CDrawStyle
{
	kDrawStroked = 0,
	kDrawFilled,
	kDrawFilledAndStroked
};

enum CHoriTxtAlign
{
	kLeftText = 0,
	kCenterText,
	kRightText
};

// Text and frame styles of CParamDisplay / CTextLabel.
enum CViewStyle : int32_t
{
	kNoTextStyle = 1 << 11,
	kNoDrawStyle = 1 << 12,
	kNoFrame = 1 << 14,
};

enum class PlatformType : int32_t
{
	kHWND,
	kWindowRef,
	kNSView,
	kUIView,
	kHWNDTopLevel,
	kX11EmbedWindowID,
	kDefaultNative = -1
};

} // namespace VSTGUI
