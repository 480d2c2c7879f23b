#include "x11_input.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdio>

namespace x11input {
namespace {

// One connection of our own, opened at first use.
Display* display ()
{
	static Display* d = XOpenDisplay (nullptr);
	return d;
}

bool isEmbedded (Display* d, Window w)
{
	const Atom info = XInternAtom (d, "_XEMBED_INFO", True);
	Atom type = 0;
	int format = 0;
	unsigned long items = 0, left = 0;
	unsigned char* data = nullptr;
	if (!info || XGetWindowProperty (d, w, info, 0, 2, False, AnyPropertyType, &type, &format, &items, &left,
	                                 &data) != Success)
		return false;
	if (data)
		XFree (data);
	return type != 0;
}

bool search (Display* d, Window w, int width, int height, int& screenX, int& screenY)
{
	Window root, parent, *children = nullptr;
	unsigned count = 0;
	if (!XQueryTree (d, w, &root, &parent, &children, &count))
		return false;
	// The deepest such window: a host may embed windows of its own (JUCE's LV2 hosting does)
	// between its top window and the plug-in's.
	bool found = false;
	for (unsigned i = 0; i < count && !found; ++i)
	{
		found = search (d, children[i], width, height, screenX, screenY);
		XWindowAttributes a;
		if (!found && XGetWindowAttributes (d, children[i], &a) && a.map_state == IsViewable &&
		    a.width == width && a.height == height && isEmbedded (d, children[i]))
		{
			Window ignored;
			found = XTranslateCoordinates (d, children[i], root, 0, 0, &screenX, &screenY, &ignored);
		}
	}
	if (children)
		XFree (children);
	return found;
}

int logError (Display* d, XErrorEvent* event)
{
	if (event->error_code == BadAtom)
		return 0; // JUCE's window-manager atoms, which no window manager has made here
	char text[128];
	XGetErrorText (d, event->error_code, text, sizeof (text));
	std::fprintf (stderr, "X error (ignored): %s, request %d.%d\n", text, event->request_code,
	              event->minor_code);
	return 0;
}

} // namespace

void initialise ()
{
	XInitThreads ();
	XSetErrorHandler (logError);
}

bool findEmbeddedWindow (unsigned long top, int width, int height, int& screenX, int& screenY)
{
	Display* d = display ();
	return d && search (d, top, width, height, screenX, screenY);
}

bool showsColour (int screenX, int screenY, int red, int green, int blue)
{
	Display* d = display ();
	if (!d)
		return false;
	XImage* image = XGetImage (d, DefaultRootWindow (d), screenX, screenY, 1, 1, AllPlanes, ZPixmap);
	if (!image)
		return false;
	const unsigned long pixel = XGetPixel (image, 0, 0);
	XDestroyImage (image);
	return int ((pixel >> 16) & 0xFF) == red && int ((pixel >> 8) & 0xFF) == green &&
	       int (pixel & 0xFF) == blue;
}

bool click (int screenX, int screenY)
{
	Display* d = display ();
	int event, error, major, minor;
	if (!d || !XTestQueryExtension (d, &event, &error, &major, &minor))
		return false;
	XTestFakeMotionEvent (d, DefaultScreen (d), screenX, screenY, CurrentTime);
	XTestFakeButtonEvent (d, Button1, True, CurrentTime);
	XTestFakeButtonEvent (d, Button1, False, CurrentTime);
	XFlush (d);
	return true;
}

} // namespace x11input
