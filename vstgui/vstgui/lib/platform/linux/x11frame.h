// The X11 child window of a CFrame, drawn with cairo, served by a run loop: its X connection
// is watched there, and a timer there redraws what was invalidated.
#pragma once

#include "../../crect.h"
#include "../platform_x11.h"

#include <cstdint>

typedef struct _XDisplay Display;
typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {
namespace X11 {

class Frame final : private IEventHandler, private ITimerHandler
{
public:
	// Opens a display connection and a child window of `parent`; check isValid ().
	Frame (CFrame* frame, unsigned long parent, const SharedPointer<IRunLoop>& runLoop, double scaleFactor);
	~Frame () noexcept;

	bool isValid () const { return window != 0 && eventsRegistered; }
	unsigned long getWindow () const { return window; }
	Display* getDisplay () const { return display; }

	// Sizes and rectangles in frame points.
	void setSize (const CRect& size);
	void invalidRect (const CRect& rect);
	void setScaleFactor (double factor);
	// Draws what was invalidated, now.
	void redraw ();
	// Handles everything the X connection has queued.
	void processEvents ();

private:
	void onEvent () override { processEvents (); }
	// Also takes events that Xlib read off the connection during a round trip (drawing, property
	// queries): they wait in its queue, where a readable connection would never announce them.
	void onTimer () override { processEvents (); }
	void handleEvent (void* event);

	CFrame* frame;
	Display* display {nullptr};
	unsigned long window {0};
	cairo_surface_t* surface {nullptr};
	SharedPointer<IRunLoop> runLoop;
	bool eventsRegistered {false};
	bool redrawTimerRegistered {false};
	double scaleFactor;
	CRect size;
	CRect dirtyRect; // pixels
	unsigned long lastPressTime {0};
	unsigned int lastPressButton {0};
	bool inDraw {false};
};

} // namespace X11
} // namespace VSTGUI
