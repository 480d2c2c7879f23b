#include "hosting/host_context.h"

#include "hosting/strings.h"

#include <algorithm>
#include <limits>

using namespace Steinberg;

namespace hosting {

tresult PLUGIN_API RunLoop::registerEventHandler (Linux::IEventHandler* handler, FileDescriptor fd)
{
	if (!handler || fd < 0)
		return kInvalidArgument;
	for (const auto& e : eventHandlers_)
		if (e.handler == handler && e.fd == fd)
			return kInvalidArgument;
	eventHandlers_.push_back ({handler, fd});
	return kResultOk;
}

tresult PLUGIN_API RunLoop::unregisterEventHandler (Linux::IEventHandler* handler)
{
	const auto before = eventHandlers_.size ();
	eventHandlers_.erase (std::remove_if (eventHandlers_.begin (), eventHandlers_.end (),
	                                      [handler] (const EventHandler& e) { return e.handler == handler; }),
	                      eventHandlers_.end ());
	return eventHandlers_.size () < before ? kResultOk : kInvalidArgument;
}

tresult PLUGIN_API RunLoop::registerTimer (Linux::ITimerHandler* handler, TimerInterval milliseconds)
{
	if (refuseTimers_)
		return kNotImplemented;
	// A zero interval would fire forever within one advance().
	if (!handler || milliseconds == 0 || hasTimer (handler))
		return kInvalidArgument;
	timers_.push_back ({handler, milliseconds, now_ + milliseconds, true});
	return kResultOk;
}

tresult PLUGIN_API RunLoop::unregisterTimer (Linux::ITimerHandler* handler)
{
	for (auto& t : timers_)
		if (t.active && t.handler == handler)
		{
			t.active = false; // erased once no callback is running
			if (firing_ == 0)
				timers_.erase (std::remove_if (timers_.begin (), timers_.end (),
				                               [] (const Timer& x) { return !x.active; }),
				               timers_.end ());
			return kResultOk;
		}
	return kInvalidArgument;
}

bool RunLoop::hasTimer (Linux::ITimerHandler* handler) const
{
	return std::any_of (timers_.begin (), timers_.end (),
	                    [handler] (const Timer& t) { return t.active && t.handler == handler; });
}

size_t RunLoop::timerCount () const
{
	return static_cast<size_t> (
	    std::count_if (timers_.begin (), timers_.end (), [] (const Timer& t) { return t.active; }));
}

void RunLoop::advance (TimerInterval milliseconds)
{
	const TimerInterval end = milliseconds > std::numeric_limits<TimerInterval>::max () - now_
	                              ? std::numeric_limits<TimerInterval>::max ()
	                              : now_ + milliseconds;
	++firing_;
	for (;;)
	{
		// Fire the earliest due timer; callbacks may (un)register timers, so search each time
		// and never hold a reference into the vector across a callback.
		size_t next = timers_.size ();
		for (size_t i = 0; i < timers_.size (); ++i)
			if (timers_[i].active && timers_[i].due <= end &&
			    (next == timers_.size () || timers_[i].due < timers_[next].due))
				next = i;
		if (next == timers_.size ())
			break;
		now_ = timers_[next].due;
		timers_[next].due += timers_[next].interval;
		timers_[next].handler->onTimer ();
	}
	--firing_;
	now_ = end;
	timers_.erase (
	    std::remove_if (timers_.begin (), timers_.end (), [] (const Timer& t) { return !t.active; }),
	    timers_.end ());
}

void RunLoop::signal (FileDescriptor fd)
{
	// Copy: a handler may unregister itself while being called.
	const auto handlers = eventHandlers_;
	for (const auto& e : handlers)
		if (e.fd == fd)
			e.handler->onFDIsSet (fd);
}

tresult PLUGIN_API RunLoop::queryInterface (const TUID iid, void** obj)
{
	QUERY_INTERFACE (iid, obj, FUnknown::iid, Linux::IRunLoop)
	QUERY_INTERFACE (iid, obj, Linux::IRunLoop::iid, Linux::IRunLoop)
	*obj = nullptr;
	return kNoInterface;
}

HostContext::HostContext (Linux::IRunLoop* runLoop, std::string name)
    : runLoop_ (runLoop), name_ (std::move (name))
{}

tresult PLUGIN_API HostContext::getName (Vst::String128 name)
{
	const std::u16string text = toUtf16 (name_);
	const size_t length = std::min<size_t> (text.size (), 127);
	std::copy_n (text.begin (), length, name);
	name[length] = 0;
	return kResultOk;
}

tresult PLUGIN_API HostContext::queryInterface (const TUID iid, void** obj)
{
	if (runLoop_ && FUnknownPrivate::iidEqual (iid, Linux::IRunLoop::iid))
		return runLoop_->queryInterface (iid, obj);
	return HostApplication::queryInterface (iid, obj);
}

tresult PLUGIN_API PlugFrame::resizeView (IPlugView* view, ViewRect* newSize)
{
	if (!view || !newSize)
		return kInvalidArgument;
	resizeRequests_.push_back (*newSize);
	return view->onSize (newSize);
}

tresult PLUGIN_API PlugFrame::queryInterface (const TUID iid, void** obj)
{
	QUERY_INTERFACE (iid, obj, FUnknown::iid, IPlugFrame)
	QUERY_INTERFACE (iid, obj, IPlugFrame::iid, IPlugFrame)
	if (runLoop_ && FUnknownPrivate::iidEqual (iid, Linux::IRunLoop::iid))
		return runLoop_->queryInterface (iid, obj);
	*obj = nullptr;
	return kNoInterface;
}

} // namespace hosting
