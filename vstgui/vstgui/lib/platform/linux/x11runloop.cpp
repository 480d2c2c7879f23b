#include "x11runloop.h"
#include "x11handler.h"

#include "public.sdk/source/main/modulepath.h"

#include <algorithm>
#include <vector>

namespace VSTGUI {
namespace X11 {
namespace {

struct Offer
{
	Steinberg::Linux::IRunLoop* runLoop;
	int count;
};

// Everything here lives on the UI thread, like the run loop itself.
std::vector<Offer>& offers ()
{
	static std::vector<Offer> list;
	return list;
}

std::vector<Timer*>& timers ()
{
	static std::vector<Timer*> list;
	return list;
}

std::string& resourcePath ()
{
	static std::string path;
	return path;
}

void reattachTimers ()
{
	for (auto t : std::vector<Timer*> (timers ()))
		t->reattach ();
}

} // namespace

void RunLoop::init (Steinberg::Linux::IRunLoop* runLoop)
{
	if (!runLoop)
		return;
	auto& list = offers ();
	auto it = std::find_if (list.begin (), list.end (), [&] (auto& o) { return o.runLoop == runLoop; });
	if (it != list.end ())
	{
		++it->count;
		return;
	}
	runLoop->addRef ();
	list.push_back ({runLoop, 1});
	if (list.size () == 1)
		reattachTimers ();
}

void RunLoop::exit (Steinberg::Linux::IRunLoop* runLoop)
{
	auto& list = offers ();
	auto it = std::find_if (list.begin (), list.end (), [&] (auto& o) { return o.runLoop == runLoop; });
	if (it == list.end () || --it->count > 0)
		return;
	bool wasCurrent = it == list.begin ();
	list.erase (it);
	if (wasCurrent)
		reattachTimers (); // unregisters from the old one before we let it go
	runLoop->release ();
}

Steinberg::Linux::IRunLoop* RunLoop::get ()
{
	return offers ().empty () ? nullptr : offers ().front ().runLoop;
}

Timer::Timer (uint32_t milliseconds, std::function<void ()> cb)
: interval (milliseconds), callback (std::move (cb))
{
	handler = new Handler ([this] () {
		auto cb = callback; // the callback may destroy this timer
		cb ();
	});
	timers ().push_back (this);
	reattach ();
}

Timer::~Timer () noexcept
{
	detach ();
	auto& list = timers ();
	list.erase (std::remove (list.begin (), list.end (), this), list.end ());
	handler->detach ();
	handler->release ();
}

void Timer::detach ()
{
	if (registeredOn)
		registeredOn->unregisterTimer (handler);
	registeredOn = nullptr;
}

void Timer::reattach ()
{
	auto current = RunLoop::get ();
	if (current == registeredOn)
		return;
	detach ();
	if (current && current->registerTimer (handler, interval) == Steinberg::kResultTrue)
		registeredOn = current;
}

void setResourcePath (const std::string& path) { resourcePath () = path; }

std::string getResourcePath ()
{
	return resourcePath ().empty () ? Steinberg::getModuleResourcesPath () : resourcePath ();
}

} // namespace X11
} // namespace VSTGUI
