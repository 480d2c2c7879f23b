// A real Linux::IRunLoop for window tests: poll () on the registered descriptors, timers by
// the steady clock. Single-threaded, like a host's UI loop.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <chrono>
#include <functional>
#include <vector>

class PollRunLoop : public Steinberg::Linux::IRunLoop
{
public:
	using Clock = std::chrono::steady_clock;

	// Runs until `done` returns true or `milliseconds` pass; returns done ().
	bool runUntil (const std::function<bool ()>& done, int milliseconds);
	void runFor (int milliseconds)
	{
		runUntil ([] { return false; }, milliseconds);
	}

	size_t handlerCount () const { return fds.size (); }
	size_t timerCount () const { return timers.size (); }

	Steinberg::tresult PLUGIN_API registerEventHandler (Steinberg::Linux::IEventHandler* handler,
	                                                    Steinberg::Linux::FileDescriptor fd) override;
	Steinberg::tresult PLUGIN_API unregisterEventHandler (Steinberg::Linux::IEventHandler* handler) override;
	Steinberg::tresult PLUGIN_API registerTimer (Steinberg::Linux::ITimerHandler* handler,
	                                             Steinberg::Linux::TimerInterval milliseconds) override;
	Steinberg::tresult PLUGIN_API unregisterTimer (Steinberg::Linux::ITimerHandler* handler) override;

	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	Steinberg::uint32 PLUGIN_API addRef () override { return 1; }
	Steinberg::uint32 PLUGIN_API release () override { return 1; }

private:
	struct Fd
	{
		Steinberg::Linux::IEventHandler* handler;
		int fd;
	};
	struct Timer
	{
		Steinberg::Linux::ITimerHandler* handler;
		std::chrono::milliseconds interval;
		Clock::time_point due;
	};
	std::vector<Fd> fds;
	std::vector<Timer> timers;
};
