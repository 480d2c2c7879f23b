#include "x11platform.h"

namespace VSTGUI {
namespace X11 {
namespace {

// Used on the UI thread only, like the run loop itself.
struct Platform
{
	SharedPointer<IRunLoop> runLoop;
	int initCount {0};
	std::string resourcePath;
};

// Freed only when the library is unloaded or the process ends: a host may shut the platform
// down from its own exit handlers, after this library's static objects are gone.
Platform* platformInstance = nullptr;

Platform& platform ()
{
	static Platform* const instance = platformInstance = new Platform;
	return *instance;
}

__attribute__ ((destructor)) void freePlatform () { delete platformInstance; }

} // namespace

void RunLoop::init (const SharedPointer<IRunLoop>& runLoop)
{
	if (platform ().initCount++ == 0)
		platform ().runLoop = runLoop;
}

void RunLoop::exit ()
{
	if (platform ().initCount > 0 && --platform ().initCount == 0)
		platform ().runLoop = nullptr;
}

const SharedPointer<IRunLoop>& RunLoop::get () { return platform ().runLoop; }

Timer::Timer (uint32_t milliseconds, std::function<void ()> cb) : callback (std::move (cb))
{
	auto& current = RunLoop::get ();
	if (current && current->registerTimer (milliseconds, this))
		runLoop = current;
}

Timer::~Timer () noexcept
{
	if (runLoop)
		runLoop->unregisterTimer (this);
}

void Timer::onTimer ()
{
	auto cb = callback; // the callback may destroy this timer
	cb ();
}

void setResourcePath (const std::string& path) { platform ().resourcePath = path; }

const std::string& getResourcePath () { return platform ().resourcePath; }

} // namespace X11
} // namespace VSTGUI
