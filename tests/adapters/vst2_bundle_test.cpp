// The built bundle as a VST 2 host sees it: its library loaded with dlopen, VSTPluginMain
// called with the host's callback, everything else through the effect record.
#include "vst2_test_host.h"

#include "adapters/fourcc.h"
#include "hosting/host_context.h"
#include "hosting/module.h"
#include "hosting/plugin_instance.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstring>
#include <random>

using Vst2Main = vst2::Effect* (*)(vst2::Callback);
using H = Vst2TestHost;

namespace {

constexpr double kRate = 48000.0;
constexpr int32_t kBlock = 480;
constexpr int32_t kBarFrames = 96000; // four beats at 120 BPM
constexpr int32_t kBars = 4;

enum Param : int32_t
{
	kBreak = 0,
	kSliceSize = 1,
	kGateSize = 2,
	kBypass = 3
};

class Vst2Bundle : public ::testing::Test
{
protected:
	void SetUp () override
	{
		library = dlopen (CHOPWRIGHT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
		ASSERT_NE (library, nullptr) << dlerror ();
		entry = reinterpret_cast<Vst2Main> (dlsym (library, "VSTPluginMain"));
		ASSERT_NE (entry, nullptr) << "the library does not export VSTPluginMain";
	}

	void TearDown () override
	{
		for (vst2::Effect* effect : effects)
			H::dispatch (effect, vst2::effClose);
		if (library)
			dlclose (library);
	}

	vst2::Effect* open ()
	{
		vst2::Effect* effect = entry (H::callback);
		if (effect)
		{
			effects.push_back (effect);
			H::dispatch (effect, vst2::effOpen);
		}
		return effect;
	}

	Vst2TestHost host;
	void* library {nullptr};
	Vst2Main entry {nullptr};
	std::vector<vst2::Effect*> effects;
};

template <typename Sample>
struct Render
{
	std::vector<Sample> input[2];
	std::vector<Sample> output[2];
};

// Plays kBars bars of noise through the effect; Break goes on with the block that starts bar
// `breakBar` (0: never). Without `transport` the host gives no time information.
template <typename Sample>
Render<Sample> render (vst2::Effect* effect, PlayingTransport* transport, Vst2TestHost& host, int breakBar)
{
	if (sizeof (Sample) == sizeof (double))
		H::dispatch (effect, vst2::effSetProcessPrecision, 0, vst2::kProcessPrecision64);
	H::resume (effect, static_cast<float> (kRate), kBlock);
	host.time = transport ? &transport->info : nullptr;

	Render<Sample> result;
	std::mt19937 random (7);
	std::uniform_real_distribution<double> noise (-0.5, 0.5);
	for (int c = 0; c < 2; ++c)
	{
		result.input[c].resize (kBars * kBarFrames);
		result.output[c].assign (kBars * kBarFrames, Sample (9));
		for (Sample& sample : result.input[c])
			sample = static_cast<Sample> (noise (random));
	}
	for (int32_t start = 0; start < kBars * kBarFrames; start += kBlock)
	{
		if (breakBar > 0 && start == (breakBar - 1) * kBarFrames)
			effect->setParameter (effect, kBreak, 1.0f);
		if (transport)
			transport->moveTo (start);
		Sample* in[2] = {result.input[0].data () + start, result.input[1].data () + start};
		Sample* out[2] = {result.output[0].data () + start, result.output[1].data () + start};
		if constexpr (sizeof (Sample) == sizeof (double))
			effect->processDoubleReplacing (effect, in, out, kBlock);
		else
			effect->processReplacing (effect, in, out, kBlock);
	}
	H::dispatch (effect, vst2::effMainsChanged, 0, 0);
	host.time = nullptr;
	return result;
}

template <typename Sample>
bool sameFrames (const Render<Sample>& r, int32_t from, int32_t to)
{
	for (int c = 0; c < 2; ++c)
		if (std::memcmp (r.input[c].data () + from, r.output[c].data () + from,
		                 sizeof (Sample) * (to - from)) != 0)
			return false;
	return true;
}

template <typename Sample>
double differingShare (const Render<Sample>& r, int32_t from, int32_t to)
{
	int64_t differing = 0;
	for (int c = 0; c < 2; ++c)
		for (int32_t i = from; i < to; ++i)
			differing += std::fabs (static_cast<double> (r.output[c][i] - r.input[c][i])) > 1e-3;
	return static_cast<double> (differing) / (2.0 * (to - from));
}

} // namespace

TEST_F (Vst2Bundle, RefusesAHostThatDoesNotAnswerTheVersionQuery)
{
	host.version = 0;
	EXPECT_EQ (entry (H::callback), nullptr);
	EXPECT_EQ (entry (nullptr), nullptr);
}

TEST_F (Vst2Bundle, DescribesTheEffect)
{
	vst2::Effect* effect = open ();
	ASSERT_NE (effect, nullptr);
	EXPECT_EQ (effect->magic, vst2::kEffectMagic);
	EXPECT_EQ (static_cast<uint32_t> (effect->uniqueID), 0x63687077u); // "chpw"
	EXPECT_EQ (static_cast<uint32_t> (effect->uniqueID), chopwright::fourCharCode ("chpw"));
	EXPECT_EQ (effect->numInputs, 2);
	EXPECT_EQ (effect->numOutputs, 2);
	EXPECT_EQ (effect->numParams, 4);
	EXPECT_EQ (effect->numPrograms, 1);
	EXPECT_EQ (effect->flags, vst2::effFlagsHasEditor | vst2::effFlagsCanReplacing |
	                              vst2::effFlagsProgramChunks | vst2::effFlagsCanDoubleReplacing);
	EXPECT_EQ (effect->initialDelay, 0);
	EXPECT_EQ (effect->version, 1301);

	EXPECT_EQ (H::dispatch (effect, vst2::effGetVstVersion), 2400);
	EXPECT_EQ (H::dispatch (effect, vst2::effGetPlugCategory), vst2::kPlugCategEffect);
	EXPECT_EQ (H::dispatch (effect, vst2::effGetVendorVersion), 1301);
	EXPECT_EQ (H::dispatch (effect, vst2::effGetTailSize), 1); // no tail
	EXPECT_EQ (H::text (effect, vst2::effGetEffectName), "Chopwright");
	EXPECT_EQ (H::text (effect, vst2::effGetProductString), "Chopwright");
	EXPECT_EQ (H::text (effect, vst2::effGetVendorString), "Quillmarsh");
	EXPECT_EQ (H::text (effect, vst2::effGetProgramName), "Chopwright");
	EXPECT_EQ (H::text (effect, vst2::effGetProgramNameIndexed, 0), "Chopwright");

	for (const char* yes : {"receiveVstTimeInfo", "plugAsChannelInsert", "plugAsSend", "2in2out"})
		EXPECT_EQ (H::dispatch (effect, vst2::effCanDo, 0, 0, const_cast<char*> (yes)), 1) << yes;
	for (const char* no : {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "offline", "bypass"})
		EXPECT_EQ (H::dispatch (effect, vst2::effCanDo, 0, 0, const_cast<char*> (no)), -1) << no;
}

TEST_F (Vst2Bundle, ParametersHaveNamesValuesAndTexts)
{
	vst2::Effect* effect = open ();
	ASSERT_NE (effect, nullptr);
	const char* names[] = {"Break", "SliceSize", "GateSize", "Bypass"};
	const float defaults[] = {0.0f, 0.5f, 1.0f, 0.0f};
	for (int32_t i = 0; i < 4; ++i)
	{
		EXPECT_EQ (H::text (effect, vst2::effGetParamName, i), names[i]);
		EXPECT_EQ (effect->getParameter (effect, i), defaults[i]) << names[i];
		EXPECT_EQ (H::dispatch (effect, vst2::effCanBeAutomated, i), 1) << names[i];
	}
	EXPECT_EQ (H::text (effect, vst2::effGetParamLabel, kGateSize), "%");
	EXPECT_EQ (H::text (effect, vst2::effGetParamLabel, kBreak), "");

	EXPECT_EQ (H::text (effect, vst2::effGetParamDisplay, kBreak), "OFF");
	effect->setParameter (effect, kBreak, 1.0f);
	EXPECT_EQ (effect->getParameter (effect, kBreak), 1.0f);
	EXPECT_EQ (H::text (effect, vst2::effGetParamDisplay, kBreak), "ON");

	const std::pair<float, const char*> sizes[] = {{0.0f, "1 BEAT"}, {0.5f, "1/2 BEAT"}, {1.0f, "1/4 BEAT"}};
	for (const auto& [value, display] : sizes)
	{
		effect->setParameter (effect, kSliceSize, value);
		EXPECT_EQ (H::text (effect, vst2::effGetParamDisplay, kSliceSize), display);
	}

	// Out of range: clamped; NaN and unknown indices: ignored.
	effect->setParameter (effect, kGateSize, 2.0f);
	EXPECT_EQ (effect->getParameter (effect, kGateSize), 1.0f);
	effect->setParameter (effect, kGateSize, NAN);
	EXPECT_EQ (effect->getParameter (effect, kGateSize), 1.0f);
	effect->setParameter (effect, 4, 0.5f);
	EXPECT_EQ (effect->getParameter (effect, 4), 0.0f);
	EXPECT_EQ (H::dispatch (effect, vst2::effGetParamName, 4, 0, nullptr), 0);
}

TEST_F (Vst2Bundle, BreakOffPassesTheInputBitForBit32)
{
	vst2::Effect* effect = open ();
	ASSERT_NE (effect, nullptr);
	PlayingTransport transport (kRate, 120.0);
	const auto r = render<float> (effect, &transport, host, 0);
	EXPECT_TRUE (sameFrames (r, 0, kBars * kBarFrames));
}

TEST_F (Vst2Bundle, BreakOffPassesTheInputBitForBit64)
{
	vst2::Effect* effect = open ();
	ASSERT_NE (effect, nullptr);
	PlayingTransport transport (kRate, 120.0);
	const auto r = render<double> (effect, &transport, host, 0);
	EXPECT_TRUE (sameFrames (r, 0, kBars * kBarFrames));
}

TEST_F (Vst2Bundle, BreakOnFromBar2ReplacesTheOutput32)
{
	vst2::Effect* effect = open ();
	ASSERT_NE (effect, nullptr);
	PlayingTransport transport (kRate, 120.0);
	const auto r = render<float> (effect, &transport, host, 2);
	EXPECT_TRUE (sameFrames (r, 0, kBarFrames));
	// Slices of bar 1 play from bar 2 on; only the few dry slices let the input through.
	EXPECT_GT (differingShare (r, kBarFrames, kBars * kBarFrames), 0.5);
}

TEST_F (Vst2Bundle, BreakOnFromBar2ReplacesTheOutput64)
{
	vst2::Effect* effect = open ();
	ASSERT_NE (effect, nullptr);
	PlayingTransport transport (kRate, 120.0);
	const auto r = render<double> (effect, &transport, host, 2);
	EXPECT_TRUE (sameFrames (r, 0, kBarFrames));
	EXPECT_GT (differingShare (r, kBarFrames, kBars * kBarFrames), 0.5);
}

TEST_F (Vst2Bundle, WithoutTimeInformationBreakPassesTheInput)
{
	vst2::Effect* effect = open ();
	ASSERT_NE (effect, nullptr);
	const auto r = render<float> (effect, nullptr, host, 1);
	EXPECT_EQ (effect->getParameter (effect, kBreak), 1.0f);
	EXPECT_TRUE (sameFrames (r, 0, kBars * kBarFrames));
}

TEST_F (Vst2Bundle, WithTheTransportStoppedBreakPassesTheInput)
{
	vst2::Effect* effect = open ();
	ASSERT_NE (effect, nullptr);
	PlayingTransport transport (kRate, 120.0);
	transport.info.flags &= ~vst2::kVstTransportPlaying;
	const auto r = render<float> (effect, &transport, host, 1);
	EXPECT_TRUE (sameFrames (r, 0, kBars * kBarFrames));
}

TEST_F (Vst2Bundle, AChunkHoldsBothStatesAndRestoresAFreshInstance)
{
	vst2::Effect* first = open ();
	ASSERT_NE (first, nullptr);
	const float values[] = {1.0f, 1.0f, 0.25f, 1.0f}; // Break on, 1/4 beat, 25 %, bypassed
	for (int32_t i = 0; i < 4; ++i)
		first->setParameter (first, i, values[i]);

	void* data = nullptr;
	const intptr_t size = H::dispatch (first, vst2::effGetChunk, 0, 0, &data);
	ASSERT_GT (size, 0);
	ASSERT_NE (data, nullptr);
	const std::vector<unsigned char> chunk (static_cast<unsigned char*> (data),
	                                        static_cast<unsigned char*> (data) + size);
	// "chpw", the processor's 22-byte record, the controller's 16-byte record.
	ASSERT_EQ (chunk.size (), 4u + 4u + 22u + 4u + 16u);
	EXPECT_EQ (std::string (chunk.begin (), chunk.begin () + 4), "chpw");
	EXPECT_EQ (chunk[4], 22);
	EXPECT_EQ (chunk[4 + 4 + 22], 16);

	vst2::Effect* second = open ();
	ASSERT_NE (second, nullptr);
	EXPECT_EQ (second->getParameter (second, kBypass), 0.0f);
	std::vector<unsigned char> copy = chunk;
	EXPECT_EQ (H::dispatch (second, vst2::effSetChunk, 0, static_cast<intptr_t> (copy.size ()), copy.data ()),
	           1);
	for (int32_t i = 0; i < 4; ++i)
		EXPECT_EQ (second->getParameter (second, i), values[i]) << i;
	EXPECT_EQ (H::text (second, vst2::effGetParamDisplay, kSliceSize), "1/4 BEAT");

	data = nullptr;
	const intptr_t size2 = H::dispatch (second, vst2::effGetChunk, 0, 0, &data);
	ASSERT_EQ (size2, size);
	EXPECT_EQ (std::memcmp (data, chunk.data (), chunk.size ()), 0);

	// The processor of the restored instance has its state too: bypassed, the input passes.
	PlayingTransport transport (kRate, 120.0);
	const auto r = render<float> (second, &transport, host, 0);
	EXPECT_TRUE (sameFrames (r, 0, kBars * kBarFrames));
}

TEST_F (Vst2Bundle, RefusesChunksThatAreNotItsOwn)
{
	vst2::Effect* effect = open ();
	ASSERT_NE (effect, nullptr);
	void* data = nullptr;
	const intptr_t size = H::dispatch (effect, vst2::effGetChunk, 0, 0, &data);
	ASSERT_GT (size, 12);
	std::vector<unsigned char> chunk (static_cast<unsigned char*> (data),
	                                  static_cast<unsigned char*> (data) + size);

	auto refused = [&] (std::vector<unsigned char> bytes) {
		return H::dispatch (effect, vst2::effSetChunk, 0, static_cast<intptr_t> (bytes.size ()),
		                    bytes.data ()) == 0;
	};
	std::vector<unsigned char> foreign = chunk;
	foreign[0] = 'x';
	EXPECT_TRUE (refused (foreign));
	EXPECT_TRUE (refused ({chunk.begin (), chunk.end () - 1}));
	std::vector<unsigned char> longer = chunk;
	longer.push_back (0);
	EXPECT_TRUE (refused (longer));
	std::vector<unsigned char> oversized = chunk;
	oversized[4] = 0xFF;
	EXPECT_TRUE (refused (oversized));
	EXPECT_EQ (H::dispatch (effect, vst2::effSetChunk, 0, 100, nullptr), 0);
	EXPECT_EQ (effect->getParameter (effect, kSliceSize), 0.5f);
}

TEST_F (Vst2Bundle, EditorOpcodesFollowTheControllersView)
{
	// What the VST 3 controller of the same bundle gives a VST 3 host for "editor".
	auto module = hosting::Module::load (CHOPWRIGHT_BUNDLE);
	hosting::HostContext context;
	hosting::PluginInstance plugin (module, &context);
	Steinberg::IPtr<Steinberg::IPlugView> view =
	    Steinberg::owned (plugin.controller ()->createView (Steinberg::Vst::ViewType::kEditor));

	vst2::Effect* effect = open ();
	ASSERT_NE (effect, nullptr);
	vst2::Rect* rect = nullptr;
	const intptr_t answer = H::dispatch (effect, vst2::effEditGetRect, 0, 0, &rect);
	if (!view)
	{
		// No view yet: every editor opcode fails cleanly.
		EXPECT_EQ (answer, 0);
		EXPECT_EQ (rect, nullptr);
		EXPECT_EQ (H::dispatch (effect, vst2::effEditOpen, 0, 0, reinterpret_cast<void*> (0x400001)), 0);
		EXPECT_EQ (H::dispatch (effect, vst2::effEditIdle), 0);
		EXPECT_EQ (H::dispatch (effect, vst2::effEditClose), 0);
		return;
	}
	Steinberg::ViewRect size;
	ASSERT_EQ (view->getSize (&size), Steinberg::kResultOk);
	ASSERT_EQ (answer, 1);
	ASSERT_NE (rect, nullptr);
	EXPECT_EQ (rect->right - rect->left, size.getWidth ());
	EXPECT_EQ (rect->bottom - rect->top, size.getHeight ());
}
