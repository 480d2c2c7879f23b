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

Platform& platform ()
{
	static Platform instance;
	return instance;
}

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
