// An Xvfb of the tests' own for window tests: no display is needed, and nothing is left behind.
#pragma once

#include <gtest/gtest.h>

// Base fixture: one Xvfb for the whole suite, on a display number it picks itself (-displayfd),
// with DISPLAY pointing at it. The server is killed when the suite ends or this process dies, and
// never writes to this process's stdout or stderr (a server holding ctest's output pipe open keeps
// ctest waiting for the test's timeout). While the suite runs, an X protocol error on any of the
// process's connections fails the current test instead of ending the process.
class XvfbTest : public ::testing::Test
{
protected:
	static void SetUpTestSuite ();
	// The same with a screen of WIDTHxHEIGHTxDEPTH instead of 320x240x24, for larger windows: call
	// it from the fixture's own SetUpTestSuite.
	static void SetUpTestSuiteWithScreen (const char* screen);
	static void TearDownTestSuite ();
	// Fails if the server did not start.
	void SetUp () override;

	// X protocol errors reported during the current test.
	static int xErrors ();
};
