#include "xvfb_server.h"

// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t server = -1;
std::string startError;
int errorCount = 0;
XErrorHandler previousErrorHandler = nullptr;
XIOErrorHandler previousIOErrorHandler = nullptr;

// Xlib's default handler ends the process; here the request fails (XGetImage returns null, ...)
// and so does the test.
int onXError (Display* display, XErrorEvent* event)
{
	char text[256];
	XGetErrorText (display, event->error_code, text, sizeof (text));
	++errorCount;
	ADD_FAILURE () << "X error " << text << " on request " << int (event->request_code) << "."
	               << int (event->minor_code) << ", resource 0x" << std::hex << event->resourceid;
	return 0;
}

// The connection to the server is gone and Xlib cannot continue on it: say where, take the server
// down with us and end at once, without exit handlers that could touch X again.
int onXIOError (Display*)
{
	auto test = ::testing::UnitTest::GetInstance ()->current_test_info ();
	std::fprintf (stderr, "lost the connection to Xvfb%s%s\n", test ? " in " : "", test ? test->name () : "");
	if (server > 0)
		::kill (server, SIGKILL);
	std::_Exit (1);
}

void stopServer ()
{
	if (server <= 0)
		return;
	// SIGTERM lets Xvfb remove its lock file and socket; one that does not end in 5 s is killed.
	::kill (server, SIGTERM);
	pid_t waited = 0;
	for (int i = 0; i < 500 && (waited = ::waitpid (server, nullptr, WNOHANG)) == 0; ++i)
		::usleep (10000);
	if (waited == 0)
	{
		::kill (server, SIGKILL);
		::waitpid (server, nullptr, 0);
	}
	server = -1;
}

std::string startServer (const char* screen)
{
	int out[2];
	if (::pipe2 (out, O_CLOEXEC) != 0)
		return "pipe failed";
	auto fd = std::to_string (out[1]);
	auto parent = ::getpid ();
	server = ::fork ();
	if (server == 0)
	{
		// Only async-signal-safe calls until exec: the process may have other threads (TSan's).
		::prctl (PR_SET_PDEATHSIG, SIGKILL);
		if (::getppid () != parent)
			::_exit (127); // the parent died before prctl
		int null = ::open ("/dev/null", O_RDWR);
		for (int i = 0; i < 3; ++i)
			::dup2 (null, i);
		if (null > 2)
			::close (null);
		::fcntl (out[1], F_SETFD, 0); // kept open across exec: Xvfb writes its display number here
		// -noreset: by default the server resets when its last client leaves, and a test connecting
		// meanwhile is refused.
		::execlp ("Xvfb", "Xvfb", "-displayfd", fd.c_str (), "-screen", "0", screen, "-nolisten", "tcp",
		          "-noreset", static_cast<char*> (nullptr));
		::_exit (127);
	}
	::close (out[1]);
	if (server < 0)
	{
		::close (out[0]);
		return "fork failed";
	}
	std::string number;
	pollfd p {out[0], POLLIN, 0};
	char c;
	while (::poll (&p, 1, 10000) > 0 && ::read (out[0], &c, 1) == 1 && c != '\n')
		number += c;
	::close (out[0]);
	if (number.empty ())
	{
		stopServer ();
		return "Xvfb did not start (is the xvfb package installed? scripts/setup.sh installs it)";
	}
	::setenv ("DISPLAY", (":" + number).c_str (), 1);
	return {};
}

} // namespace

void XvfbTest::SetUpTestSuite () { SetUpTestSuiteWithScreen ("320x240x24"); }

void XvfbTest::SetUpTestSuiteWithScreen (const char* screen)
{
	previousErrorHandler = XSetErrorHandler (onXError);
	previousIOErrorHandler = XSetIOErrorHandler (onXIOError);
	startError = startServer (screen);
}

void XvfbTest::TearDownTestSuite ()
{
	stopServer ();
	XSetErrorHandler (previousErrorHandler);
	XSetIOErrorHandler (previousIOErrorHandler);
}

void XvfbTest::SetUp ()
{
	errorCount = 0;
	ASSERT_TRUE (startError.empty ()) << startError;
}

int XvfbTest::xErrors () { return errorCount; }
