// The LV2 UI in a host of our own under Xvfb: the UI is found in the built bundle through lilv, as
// hosts find it, loaded with dlopen and embedded in an X11 window of the test; the host drives it
// with idle calls and port events, and clicks into it with XTest.
#include "vstgui/xvfb_server.h"

#include "lv2/urid_map.h"
#include "lv2contract.h"

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>
// After gtest: Xlib defines None and Bool as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

// After gtest: X11 defines names gtest uses.
#include "common/x11_window.h"

#include <dlfcn.h>
#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace lv2 = chopwright::lv2;

namespace {

using x11test::Rgb;

// Where the editor draws, in its window at zoom 1: the oscilloscope's panel between grid lines.
const Rgb kScopePanel {138, 209, 247};
constexpr int kPanelX = 420, kPanelY = 428;
constexpr int kBreakX = 35, kBreakY = 631;        // the Break button
constexpr int kQuarterBeatX = 155, kSliceY = 631; // SliceSize's third position (1/16)

struct PortWrite
{
	uint32_t port, size, format;
	float value;
};

class Lv2UiTest : public XvfbTest
{
protected:
	static void SetUpTestSuite () { SetUpTestSuiteWithScreen ("800x800x24"); }

	void SetUp () override
	{
		XvfbTest::SetUp ();
		if (HasFatalFailure ())
			return;
		ASSERT_NO_FATAL_FAILURE (findUi ());
		library = dlopen (binaryPath.c_str (), RTLD_NOW | RTLD_LOCAL);
		ASSERT_NE (library, nullptr) << dlerror ();
		auto entry = reinterpret_cast<LV2UI_DescriptorFunction> (dlsym (library, "lv2ui_descriptor"));
		ASSERT_NE (entry, nullptr);
		descriptor = entry (0);
		ASSERT_NE (descriptor, nullptr);
		EXPECT_STREQ (descriptor->URI, lv2::kUiUri);
		EXPECT_EQ (entry (1), nullptr);
		idleInterface =
		    static_cast<const LV2UI_Idle_Interface*> (descriptor->extension_data (LV2_UI__idleInterface));
		ASSERT_NE (idleInterface, nullptr);

		display = XOpenDisplay (nullptr);
		ASSERT_NE (display, nullptr);
		parent = x11test::openHostWindow (display, 700, 700);
		ASSERT_NE (parent, 0u) << "no XTest on the display";
	}

	void TearDown () override
	{
		close ();
		if (display)
			XCloseDisplay (display);
		if (library)
			dlclose (library);
	}

	// The plug-in and its UI as lilv reads them from the bundle's Turtle: an X11 UI needing
	// nothing this host lacks, and where its binary is.
	void findUi ()
	{
		LilvWorld* world = lilv_world_new ();
		LilvNode* bundle = lilv_new_file_uri (world, nullptr, bundlePath.c_str ());
		lilv_world_load_bundle (world, bundle);
		LilvNode* pluginUri = lilv_new_uri (world, lv2::kPluginUri);
		LilvNode* x11Ui = lilv_new_uri (world, LV2_UI__X11UI);
		LilvNode* required = lilv_new_uri (world, LV2_CORE__requiredFeature);
		const LilvPlugin* plugin = lilv_plugins_get_by_uri (lilv_world_get_all_plugins (world), pluginUri);
		LilvUIs* uis = plugin ? lilv_plugin_get_uis (plugin) : nullptr;
		LILV_FOREACH (uis, i, uis)
		{
			const LilvUI* ui = lilv_uis_get (uis, i);
			if (std::strcmp (lilv_node_as_uri (lilv_ui_get_uri (ui)), lv2::kUiUri) != 0 ||
			    !lilv_ui_is_a (ui, x11Ui))
				continue;
			char* path = lilv_file_uri_parse (lilv_node_as_uri (lilv_ui_get_binary_uri (ui)), nullptr);
			binaryPath = path;
			lilv_free (path);
			LilvNodes* features = lilv_world_find_nodes (world, lilv_ui_get_uri (ui), required, nullptr);
			LILV_FOREACH (nodes, f, features)
			requiredFeatures.push_back (lilv_node_as_uri (lilv_nodes_get (features, f)));
			lilv_nodes_free (features);
		}
		lilv_uis_free (uis);
		for (LilvNode* node : {bundle, pluginUri, x11Ui, required})
			lilv_node_free (node);
		lilv_world_free (world);
		ASSERT_TRUE (plugin) << "no plug-in " << lv2::kPluginUri << " in " << bundlePath;
		ASSERT_FALSE (binaryPath.empty ()) << "no X11 UI " << lv2::kUiUri;
		for (const std::string& feature : requiredFeatures)
			EXPECT_TRUE (feature == LV2_URID__map || feature == LV2_UI__parent ||
			             feature == LV2_UI__idleInterface)
			    << "the UI requires " << feature;
	}

	void open ()
	{
		resize = {this, [] (LV2UI_Feature_Handle h, int width, int height) {
			          static_cast<Lv2UiTest*> (h)->sizes.push_back ({width, height});
			          return 0;
		          }};
		const LV2_Feature parentFeature {LV2_UI__parent, reinterpret_cast<void*> (parent)};
		const LV2_Feature resizeFeature {LV2_UI__resize, &resize};
		const LV2_Feature idleFeature {LV2_UI__idleInterface, nullptr};
		const LV2_Feature* features[] = {&uridMap.feature, &parentFeature, &resizeFeature, &idleFeature,
		                                 nullptr};
		auto write = [] (LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format,
		                 const void* buffer) {
			float value = 0.f;
			if (size == sizeof (float))
				std::memcpy (&value, buffer, sizeof (float));
			static_cast<Lv2UiTest*> (c)->writes.push_back ({port, size, format, value});
		};
		handle = descriptor->instantiate (descriptor, lv2::kPluginUri, bundlePath.c_str (), write, this,
		                                  &widget, features);
	}

	void close ()
	{
		if (handle)
			descriptor->cleanup (handle);
		handle = nullptr;
	}

	void setPort (uint32_t port, float value)
	{
		descriptor->port_event (handle, port, sizeof (float), 0, &value);
	}

	// Level bytes on the notify port as the host passes the plug-in's event (lv2contract.h): an
	// object of type kScopeUri whose property kScopeUri is an atom:Chunk of `count` bytes, which
	// claims to hold `claimedCount`.
	void sendLevels (int8_t level, uint32_t count, uint32_t claimedCount)
	{
		auto& urid = uridMap;
		const uint32_t padded = (count + 7) & ~7u;
		LV2_Atom_Object object {{0, urid (LV2_ATOM__Object)}, {0, urid (lv2::kScopeUri)}};
		const LV2_Atom_Property_Body property {
		    urid (lv2::kScopeUri), 0, {claimedCount, urid (LV2_ATOM__Chunk)}};
		object.atom.size = sizeof (object.body) + sizeof (property) + padded;
		std::vector<uint8_t> buffer (sizeof (object) + sizeof (property) + padded,
		                             static_cast<uint8_t> (level));
		std::memcpy (buffer.data (), &object, sizeof (object));
		std::memcpy (buffer.data () + sizeof (object), &property, sizeof (property));
		descriptor->port_event (handle, lv2::kNotify, static_cast<uint32_t> (buffer.size ()),
		                        urid (LV2_ATOM__eventTransfer), buffer.data ());
	}

	// Calls the UI's idle as a host does, until `done` or five seconds; follows the UI's window.
	bool waitFor (const std::function<bool ()>& done)
	{
		const auto end = std::chrono::steady_clock::now () + std::chrono::seconds (5);
		while (std::chrono::steady_clock::now () < end && xErrors () == 0)
		{
			if (handle)
				idleInterface->idle (handle);
			child.followPending (display);
			if (done ())
				return true;
			pollfd connection {ConnectionNumber (display), POLLIN, 0};
			::poll (&connection, 1, 5); // the host's idle rate
		}
		return false;
	}
	bool waitForWindow ()
	{
		return waitFor ([&] { return child.shows (570, 666); });
	}

	Rgb pixel (int x, int y) { return x11test::pixel (display, parent, x, y); }
	// Pixels of the waveform's bars (blue over the panel's light blue) down the oscilloscope.
	int barPixels ()
	{
		int count = 0;
		for (int y = 256; y < 606; ++y)
		{
			const Rgb c = pixel (480, y);
			count += c.r < 80 && c.b > 200;
		}
		return count;
	}
	void click (int x, int y) { x11test::click (display, x, y); }
	bool wrote (uint32_t port, float value)
	{
		for (const PortWrite& w : writes)
			if (w.port == port && w.value == value && w.size == sizeof (float) && w.format == 0)
				return true;
		return false;
	}

	const std::string bundlePath = CHOPWRIGHT_LV2_BUNDLE "/";
	std::string binaryPath;
	std::vector<std::string> requiredFeatures;
	void* library = nullptr;
	const LV2UI_Descriptor* descriptor = nullptr;
	const LV2UI_Idle_Interface* idleInterface = nullptr;
	lv2test::UridMap uridMap;
	LV2UI_Resize resize {};
	LV2UI_Handle handle = nullptr;
	LV2UI_Widget widget = nullptr;
	std::vector<PortWrite> writes;
	std::vector<std::pair<int, int>> sizes;
	Display* display = nullptr;
	Window parent = 0;
	x11test::EmbeddedWindow child;
};

} // namespace

TEST_F (Lv2UiTest, ShowsThePortsAndTheLevelsAndWritesClicksToThePorts)
{
	ASSERT_NO_FATAL_FAILURE (open ());
	ASSERT_NE (handle, nullptr);
	ASSERT_TRUE (waitForWindow ()) << "the editor's window was never mapped in the parent";
	EXPECT_EQ (reinterpret_cast<Window> (widget), child.id) << "the widget is not the editor's window";
	ASSERT_FALSE (sizes.empty ()) << "the size was not reported through ui:resize";
	EXPECT_EQ (sizes.back (), std::make_pair (570, 666));
	ASSERT_TRUE (waitFor ([&] { return pixel (kPanelX, kPanelY) == kScopePanel; })) << "never drawn";

	// The host's port values move the controls, and are not written back.
	const Rgb released = pixel (kBreakX, kBreakY);
	setPort (lv2::kBreak, 1.f);
	EXPECT_TRUE (waitFor ([&] { return !(pixel (kBreakX, kBreakY) == released); })) << "Break not shown lit";
	setPort (lv2::kBreak, 0.f);
	setPort (lv2::kSliceSize, 0.f);
	setPort (lv2::kGateSize, 0.25f);
	setPort (lv2::kEnabled, 1.f);
	EXPECT_TRUE (waitFor ([&] { return pixel (kBreakX, kBreakY) == released; }));
	EXPECT_TRUE (writes.empty ()) << "port events were echoed to the plug-in";

	// Clicks become port writes in the ports' own values.
	click (kBreakX, kBreakY);
	EXPECT_TRUE (waitFor ([&] { return wrote (lv2::kBreak, 1.f); })) << "the click on Break was not written";
	click (kQuarterBeatX, kSliceY);
	EXPECT_TRUE (waitFor ([&] { return wrote (lv2::kSliceSize, 2.f); })) << "SliceSize 1/16 not written as 2";
	for (const PortWrite& w : writes)
		EXPECT_TRUE (w.port == lv2::kBreak || w.port == lv2::kSliceSize) << "wrote port " << w.port;

	// Level bytes reach the oscilloscope; an atom claiming more than its buffer holds is ignored.
	sendLevels (-100, 96, 200);
	sendLevels (-100, 4000, 4000);
	EXPECT_TRUE (waitFor ([&] { return barPixels () > 10; })) << "the levels were not drawn";
	EXPECT_EQ (xErrors (), 0);
}

TEST_F (Lv2UiTest, OpensAndClosesAgainAndAgain)
{
	for (int round = 0; round < 5; ++round)
	{
		ASSERT_NO_FATAL_FAILURE (open ());
		ASSERT_NE (handle, nullptr);
		ASSERT_TRUE (waitForWindow ()) << "round " << round;
		setPort (lv2::kBreak, static_cast<float> (round % 2));
		sendLevels (-50, 1000, 1000);
		// Every window answers: a click on Break writes the other value.
		writes.clear ();
		click (kBreakX, kBreakY);
		ASSERT_TRUE (waitFor ([&] { return wrote (lv2::kBreak, round % 2 ? 0.f : 1.f); }))
		    << "a click on Break wrote nothing, round " << round;
		const Window window = child.id;
		close ();
		ASSERT_TRUE (waitFor ([&] { return child.id == 0; }))
		    << "the window " << window << " stayed, round " << round;
	}
	Window root, parentOfParent, *children = nullptr;
	unsigned int count = 0;
	ASSERT_TRUE (XQueryTree (display, parent, &root, &parentOfParent, &children, &count));
	XFree (children);
	EXPECT_EQ (count, 0u);
	EXPECT_EQ (xErrors (), 0);
}
