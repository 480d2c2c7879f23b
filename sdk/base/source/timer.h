// Timers driven by the host's Linux run loop (Steinberg::Linux::IRunLoop).
//
// Linux has no global event loop: a timer fires only while a run loop is known. Run loops
// reach the module through offerRunLoop () (the factory's host context, an editor's
// IPlugFrame); the first offered one still present drives every timer. When it is withdrawn
// the timers move to the next one, or go inert until another is offered. No private threads.
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
	// null callback or 0 ms. Without a run loop the timer is valid but inert until one is offered;
	// a run loop refusing the registration leaves it inert as well.
	static Timer* create (ITimerCallback* callback, uint32 milliseconds);

	// Stops for good: no callback starts after stop () returns, and one running on another
	// thread is waited for. May be called from the callback itself. Also done on destruction.
	virtual void stop () = 0;

	OBJ_METHODS (Timer, FObject)
};

// Makes a run loop available to this module's timers if `provider` answers Linux::IRunLoop
// (a counted reference is kept until withdrawn). Returns whether it did. Offers of the same
// provider are counted: it stays until each offer has been withdrawn.
bool offerRunLoop (FUnknown* provider);

// Withdraws one offer of `provider` (same pointer as offered); the run loop is forgotten with
// the last one. Unknown providers are ignored.
void withdrawRunLoop (FUnknown* provider);

} // namespace Steinberg
