// The audio thread must not allocate: every allocation made inside process() is counted here
// by replacing the global allocation functions for this test program.
#include "processor/chopwright.h"

#include "common/allocation_counter.h"
#include "parameterids.h"

#include "hosting/audio_buffers.h"
#include "hosting/parameter_changes.h"
#include "hosting/transport.h"

#include "base/source/fstreamer.h"
#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace Steinberg::Vst;

TEST (Realtime, ProcessNeverAllocates)
{
	for (SymbolicSampleSizes size : {kSample32, kSample64})
	{
		IPtr<Chopwright> processor = owned (new Chopwright);
		ASSERT_EQ (processor->initialize (nullptr), kResultOk);
		ProcessSetup setup {kRealtime, size, 1024, 48000.0};
		processor->setupProcessing (setup);
		processor->setActive (true);

		hosting::AudioBus input (2, 1024, size), output (2, 1024, size);
		hosting::ParameterChanges changes;
		hosting::Transport transport;
		transport.sampleRate = 48000.0;
		ProcessContext context {};
		for (int32 i = 0; i < 1024; ++i)
			input.set (0, i, 0.5), input.set (1, i, -0.5);

		int64 position = 0;
		for (int block = 0; block < 1200; ++block) // about 6 bars at 120 BPM
		{
			changes.clear ();
			if (block == 10)
				changes.addPoint (kBreakId, 0, 1.0);
			if (block % 97 == 0)
				changes.addPoint (kSliceSizeId, 0, (block / 97) % 3 * 0.5);
			if (block % 50 == 0)
				changes.addPoint (kGateSizeId, 0, 0.2 + (block % 7) * 0.1);
			if (block == 700)
				changes.addPoint (kBreakId, 0, 0.0);
			if (block == 800)
				changes.addPoint (kBreakId, 0, 1.0);
			if (block == 900)
				transport.playing = false;
			if (block == 950)
				transport.playing = true;
			transport.fill (context, position);

			ProcessData data;
			data.symbolicSampleSize = size;
			data.numSamples = 1024;
			data.numInputs = data.numOutputs = 1;
			data.inputs = &input.buffers ();
			data.outputs = &output.buffers ();
			data.inputParameterChanges = &changes;
			data.processContext = &context;

			insideProcess = true;
			processor->process (data);
			insideProcess = false;
			if (transport.playing)
				position += 1024;
			if (block % 100 == 0)
				processor->sendScope (); // the main thread's drain, between blocks
		}
		EXPECT_TRUE (processor->getEngine ().isBreakActive ());
		processor->setActive (false);
		processor->terminate ();
	}
	EXPECT_EQ (allocationsInProcess.load (), 0);
}
