// What the view library needs from whoever embeds it on X11: a run loop on the UI thread that
// watches file descriptors (the X connection) and runs timers. It is handed to the library with
// X11::RunLoop::init () or, for one frame, in X11::FrameConfig.
#pragma once

#include "../vstguibase.h"

namespace VSTGUI {
namespace X11 {

class IEventHandler
{
public:
	// The file descriptor is readable.
	virtual void onEvent () = 0;

protected:
	~IEventHandler () noexcept = default;
};

class ITimerHandler
{
public:
	virtual void onTimer () = 0;

protected:
	~ITimerHandler () noexcept = default;
};

// A handler stays registered, and must stay alive, until it is unregistered; it may unregister
// itself from its own call. Each returns whether it did what it was asked.
class IRunLoop : virtual public IReference
{
public:
	virtual bool registerEventHandler (int fd, IEventHandler* handler) = 0;
	virtual bool unregisterEventHandler (IEventHandler* handler) = 0;
	// Calls handler->onTimer () every `interval` milliseconds.
	virtual bool registerTimer (uint64_t interval, ITimerHandler* handler) = 0;
	virtual bool unregisterTimer (ITimerHandler* handler) = 0;
};

} // namespace X11
} // namespace VSTGUI
