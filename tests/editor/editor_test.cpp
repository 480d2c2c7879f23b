// The editor with the real controller, without a display: the layout it builds, offscreen renders
// at three zooms, parameter changes in both directions, scope data, and opening and closing.
#include "controller/chopwrightcontroller.h"
#include "editor/chopwrighteditor.h"
#include "editor/controls/button.h"
#include "editor/controls/slider2.h"
#include "editor/controls/switch.h"
#include "editor/displays/oscilloscope.h"
#include "editor/displays/simpledisplay.h"

#include "common/scopemessage.h"
#include "common/stored_state.h"
#include "parameterids.h"

#include "base/source/updatehandler.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "public.sdk/source/vst/vstparameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using VSTGUI::CBitmap;
using VSTGUI::CBitmapPixelAccess;
using VSTGUI::CColor;
using VSTGUI::CPoint;
using VSTGUI::CRect;
using VSTGUI::CTextLabel;

namespace {

// Records each edit with the value the controller held when the host was told.
class RecordingHandler : public IComponentHandler
{
public:
	struct Edit
	{
		char kind;
		ParamID id;
		ParamValue value, controllerValue;
	};
	std::vector<Edit> edits;
	IEditController* controller = nullptr;

	tresult PLUGIN_API beginEdit (ParamID id) override { return record ('b', id, 0.); }
	tresult PLUGIN_API performEdit (ParamID id, ParamValue value) override { return record ('p', id, value); }
	tresult PLUGIN_API endEdit (ParamID id) override { return record ('e', id, 0.); }
	tresult PLUGIN_API restartComponent (int32) override { return kResultOk; }
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		QUERY_INTERFACE (iid, obj, FUnknown::iid, IComponentHandler)
		QUERY_INTERFACE (iid, obj, IComponentHandler::iid, IComponentHandler)
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }

private:
	tresult record (char kind, ParamID id, ParamValue value)
	{
		edits.push_back ({kind, id, value, controller->getParamNormalized (id)});
		return kResultOk;
	}
};

// The views in the order the editor adds them.
enum ViewIndex : uint32
{
	kSlider,
	kButton,
	kSwitch,
	kBreakLabel,
	kSliceLabel0,
	kSliceLabel1,
	kSliceLabel2,
	kGateLabel,
	kReadout,
	kScope,
	kViewCount
};

const CColor kBlack (0, 0, 0, 255);
const CColor kGrey (180, 180, 180, 255);

struct EditorTest : ::testing::Test
{
	IPtr<ChopwrightController> controller = owned (new ChopwrightController);
	HostApplication host;
	RecordingHandler handler;
	IPtr<IPlugView> view;
	ChopwrightEditor* editor = nullptr;

	void SetUp () override
	{
		VSTGUI::X11::setResourcePath (CHOPWRIGHT_RESOURCE_DIR);
		ASSERT_EQ (controller->initialize (&host), kResultOk);
		handler.controller = controller;
		controller->setComponentHandler (&handler);
		view = owned (controller->createView ("editor"));
		ASSERT_TRUE (view);
		editor = static_cast<ChopwrightEditor*> (view.get ());
	}
	void TearDown () override
	{
		view = nullptr;
		controller->terminate ();
		VSTGUI::X11::setResourcePath ({});
	}

	void setParams (double breakValue, double sliceSize, double gateSize)
	{
		controller->setParamNormalized (kBreakId, breakValue);
		controller->setParamNormalized (kSliceSizeId, sliceSize);
		controller->setParamNormalized (kGateSizeId, gateSize);
	}
	CFrame* frame () const { return editor->getFrame (); }
	template <typename T>
	T* at (ViewIndex i) const
	{
		return frame () ? dynamic_cast<T*> (frame ()->getView (i)) : nullptr;
	}
	std::string text (ViewIndex i) const { return at<CTextLabel> (i)->getText ().getString (); }
	std::string readout () const { return at<SimpleDisplay> (kReadout)->getText ().getString (); }
	std::vector<CColor> sliceColours () const
	{
		return {at<CTextLabel> (kSliceLabel0)->getFontColor (),
		        at<CTextLabel> (kSliceLabel1)->getFontColor (),
		        at<CTextLabel> (kSliceLabel2)->getFontColor ()};
	}
	size_t registrations (ParamID id) const
	{
		return UpdateHandler::instance ()->countDependencies (
		    controller->getParameterObject (id)->unknownCast ());
	}
	void click (CPoint where)
	{
		frame ()->platformOnMouseDown (where, VSTGUI::kLButton);
		frame ()->platformOnMouseUp (where, VSTGUI::kLButton);
	}
	void sendScope (const std::vector<Steinberg::int8>& bytes)
	{
		auto message = owned (new HostMessage);
		message->setMessageID (chopwright::scopemessage::kMessageId);
		message->getAttributes ()->setBinary (chopwright::scopemessage::kDataAttribute, bytes.data (),
		                                      static_cast<uint32> (bytes.size ()));
		EXPECT_EQ (controller->notify (message), kResultOk);
	}
};

// The pixel of a render at a point of the window (in points, zoomed).
CColor pixel (CBitmap* render, CPoint where, double zoom)
{
	auto access = VSTGUI::owned (CBitmapPixelAccess::create (render));
	CColor c;
	if (access->setPosition (static_cast<uint32_t> (where.x * zoom), static_cast<uint32_t> (where.y * zoom)))
		access->getColor (c);
	return c;
}

// The darkest channel value of the darkest pixel in a rectangle (in points, zoomed): 0 where
// black text is drawn, about 180 where only grey text is.
int darkest (CBitmap* render, CRect r, double zoom)
{
	auto access = VSTGUI::owned (CBitmapPixelAccess::create (render));
	int result = 255;
	for (auto y = static_cast<uint32_t> (r.top * zoom); y < r.bottom * zoom; ++y)
		for (auto x = static_cast<uint32_t> (r.left * zoom); x < r.right * zoom; ++x)
		{
			CColor c;
			if (access->setPosition (x, y))
				access->getColor (c);
			result = std::min ({result, int (c.red), int (c.green), int (c.blue)});
		}
	return result;
}

} // namespace

TEST_F (EditorTest, OpensWithTheControllersValuesAndRendersAtEveryZoom)
{
	ViewRect size;
	ASSERT_EQ (view->getSize (&size), kResultTrue);
	EXPECT_EQ (size.getWidth (), 570);
	EXPECT_EQ (size.getHeight (), 666);

	setParams (0., 0.5, 1.);
	ASSERT_TRUE (editor->open (nullptr, PlatformType::kX11EmbedWindowID)); // no window: the layout only
	ASSERT_EQ (frame ()->getNbViews (), kViewCount);
	EXPECT_EQ (frame ()->getViewSize (), CRect (0, 0, 570, 666));
	EXPECT_EQ (at<Slider2> (kSlider)->getViewSize (), CRect (256, 620, 546, 640));
	EXPECT_EQ (at<Slider2> (kSlider)->getValue (), 1.f);
	ASSERT_TRUE (at<Button> (kButton));
	EXPECT_EQ (at<Button> (kButton)->getViewSize (), CRect (24, 620, 46, 642)); // the 22-point pictures
	EXPECT_EQ (at<Switch> (kSwitch)->getViewSize (), CRect (100, 620, 166, 642));
	EXPECT_EQ (text (kBreakLabel), "OFF");
	EXPECT_EQ (at<CTextLabel> (kSliceLabel2)->getViewSize (), CRect (144, 642, 166, 662));
	EXPECT_EQ (sliceColours (), (std::vector<CColor> {kGrey, kBlack, kGrey}));
	EXPECT_EQ (text (kGateLabel), "GATE : ");
	EXPECT_EQ (readout (), "100%");
	ASSERT_TRUE (at<Oscilloscope> (kScope));
	EXPECT_EQ (at<Oscilloscope> (kScope)->getViewSize (), CRect (412, 256, 548, 606));
	EXPECT_EQ (at<Oscilloscope> (kScope)->waveColor, CColor (0, 170, 255, 254));

	for (double zoom : {1., 1.5, 2.})
	{
		SCOPED_TRACE (zoom);
		ViewRect zoomed (0, 0, static_cast<int32> (570 * zoom), static_cast<int32> (666 * zoom));
		if (zoom != 1.)
		{
			EXPECT_EQ (view->onSize (&zoomed), kResultTrue);
		}
		EXPECT_EQ (frame ()->getWidth (), 570 * zoom);
		EXPECT_EQ (frame ()->getHeight (), 666 * zoom);
		auto render = VSTGUI::renderFrameOffscreen (frame ());
		ASSERT_TRUE (render);
		const auto name = "/editor_" + std::to_string (zoom).substr (0, 3) + ".png";
		VSTGUI::saveBitmapPNG (render, EDITOR_PICTURE_DIR + name);

		// The oscilloscope's panel between its grid lines.
		EXPECT_EQ (pixel (render, CPoint (420.5, 428.2), zoom), CColor (138, 209, 247, 255));
		// "1/8" in black, "1/4" and "1/16" in grey; the labels' inner parts, as "1/16" is wider than 22.
		EXPECT_LT (darkest (render, CRect (125, 644, 141, 660), zoom), 60);
		EXPECT_GT (darkest (render, CRect (103, 644, 119, 660), zoom), 150);
		EXPECT_GT (darkest (render, CRect (147, 644, 163, 660), zoom), 150);
		EXPECT_LT (darkest (render, CRect (103, 644, 119, 660), zoom), 200);
		// "OFF" and the readout's "100%" (right of "GATE : ") in black.
		EXPECT_LT (darkest (render, CRect (24, 644, 44, 660), zoom), 60);
		EXPECT_LT (darkest (render, CRect (340, 644, 370, 660), zoom), 60);
		EXPECT_GT (darkest (render, CRect (372, 644, 400, 660), zoom), 150);
	}
}

TEST_F (EditorTest, FollowsAutomationAndStateLoadsWhileOpenOnly)
{
	ASSERT_TRUE (editor->open (nullptr, PlatformType::kX11EmbedWindowID));
	controller->setParamNormalized (kBreakId, 1.);
	EXPECT_EQ (at<Button> (kButton)->getValue (), 1.f);
	EXPECT_EQ (text (kBreakLabel), "ON");
	controller->setParamNormalized (kSliceSizeId, 0.4); // "1/2 BEAT" to the host, position 0 here
	EXPECT_EQ (sliceColours (), (std::vector<CColor> {kBlack, kGrey, kGrey}));
	controller->setParamNormalized (kGateSizeId, 0.999);
	EXPECT_EQ (readout (), "99%");
	EXPECT_EQ (at<Slider2> (kSlider)->getValue (), 0.999f);

	ASSERT_EQ (controller->setComponentState (storedState ({0.f, 1.f, 0.255f, true})), kResultOk);
	EXPECT_EQ (at<Button> (kButton)->getValue (), 0.f);
	EXPECT_EQ (text (kBreakLabel), "OFF");
	EXPECT_EQ (sliceColours (), (std::vector<CColor> {kGrey, kGrey, kBlack}));
	EXPECT_EQ (readout (), "25%");

	// Scope bytes reach the oscilloscope: 88 make a block, the next byte closes it.
	sendScope (std::vector<Steinberg::int8> (89, -128));
	EXPECT_EQ (at<Oscilloscope> (kScope)->getRowCount (), 1);
	EXPECT_EQ (at<Oscilloscope> (kScope)->getRow (0), -1.f);

	// Closed, nothing is shown and nothing is touched (the sanitizer builds would see it).
	view->removed ();
	EXPECT_FALSE (editor->isOpen ());
	EXPECT_EQ (frame (), nullptr);
	controller->setParamNormalized (kBreakId, 1.);
	controller->setParamNormalized (kGateSizeId, 0.5);
	sendScope (std::vector<Steinberg::int8> (500, -128));
	editor->updateParameter (kBreakId, 0.f);
	editor->setScopeData (nullptr, 10);

	// Reopened, the layout is built anew from the current values.
	ASSERT_TRUE (editor->open (nullptr, PlatformType::kX11EmbedWindowID));
	EXPECT_EQ (text (kBreakLabel), "ON");
	EXPECT_EQ (readout (), "50%");
	EXPECT_EQ (at<Oscilloscope> (kScope)->getRowCount (), 0);
}

TEST_F (EditorTest, ControlsEditTheControllerThenTheHost)
{
	ASSERT_TRUE (editor->open (nullptr, PlatformType::kX11EmbedWindowID));

	click (CPoint (400, 630)); // the slider's groove, away from the handle at 0
	const double gate = static_cast<float> (144. / 289.);
	ASSERT_EQ (handler.edits.size (), 3u);
	EXPECT_EQ (handler.edits[0].kind, 'b');
	EXPECT_EQ (handler.edits[1].kind, 'p');
	EXPECT_EQ (handler.edits[1].id, kGateSizeId);
	EXPECT_EQ (handler.edits[1].value, gate);
	EXPECT_EQ (handler.edits[1].controllerValue, gate) << "the controller is set before the host is told";
	EXPECT_EQ (handler.edits[2].kind, 'e');
	EXPECT_EQ (readout (), "49%");

	handler.edits.clear ();
	click (CPoint (35, 631)); // Break
	ASSERT_EQ (handler.edits.size (), 3u);
	EXPECT_EQ (handler.edits[0].kind, 'p');
	EXPECT_EQ (handler.edits[0].id, kBreakId);
	EXPECT_EQ (handler.edits[0].value, 1.);
	EXPECT_EQ (handler.edits[0].controllerValue, 1.);
	EXPECT_EQ (text (kBreakLabel), "ON");

	handler.edits.clear ();
	click (CPoint (150, 631)); // the switch's third position
	ASSERT_EQ (handler.edits.size (), 1u);
	EXPECT_EQ (handler.edits[0].id, kSliceSizeId);
	EXPECT_EQ (handler.edits[0].value, 1.);
	EXPECT_EQ (sliceColours (), (std::vector<CColor> {kGrey, kGrey, kBlack}));

	// The slider's last column gives a little over 1; the host gets 1.
	handler.edits.clear ();
	click (CPoint (545.5, 630));
	ASSERT_EQ (handler.edits.size (), 3u);
	EXPECT_EQ (handler.edits[1].value, 1.);
	EXPECT_EQ (readout (), "100%");
}

TEST_F (EditorTest, OpenAndCloseKeepOneRegistrationPerParameter)
{
	for (int round = 0; round < 3; ++round)
	{
		ASSERT_TRUE (editor->open (nullptr, PlatformType::kX11EmbedWindowID));
		EXPECT_FALSE (editor->open (nullptr, PlatformType::kX11EmbedWindowID)) << "already open";
		EXPECT_EQ (frame ()->getNbViews (), kViewCount);
		EXPECT_EQ (controller->getActiveEditor (), editor);
		for (ParamID id = 0; id < kNumParams; ++id)
			EXPECT_EQ (registrations (id), 1u) << "parameter " << id;
		editor->close ();
		EXPECT_EQ (controller->getActiveEditor (), nullptr);
		for (ParamID id = 0; id < kNumParams; ++id)
			EXPECT_EQ (registrations (id), 0u) << "parameter " << id;
	}

	// A host that releases the view while it is open leaves nothing registered.
	ASSERT_TRUE (editor->open (nullptr, PlatformType::kX11EmbedWindowID));
	view = nullptr;
	EXPECT_EQ (controller->getActiveEditor (), nullptr);
	for (ParamID id = 0; id < kNumParams; ++id)
		EXPECT_EQ (registrations (id), 0u) << "parameter " << id;
	controller->setParamNormalized (kBreakId, 1.);
}

TEST_F (EditorTest, ZoomFollowsTheWidthInPoints)
{
	ViewRect wide (0, 0, 855, 100); // before the window opens, as hosts may
	EXPECT_EQ (view->onSize (&wide), kResultTrue);
	ASSERT_TRUE (editor->open (nullptr, PlatformType::kX11EmbedWindowID));
	EXPECT_EQ (frame ()->getZoom (), 1.5);
	EXPECT_EQ (frame ()->getViewSize (), CRect (0, 0, 855, 999)); // the height follows the width
	EXPECT_EQ (view->onSize (&wide), kResultFalse) << "same width";
	EXPECT_EQ (view->onSize (nullptr), kResultFalse);

	ViewRect twice (0, 0, 1140, 1332);
	EXPECT_EQ (view->onSize (&twice), kResultTrue);
	editor->close ();
	ASSERT_TRUE (editor->open (nullptr, PlatformType::kX11EmbedWindowID));
	EXPECT_EQ (frame ()->getZoom (), 2.) << "a reopened window keeps its zoom";

	// Sizes are in pixels: at content scale 2, 2280 pixels are the current 1140 points.
	EXPECT_EQ (editor->setContentScaleFactor (2.f), kResultTrue);
	ViewRect pixels (0, 0, 2280, 2664);
	EXPECT_EQ (view->onSize (&pixels), kResultFalse);
	EXPECT_EQ (frame ()->getZoom (), 2.);
	ViewRect smaller (0, 0, 1140, 1332);
	EXPECT_EQ (view->onSize (&smaller), kResultTrue);
	EXPECT_EQ (frame ()->getZoom (), 1.);
}
