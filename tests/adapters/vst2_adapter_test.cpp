// The VST 2 adapter around the plug-in's own classes, built into the test: what only shows
// from inside (edits from the editor, the thread a value comes from, a view in the host's
// window) and the run loop the host's idle calls drive.
#include "test_factory.h"
#include "vst2_test_host.h"

#include "adapters/vst2adapter.h"
#include "common/processorstate.h"
#include "parameterids.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/common/pluginview.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;
using H = Vst2TestHost;

namespace {

// A view that records how the adapter embeds it.
class RecordingView : public CPluginView
{
public:
	static inline RecordingView* last = nullptr;

	RecordingView () : CPluginView (&kSize) { last = this; }
	~RecordingView () override { last = nullptr; }

	tresult PLUGIN_API isPlatformTypeSupported (FIDString type) SMTG_OVERRIDE
	{
		return std::strcmp (type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue : kResultFalse;
	}
	tresult PLUGIN_API attached (void* window, FIDString type) SMTG_OVERRIDE
	{
		attachedType = type;
		return CPluginView::attached (window, type);
	}
	IPlugFrame* frame () const { return plugFrame; }
	void* window () const { return systemWindow; }

	std::string attachedType;

private:
	static inline const ViewRect kSize {0, 0, 570, 666};
};

// The controller as it will be once the editor exists: it gives a view for "editor".
class ControllerWithView : public ChopwrightController
{
public:
	IPlugView* PLUGIN_API createView (FIDString name) SMTG_OVERRIDE
	{
		return name && std::strcmp (name, ViewType::kEditor) == 0 ? new RecordingView : nullptr;
	}
};

// A controller that has no view to give.
class ControllerWithoutView : public ChopwrightController
{
public:
	IPlugView* PLUGIN_API createView (FIDString) SMTG_OVERRIDE { return nullptr; }
};

class Vst2AdapterTest : public ::testing::Test
{
protected:
	vst2::Effect* open (CPluginFactory::CreateFunction controller = createController<ChopwrightController>)
	{
		effect = Vst2Adapter::create (makeTestFactory (controller), kChopwrightProcessorUID.toTUID (), 1,
		                              H::callback);
		return effect;
	}

	void TearDown () override
	{
		if (effect)
			H::dispatch (effect, vst2::effClose);
	}

	Vst2Adapter& adapter () { return *Vst2Adapter::fromEffect (effect); }
	ChopwrightController& controller ()
	{
		return *static_cast<ChopwrightController*> (adapter ().getController ());
	}

	ProcessorState processorState ()
	{
		MemoryStream stream;
		EXPECT_EQ (adapter ().getComponent ()->getState (&stream), kResultOk);
		stream.seek (0, IBStream::kIBSeekSet, nullptr);
		ProcessorState state;
		EXPECT_TRUE (state.read (&stream));
		return state;
	}

	void processOneBlock ()
	{
		float left[64] = {}, right[64] = {};
		float* channels[2] = {left, right};
		effect->processReplacing (effect, channels, channels, 64);
	}

	bool hostGot (int32_t opcode, int32_t index, float opt = 0.0f) const
	{
		for (const auto& call : host.calls)
			if (call.opcode == opcode && call.index == index && call.opt == opt)
				return true;
		return false;
	}

	Vst2TestHost host;
	vst2::Effect* effect {nullptr};
};

} // namespace

TEST_F (Vst2AdapterTest, EditsFromTheEditorReachTheHostAndTheNextProcessCall)
{
	ASSERT_NE (open (), nullptr);
	H::resume (effect, 48000.0f, 64);

	controller ().beginEdit (kBreakId);
	controller ().performEdit (kBreakId, 1.0);
	controller ().endEdit (kBreakId);
	EXPECT_TRUE (hostGot (vst2::audioMasterBeginEdit, 0));
	EXPECT_TRUE (hostGot (vst2::audioMasterAutomate, 0, 1.0f));
	EXPECT_TRUE (hostGot (vst2::audioMasterEndEdit, 0));
	EXPECT_EQ (effect->getParameter (effect, 0), 1.0f);

	// Bypass is the fourth VST 2 parameter: the program change has no place among them.
	controller ().performEdit (kBypassId, 1.0);
	EXPECT_TRUE (hostGot (vst2::audioMasterAutomate, 3, 1.0f));

	EXPECT_EQ (processorState ().breakValue, 0.0f);
	processOneBlock ();
	EXPECT_EQ (processorState ().breakValue, 1.0f);
	EXPECT_TRUE (processorState ().bypass);
}

TEST_F (Vst2AdapterTest, ValuesSetOnTheAudioThreadReachTheControllerOnTheUIThread)
{
	ASSERT_NE (open (), nullptr);
	std::thread audio ([this] { effect->setParameter (effect, 2, 0.25f); });
	audio.join ();
	EXPECT_EQ (effect->getParameter (effect, 2), 0.25f);
	EXPECT_EQ (controller ().getParamNormalized (kGateSizeId), 1.0);
	H::dispatch (effect, vst2::effEditIdle);
	EXPECT_EQ (controller ().getParamNormalized (kGateSizeId), 0.25);

	// On the UI thread the controller follows at once.
	effect->setParameter (effect, 2, 0.5f);
	EXPECT_EQ (controller ().getParamNormalized (kGateSizeId), 0.5);
}

TEST_F (Vst2AdapterTest, BlocksLongerThanAnnouncedArePassedInPieces)
{
	ASSERT_NE (open (), nullptr);
	PlayingTransport transport (48000.0, 120.0);
	transport.moveTo (0.0);
	host.time = &transport.info;
	H::resume (effect, 48000.0f, 64);
	std::vector<float> in[2], out[2];
	for (int c = 0; c < 2; ++c)
	{
		in[c].resize (1000);
		out[c].assign (1000, 9.0f);
		for (size_t i = 0; i < in[c].size (); ++i)
			in[c][i] = static_cast<float> (i % 97) / 97.0f - 0.5f * c;
	}
	float* inputs[2] = {in[0].data (), in[1].data ()};
	float* outputs[2] = {out[0].data (), out[1].data ()};
	effect->processReplacing (effect, inputs, outputs, 1000);
	EXPECT_EQ (in[0], out[0]);
	EXPECT_EQ (in[1], out[1]);
}

TEST_F (Vst2AdapterTest, TheEditorIsTheControllersViewInTheHostsWindow)
{
	ASSERT_NE (open (createController<ControllerWithView>), nullptr);
	vst2::Rect* rect = nullptr;
	ASSERT_EQ (H::dispatch (effect, vst2::effEditGetRect, 0, 0, &rect), 1);
	ASSERT_NE (rect, nullptr);
	EXPECT_EQ (rect->top, 0);
	EXPECT_EQ (rect->left, 0);
	EXPECT_EQ (rect->bottom, 666);
	EXPECT_EQ (rect->right, 570);

	void* const window = reinterpret_cast<void*> (0x2a00007);
	ASSERT_EQ (H::dispatch (effect, vst2::effEditOpen, 0, 0, window), 1);
	RecordingView* view = RecordingView::last;
	ASSERT_NE (view, nullptr);
	EXPECT_EQ (view->window (), window);
	EXPECT_EQ (view->attachedType, kPlatformTypeX11EmbedWindowID);
	EXPECT_EQ (H::dispatch (effect, vst2::effEditIdle), 1);

	// Linux views find the run loop through their frame.
	ASSERT_NE (view->frame (), nullptr);
	EXPECT_TRUE (FUnknownPtr<Linux::IRunLoop> (view->frame ()));

	// A size request goes to the host; the view takes the size only when the host agrees.
	ViewRect larger (0, 0, 640, 700);
	EXPECT_EQ (view->frame ()->resizeView (view, &larger), kResultOk);
	EXPECT_TRUE (hostGot (vst2::audioMasterSizeWindow, 640));
	EXPECT_EQ (view->getRect ().getHeight (), 700);
	ASSERT_EQ (H::dispatch (effect, vst2::effEditGetRect, 0, 0, &rect), 1);
	EXPECT_EQ (rect->bottom, 700);
	host.sizeWindowAnswer = 0;
	ViewRect smaller (0, 0, 100, 100);
	EXPECT_EQ (view->frame ()->resizeView (view, &smaller), kResultFalse);
	EXPECT_EQ (view->getRect ().getWidth (), 640);

	EXPECT_EQ (H::dispatch (effect, vst2::effEditClose), 1);
	EXPECT_EQ (RecordingView::last, nullptr); // removed and released
	EXPECT_EQ (H::dispatch (effect, vst2::effEditClose), 0);
}

TEST_F (Vst2AdapterTest, WithoutAViewTheEditorOpcodesFail)
{
	ASSERT_NE (open (createController<ControllerWithoutView>), nullptr);
	vst2::Rect* rect = nullptr;
	EXPECT_EQ (H::dispatch (effect, vst2::effEditGetRect, 0, 0, &rect), 0);
	EXPECT_EQ (rect, nullptr);
	EXPECT_EQ (H::dispatch (effect, vst2::effEditOpen, 0, 0, reinterpret_cast<void*> (0x2a00007)), 0);
	EXPECT_EQ (H::dispatch (effect, vst2::effEditClose), 0);
}

TEST (AdapterHostContext, MessagesKeepEmptyAndFilledBinaryAttributes)
{
	AdapterHostContext context;
	IMessage* message = nullptr;
	ASSERT_EQ (context.createInstance (const_cast<char*> (IMessage::iid.toTUID ()),
	                                   const_cast<char*> (IMessage::iid.toTUID ()),
	                                   reinterpret_cast<void**> (&message)),
	           kResultTrue);
	IPtr<IMessage> owner = owned (message);
	IAttributeList* attributes = message->getAttributes ();
	ASSERT_NE (attributes, nullptr);

	// An empty level message, then the same name filled, then emptied again.
	const void* data = nullptr;
	uint32 size = 99;
	ASSERT_EQ (attributes->setBinary ("AudioData", "", 0), kResultTrue);
	ASSERT_EQ (attributes->getBinary ("AudioData", data, size), kResultTrue);
	EXPECT_EQ (size, 0u);
	const int8 bytes[3] = {1, -2, 3};
	ASSERT_EQ (attributes->setBinary ("AudioData", bytes, 3), kResultTrue);
	ASSERT_EQ (attributes->getBinary ("AudioData", data, size), kResultTrue);
	ASSERT_EQ (size, 3u);
	EXPECT_EQ (std::memcmp (data, bytes, 3), 0);
	ASSERT_EQ (attributes->setBinary ("AudioData", bytes, 0), kResultTrue);
	ASSERT_EQ (attributes->getBinary ("AudioData", data, size), kResultTrue);
	EXPECT_EQ (size, 0u);
}
