#include "pollrunloop.h"

#include <algorithm>
#include <poll.h>

using namespace Steinberg;

bool PollRunLoop::runUntil (const std::function<bool ()>& done, int milliseconds)
{
	auto end = Clock::now () + std::chrono::milliseconds (milliseconds);
	while (!done ())
	{
		auto now = Clock::now ();
		if (now >= end)
			return false;
		auto wake = end;
		for (auto& t : timers)
			wake = std::min (wake, t.due);
		std::vector<pollfd> polled;
		for (auto& f : fds)
			polled.push_back ({f.fd, POLLIN, 0});
		auto timeout = std::chrono::duration_cast<std::chrono::milliseconds> (wake - now).count ();
		if (::poll (polled.data (), polled.size (), static_cast<int> (std::max<long long> (0, timeout))) > 0)
			for (auto& p : polled)
				if (p.revents)
				{
					// Copied: the handler may unregister itself.
					for (auto f : std::vector<Fd> (fds))
						if (f.fd == p.fd)
							f.handler->onFDIsSet (f.fd);
				}
		now = Clock::now ();
		for (auto t : std::vector<Timer> (timers))
		{
			auto it = std::find_if (timers.begin (), timers.end (),
			                        [&] (auto& x) { return x.handler == t.handler; });
			if (it == timers.end () || it->due > now)
				continue;
			it->due = now + it->interval;
			t.handler->onTimer ();
		}
	}
	return true;
}

tresult PLUGIN_API PollRunLoop::registerEventHandler (Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
	if (!handler)
		return kInvalidArgument;
	fds.push_back ({handler, fd});
	return kResultTrue;
}

tresult PLUGIN_API PollRunLoop::unregisterEventHandler (Linux::IEventHandler* handler)
{
	auto n = fds.size ();
	fds.erase (std::remove_if (fds.begin (), fds.end (), [&] (auto& f) { return f.handler == handler; }),
	           fds.end ());
	return n != fds.size () ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API PollRunLoop::registerTimer (Linux::ITimerHandler* handler,
                                               Linux::TimerInterval milliseconds)
{
	if (!handler || milliseconds == 0)
		return kInvalidArgument;
	std::chrono::milliseconds interval (milliseconds);
	timers.push_back ({handler, interval, Clock::now () + interval});
	return kResultTrue;
}

tresult PLUGIN_API PollRunLoop::unregisterTimer (Linux::ITimerHandler* handler)
{
	auto n = timers.size ();
	timers.erase (
	    std::remove_if (timers.begin (), timers.end (), [&] (auto& t) { return t.handler == handler; }),
	    timers.end ());
	return n != timers.size () ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API PollRunLoop::queryInterface (const TUID iid, void** obj)
{
	if (FUnknownPrivate::iidEqual (iid, FUnknown::iid) ||
	    FUnknownPrivate::iidEqual (iid, Linux::IRunLoop::iid))
	{
		*obj = this;
		return kResultOk;
	}
	*obj = nullptr;
	return kNoInterface;
}
