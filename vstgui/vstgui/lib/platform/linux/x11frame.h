// The X11 child window of a CFrame, drawn with cairo, served by the host's run loop.
#pragma once

#include "../../crect.h"

#include <cstdint>

typedef struct _XDisplay Display;
typedef struct _cairo_surface cairo_surface_t;

namespace Steinberg { namespace Linux { class IRunLoop; } }

namespace VSTGUI {
namespace X11 {

class Handler;

class Frame
{
public:
	// Opens a display connection and a child window of `parent`; check isValid ().
	Frame (CFrame* frame, unsigned long parent, Steinberg::Linux::IRunLoop* runLoop, double scaleFactor);
	~Frame () noexcept;

	bool isValid () const { return window != 0 && eventHandler != nullptr; }
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
	void handleEvent (void* event);

	CFrame* frame;
	Display* display {nullptr};
	unsigned long window {0};
	cairo_surface_t* surface {nullptr};
	Steinberg::Linux::IRunLoop* runLoop;
	Handler* eventHandler {nullptr};
	Handler* redrawTimer {nullptr};
	double scaleFactor;
	CRect size;
	CRect dirtyRect; // pixels
	unsigned long lastPressTime {0};
	unsigned int lastPressButton {0};
	bool inDraw {false};
};

} // namespace X11
} // namespace VSTGUI
