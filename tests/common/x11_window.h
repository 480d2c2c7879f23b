#pragma once

// What the tests of the plug-in's window in a test host's X11 window share: the window the plug-in
// embeds, followed through the host window's SubstructureNotify events; a pixel of a window; and
// a click through XTest at a place of the screen. Include it after gtest: X11 defines names
// gtest uses.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace x11test {

struct Rgb
{
	int r, g, b;
	bool operator== (const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// The last window created in the host's window (select SubstructureNotifyMask on that one).
struct EmbeddedWindow
{
	Window id = 0;
	int width = 0, height = 0;
	bool mapped = false;

	void follow (const XEvent& e)
	{
		if (e.type == CreateNotify)
			*this = {e.xcreatewindow.window, e.xcreatewindow.width, e.xcreatewindow.height, false};
		else if (e.type == ConfigureNotify && e.xconfigure.window == id)
			width = e.xconfigure.width, height = e.xconfigure.height;
		else if (e.type == MapNotify && e.xmap.window == id)
			mapped = true;
		else if (e.type == DestroyNotify && e.xdestroywindow.window == id)
			*this = {};
	}
	// Takes every event the connection holds.
	void followPending (Display* display)
	{
		while (XPending (display))
		{
			XEvent e;
			XNextEvent (display, &e);
			follow (e);
		}
	}
	bool shows (int w, int h) const { return mapped && width == w && height == h; }
};

inline Rgb pixel (Display* display, Window window, int x, int y)
{
	XImage* image = XGetImage (display, window, x, y, 1, 1, AllPlanes, ZPixmap);
	if (!image)
		return {0, 0, 0};
	const unsigned long p = XGetPixel (image, 0, 0);
	XDestroyImage (image);
	return {int ((p >> 16) & 0xFF), int ((p >> 8) & 0xFF), int (p & 0xFF)};
}

// A mapped top-level window for the plug-in's window to live in, watched for its children: their
// create, map, resize and destroy events tell when the server has done what the plug-in asked for
// on its own connection. 0 when the display has no XTest (the tests click through it).
inline Window openHostWindow (Display* display, int width, int height)
{
	int event, error, major, minor;
	if (!XTestQueryExtension (display, &event, &error, &major, &minor))
		return 0;
	const Window window =
	    XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, static_cast<unsigned> (width),
	                         static_cast<unsigned> (height), 0, 0, 0);
	XSelectInput (display, window, SubstructureNotifyMask);
	XMapWindow (display, window);
	XSync (display, False);
	return window;
}

// A press and release of the first button at x, y of the screen.
inline void click (Display* display, int x, int y)
{
	XTestFakeMotionEvent (display, DefaultScreen (display), x, y, CurrentTime);
	XTestFakeButtonEvent (display, Button1, True, CurrentTime);
	XTestFakeButtonEvent (display, Button1, False, CurrentTime);
	XFlush (display);
}

} // namespace x11test
