// processReplacing and processDoubleReplacing must not allocate: every allocation made inside
// them is counted here by replacing the global allocation functions for this test program.
#include "test_factory.h"
#include "vst2_test_host.h"

#include "adapters/vst2adapter.h"
#include "common/allocation_counter.h"

#include <gtest/gtest.h>

#include <vector>

using H = Vst2TestHost;

template <typename Sample>
void playSixBars ()
{
	Vst2TestHost host;
	vst2::Effect* effect = Steinberg::Vst::Vst2Adapter::create (
	    makeTestFactory (), Steinberg::Vst::kChopwrightProcessorUID.toTUID (), 1, H::callback);
	ASSERT_NE (effect, nullptr);
	if (sizeof (Sample) == sizeof (double))
		H::dispatch (effect, vst2::effSetProcessPrecision, 0, vst2::kProcessPrecision64);
	H::resume (effect, 48000.0f, 512);

	PlayingTransport transport (48000.0, 120.0);
	host.time = &transport.info;
	// Blocks of 1024 frames against an announced 512: the adapter passes them in pieces.
	std::vector<Sample> left (1024, Sample (0.5)), right (1024, Sample (-0.5));
	Sample* channels[2] = {left.data (), right.data ()};
	for (int block = 0; block < 600; ++block) // about 6 bars at 120 BPM
	{
		if (block == 10)
			effect->setParameter (effect, 0, 1.0f);
		if (block % 97 == 0)
			effect->setParameter (effect, 1, static_cast<float> ((block / 97) % 3) * 0.5f);
		if (block % 50 == 0)
			effect->setParameter (effect, 2, 0.2f + static_cast<float> (block % 7) * 0.1f);
		if (block == 400)
			transport.info.flags &= ~vst2::kVstTransportPlaying;
		if (block == 450)
			transport.info.flags |= vst2::kVstTransportPlaying;
		if (block == 500)
			host.time = nullptr;
		transport.moveTo (block * 1024.0);
		insideProcess = true;
		if constexpr (sizeof (Sample) == sizeof (double))
			effect->processDoubleReplacing (effect, channels, channels, 1024);
		else
			effect->processReplacing (effect, channels, channels, 1024);
		insideProcess = false;
	}
	H::dispatch (effect, vst2::effMainsChanged, 0, 0);
	H::dispatch (effect, vst2::effClose);
}

TEST (Vst2Realtime, ProcessReplacingNeverAllocates)
{
	playSixBars<float> ();
	EXPECT_EQ (allocationsInProcess.load (), 0);
}

TEST (Vst2Realtime, ProcessDoubleReplacingNeverAllocates)
{
	playSixBars<double> ();
	EXPECT_EQ (allocationsInProcess.load (), 0);
}
