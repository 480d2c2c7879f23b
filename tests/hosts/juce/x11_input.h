// What the JUCE host needs of the X server beside JUCE: finding the plug-in's window and clicking
// into it with XTest. Kept apart from JUCE's headers, which Xlib's macros would break.
#pragma once

namespace x11input {

// What a JUCE application does before anything touches X, and a console host is not given: Xlib
// made thread-safe, and protocol errors logged instead of ending the process (JUCE asks for
// window-manager properties that Xvfb without a window manager lacks; those are not logged).
void initialise ();

// Whether an embedded window (one that carries _XEMBED_INFO, as the plug-in's does) of width by
// height pixels is mapped anywhere below `top` (an X window id); if so, where the top-left corner
// of the deepest one lies on the screen.
bool findEmbeddedWindow (unsigned long top, int width, int height, int& screenX, int& screenY);

// Whether the screen shows this colour (8-bit red, green, blue) at a point.
bool showsColour (int screenX, int screenY, int red, int green, int blue);

// A left click at a point of the screen, through XTest; false without a display or XTest.
bool click (int screenX, int screenY);

} // namespace x11input
