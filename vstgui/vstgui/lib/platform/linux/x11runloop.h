// The host's run loop for this module's windows and timers (Steinberg::Linux::IRunLoop).
#pragma once

#include "../../vstguifwd.h"

#include <functional>
#include <string>

namespace Steinberg { namespace Linux { class IRunLoop; } }

namespace VSTGUI {
namespace X11 {

// Module-wide run loop registry. The first run loop still offered serves every timer; when it
// is withdrawn the timers move to the next one, or wait until one is offered. Offers of the same
// run loop are counted.
struct RunLoop
{
	static void init (Steinberg::Linux::IRunLoop* runLoop);
	static void exit (Steinberg::Linux::IRunLoop* runLoop);
	static Steinberg::Linux::IRunLoop* get ();
};

class Handler;

// A periodic timer on the current run loop.
class Timer
{
public:
	Timer (uint32_t milliseconds, std::function<void ()> callback);
	~Timer () noexcept;

	uint32_t getInterval () const { return interval; }
	bool isRegistered () const { return registeredOn != nullptr; }

	// Moves the registration to the current run loop (used by RunLoop).
	void reattach ();

private:
	void detach ();

	uint32_t interval;
	std::function<void ()> callback;
	Handler* handler {nullptr};
	Steinberg::Linux::IRunLoop* registeredOn {nullptr};
};

// Folder that resource names are looked up in; by default the loaded module's bundle
// Contents/Resources.
void setResourcePath (const std::string& path);
std::string getResourcePath ();

} // namespace X11
} // namespace VSTGUI
