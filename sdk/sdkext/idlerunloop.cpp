#include "sdkext/idlerunloop.h"

#include <algorithm>

namespace Steinberg {
namespace SdkExt {

void IdleRunLoop::idle ()
{
	if (idling)
		return;
	idling = true;
	// Handlers may register and unregister while being called: the lists are indexed afresh, and
	// unregistered entries stay (emptied) until the pass ends.
	polled.clear ();
	for (const Watch& watch : watches)
		polled.push_back ({watch.fd, POLLIN, 0});
	if (!polled.empty () && ::poll (polled.data (), polled.size (), 0) > 0)
	{
		for (size_t i = 0; i < polled.size () && i < watches.size (); ++i)
			if (watches[i].handler && (polled[i].revents & (POLLIN | POLLHUP | POLLERR)))
				watches[i].handler->onFDIsSet (watches[i].fd);
	}
	const Clock::time_point now = Clock::now ();
	for (size_t i = 0; i < timers.size (); ++i)
	{
		if (!timers[i].handler || timers[i].due > now)
			continue;
		timers[i].due = now + timers[i].interval;
		timers[i].handler->onTimer ();
	}
	idling = false;
	dropUnregistered ();
}

void IdleRunLoop::dropUnregistered ()
{
	if (idling)
		return;
	timers.erase (
	    std::remove_if (timers.begin (), timers.end (), [] (const Timer& timer) { return !timer.handler; }),
	    timers.end ());
	watches.erase (
	    std::remove_if (watches.begin (), watches.end (), [] (const Watch& watch) { return !watch.handler; }),
	    watches.end ());
}

tresult PLUGIN_API IdleRunLoop::registerEventHandler (Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
	if (!handler || fd < 0)
		return kInvalidArgument;
	watches.push_back ({handler, fd});
	return kResultOk;
}

tresult PLUGIN_API IdleRunLoop::unregisterEventHandler (Linux::IEventHandler* handler)
{
	bool found = false;
	for (Watch& watch : watches)
		if (handler && watch.handler == handler)
			watch.handler = nullptr, found = true;
	dropUnregistered ();
	return found ? kResultOk : kInvalidArgument;
}

tresult PLUGIN_API IdleRunLoop::registerTimer (Linux::ITimerHandler* handler,
                                               Linux::TimerInterval milliseconds)
{
	if (!handler || milliseconds == 0)
		return kInvalidArgument;
	const std::chrono::milliseconds interval (milliseconds);
	timers.push_back ({handler, interval, Clock::now () + interval});
	return kResultOk;
}

tresult PLUGIN_API IdleRunLoop::unregisterTimer (Linux::ITimerHandler* handler)
{
	bool found = false;
	for (Timer& timer : timers)
		if (handler && timer.handler == handler)
			timer.handler = nullptr, found = true;
	dropUnregistered ();
	return found ? kResultOk : kInvalidArgument;
}

tresult PLUGIN_API IdleRunLoop::queryInterface (const TUID iid, void** obj)
{
	QUERY_INTERFACE (iid, obj, FUnknown::iid, Linux::IRunLoop)
	QUERY_INTERFACE (iid, obj, Linux::IRunLoop::iid, Linux::IRunLoop)
	*obj = nullptr;
	return kNoInterface;
}

} // namespace SdkExt
} // namespace Steinberg
