// The view library's run loop (VSTGUI::X11::IRunLoop) on the module's host run loops
// (runloops.h). Our layer: its timers are SDK Timers and its file descriptors are registered as
// they are, so everything the view library runs moves along when the serving run loop goes.
#pragma once

#include "vstgui/lib/platform/platform_x11.h"

namespace Steinberg {
namespace SdkExt {

// File descriptors are refused while no host run loop takes them: a window needs one at once.
// Timers are accepted at any time and wait for a run loop.
VSTGUI::SharedPointer<VSTGUI::X11::IRunLoop> createVSTGUIRunLoop ();

} // namespace SdkExt
} // namespace Steinberg
