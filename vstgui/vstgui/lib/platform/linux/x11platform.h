// What the library is given by whoever sets it up on Linux: the run loop that serves its windows
// and timers, and the folder its resource names are looked up in.
#pragma once

#include "../platform_x11.h"

#include <functional>
#include <string>

namespace VSTGUI {
namespace X11 {

// The library's run loop. Counted: the run loop of the first init () serves until as many
// exit () calls have followed; init () while one is set only counts.
struct RunLoop
{
	static void init (const SharedPointer<IRunLoop>& runLoop);
	static void exit ();
	static const SharedPointer<IRunLoop>& get ();
};

// A periodic timer, registered on RunLoop::get () when created; inert without one.
class Timer final : public ITimerHandler
{
public:
	Timer (uint32_t milliseconds, std::function<void ()> callback);
	~Timer () noexcept;

	bool isRegistered () const { return runLoop != nullptr; }

private:
	void onTimer () override;

	std::function<void ()> callback;
	SharedPointer<IRunLoop> runLoop; // the one it is registered on
};

// Folder of the resources named by CBitmap (no folder: names are paths as given).
void setResourcePath (const std::string& path);
const std::string& getResourcePath ();

} // namespace X11
} // namespace VSTGUI
