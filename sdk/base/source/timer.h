// Timers driven by the host's Linux run loop (Steinberg::Linux::IRunLoop).
//
// Linux has no global event loop: a timer fires only while the module knows a run loop. Which
// one serves, and how run loops reach the module, is up to our layer (sdkext/runloops.h). No
// private threads.
#pragma once

#include "base/source/fobject.h"

namespace Steinberg {

class Timer;

class ITimerCallback
{
public:
	virtual ~ITimerCallback () = default;
	virtual void onTimer (Timer* timer) = 0;
};

class Timer : public FObject
{
public:
	// A new timer (reference count 1, owned by the caller: release () it) that calls
	// callback->onTimer () every `milliseconds` on the run loop's thread. Returns nullptr for a
	// null callback or 0 ms. Without a run loop the timer is valid but inert until one comes;
	// a run loop refusing the registration leaves it inert as well.
	static Timer* create (ITimerCallback* callback, uint32 milliseconds);

	// Stops for good: no callback starts after stop () returns, and one running on another
	// thread is waited for. May be called from the callback itself. Also done on destruction.
	virtual void stop () = 0;

	OBJ_METHODS (Timer, FObject)
};

} // namespace Steinberg
