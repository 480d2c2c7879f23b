#include "hosting/audio_buffers.h"
#include "hosting/error.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using hosting::AudioBus;

TEST (AudioBus, ExposesPlanarChannelsFor32And64Bit)
{
	AudioBus single (2, 8, Vst::kSample32);
	single.set (1, 7, 0.5);
	Vst::AudioBusBuffers& buffers = single.buffers ();
	EXPECT_EQ (buffers.numChannels, 2);
	EXPECT_EQ (buffers.channelBuffers32[1][7], 0.5f);
	EXPECT_EQ (buffers.channelBuffers32[0], single.channel32 (0));
	EXPECT_NE (buffers.channelBuffers32[0], buffers.channelBuffers32[1]);
	EXPECT_EQ (single.channel64 (0), nullptr);

	AudioBus wide (1, 4, Vst::kSample64);
	EXPECT_TRUE (wide.isDouble ());
	wide.set (0, 3, 0.1);
	EXPECT_EQ (wide.buffers ().channelBuffers64[0][3], 0.1) << "no rounding through float";
	wide.clear ();
	EXPECT_EQ (wide.get (0, 3), 0.0);
}

TEST (AudioBus, RestoresChannelPointersAPluginOverwrote)
{
	AudioBus bus (2, 4);
	float* original = bus.channel32 (1);
	bus.buffers ().channelBuffers32[1] = nullptr;
	EXPECT_EQ (bus.buffers ().channelBuffers32[1], original);
}

TEST (AudioBus, RejectsUnusableSizes)
{
	EXPECT_THROW (AudioBus (0, 16), hosting::Error);
	EXPECT_THROW (AudioBus (2, 0), hosting::Error);
}
