#include "x11frame.h"

#include "../../cdrawcontext.h"
#include "../../cframe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cairo/cairo-xlib.h>
#include <cairo/cairo.h>

#include <cmath>

namespace VSTGUI {
namespace X11 {
namespace {

constexpr unsigned long kDoubleClickTime = 250; // ms
constexpr uint32_t kRedrawInterval = 16;        // ms

// X button numbers 1, 2, 3, 8, 9; 4 to 7 are the wheel.
int32_t buttonFromX (unsigned int button)
{
	switch (button)
	{
		case Button1:
			return kLButton;
		case Button2:
			return kMButton;
		case Button3:
			return kRButton;
		case 8:
			return kButton4;
		case 9:
			return kButton5;
	}
	return 0;
}

int32_t modifiersFromX (unsigned int state)
{
	int32_t result = 0;
	if (state & ShiftMask)
		result |= kShift;
	if (state & ControlMask)
		result |= kControl;
	if (state & Mod1Mask)
		result |= kAlt;
	if (state & Mod4Mask)
		result |= kApple;
	return result;
}

int32_t buttonsFromXState (unsigned int state)
{
	int32_t result = 0;
	if (state & Button1Mask)
		result |= kLButton;
	if (state & Button2Mask)
		result |= kMButton;
	if (state & Button3Mask)
		result |= kRButton;
	return result;
}

} // namespace

Frame::Frame (CFrame* frame, unsigned long parent, const SharedPointer<IRunLoop>& runLoop, double scaleFactor)
    : frame (frame), runLoop (runLoop), scaleFactor (scaleFactor), size (frame->getViewSize ())
{
	if (!runLoop || !parent || !(display = XOpenDisplay (nullptr)))
		return;
	auto w = static_cast<unsigned> (std::max (1., std::ceil (size.getWidth () * scaleFactor)));
	auto h = static_cast<unsigned> (std::max (1., std::ceil (size.getHeight () * scaleFactor)));

	XSetWindowAttributes attributes {};
	attributes.background_pixmap = None; // we paint everything; avoids flicker
	attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
	                        EnterWindowMask | LeaveWindowMask | StructureNotifyMask;
	window = XCreateWindow (display, parent, 0, 0, w, h, 0, CopyFromParent, InputOutput, CopyFromParent,
	                        CWBackPixmap | CWEventMask, &attributes);

	// XEmbed: version 0, mapped.
	Atom xembedInfo = XInternAtom (display, "_XEMBED_INFO", False);
	long info[2] = {0, 1};
	XChangeProperty (display, window, xembedInfo, xembedInfo, 32, PropModeReplace,
	                 reinterpret_cast<unsigned char*> (info), 2);

	XWindowAttributes windowAttributes;
	XGetWindowAttributes (display, window, &windowAttributes);
	surface = cairo_xlib_surface_create (display, window, windowAttributes.visual, w, h);
	XMapWindow (display, window);
	XFlush (display);

	eventsRegistered = runLoop->registerEventHandler (ConnectionNumber (display), this);
	// Without the timer, repaints follow events and idle () only.
	redrawTimerRegistered = eventsRegistered && runLoop->registerTimer (kRedrawInterval, this);
}

Frame::~Frame () noexcept
{
	if (eventsRegistered)
		runLoop->unregisterEventHandler (this);
	if (redrawTimerRegistered)
		runLoop->unregisterTimer (this);
	if (surface)
		cairo_surface_destroy (surface);
	if (display)
	{
		if (window)
			XDestroyWindow (display, window);
		XCloseDisplay (display);
	}
}

void Frame::setSize (const CRect& newSize)
{
	size = newSize;
	if (!window)
		return;
	auto w = static_cast<int> (std::max (1., std::ceil (size.getWidth () * scaleFactor)));
	auto h = static_cast<int> (std::max (1., std::ceil (size.getHeight () * scaleFactor)));
	XResizeWindow (display, window, w, h);
	cairo_xlib_surface_set_size (surface, w, h);
	dirtyRect = CRect (0, 0, w, h);
	XFlush (display);
}

void Frame::setScaleFactor (double factor)
{
	scaleFactor = factor;
	setSize (size);
}

void Frame::invalidRect (const CRect& rect)
{
	CRect r (rect.left * scaleFactor, rect.top * scaleFactor, rect.right * scaleFactor,
	         rect.bottom * scaleFactor);
	r.left = std::floor (r.left);
	r.top = std::floor (r.top);
	r.right = std::ceil (r.right);
	r.bottom = std::ceil (r.bottom);
	dirtyRect.unite (r);
}

void Frame::redraw ()
{
	if (!surface || dirtyRect.isEmpty () || inDraw)
		return;
	inDraw = true;
	CRect pixels = dirtyRect;
	dirtyRect = {};
	auto cr = cairo_create (surface);
	cairo_rectangle (cr, pixels.left, pixels.top, pixels.getWidth (), pixels.getHeight ());
	cairo_clip (cr);
	cairo_push_group (cr); // paint off screen, show at once
	{
		CRect surfaceRect (0, 0, size.getWidth (), size.getHeight ());
		auto context = makeOwned<CDrawContext> (cr, surfaceRect, scaleFactor);
		CRect points (pixels.left / scaleFactor, pixels.top / scaleFactor, pixels.right / scaleFactor,
		              pixels.bottom / scaleFactor);
		frame->platformDrawRect (context, points);
	}
	cairo_pop_group_to_source (cr);
	cairo_set_operator (cr, CAIRO_OPERATOR_SOURCE);
	cairo_paint (cr);
	cairo_destroy (cr);
	cairo_surface_flush (surface);
	XFlush (display);
	inDraw = false;
}

void Frame::processEvents ()
{
	while (display && XPending (display))
	{
		XEvent event;
		XNextEvent (display, &event);
		if (event.xany.window == window)
			handleEvent (&event);
	}
	redraw ();
}

void Frame::handleEvent (void* e)
{
	auto& event = *static_cast<XEvent*> (e);
	switch (event.type)
	{
		case Expose:
			dirtyRect.unite (CRect (event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
			                        event.xexpose.y + event.xexpose.height));
			break;
		case ButtonPress:
		case ButtonRelease:
		{
			auto button = buttonFromX (event.xbutton.button);
			if (!button)
				break; // wheel
			CPoint where (event.xbutton.x / scaleFactor, event.xbutton.y / scaleFactor);
			CButtonState buttons (button | modifiersFromX (event.xbutton.state));
			if (event.type == ButtonPress)
			{
				if (event.xbutton.button == lastPressButton &&
				    event.xbutton.time - lastPressTime < kDoubleClickTime)
					buttons |= kDoubleClick;
				lastPressTime = event.xbutton.time;
				lastPressButton = event.xbutton.button;
				frame->platformOnMouseDown (where, buttons);
			}
			else
				frame->platformOnMouseUp (where, buttons);
			break;
		}
		case MotionNotify:
		{
			CPoint where (event.xmotion.x / scaleFactor, event.xmotion.y / scaleFactor);
			CButtonState buttons (buttonsFromXState (event.xmotion.state) |
			                      modifiersFromX (event.xmotion.state));
			frame->platformOnMouseMoved (where, buttons);
			break;
		}
		case LeaveNotify:
		{
			CPoint where (event.xcrossing.x / scaleFactor, event.xcrossing.y / scaleFactor);
			CButtonState buttons (modifiersFromX (event.xcrossing.state));
			frame->platformOnMouseExited (where, buttons);
			break;
		}
	}
}

} // namespace X11
} // namespace VSTGUI
