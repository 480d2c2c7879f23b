#include "processor/chopwright.h"

#include "common/bare_message.h"
#include "common/stored_state.h"
#include "parameterids.h"

#include "hosting/audio_buffers.h"
#include "hosting/parameter_changes.h"
#include "hosting/transport.h"

#include "base/source/fstreamer.h"
#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

IPtr<MemoryStream> makeRecord (int64 version, float breakValue, float sliceSize, float gateSize, bool bypass,
                               int64 truncateTo = -1)
{
	return storedState ({breakValue, sliceSize, gateSize, bypass}, version, truncateTo);
}

// A processor set up like a host would, with blocks driven through the real process().
struct Harness
{
	IPtr<Chopwright> processor = owned (new Chopwright);
	hosting::AudioBus input;
	hosting::AudioBus output;
	hosting::ParameterChanges changes;
	hosting::Transport transport;
	ProcessContext context {};
	int64 position = 0;
	// What the host reports instead of the simulated transport's tempo and rate.
	std::optional<double> reportedTempo;
	std::optional<double> reportedRate;

	explicit Harness (int32 channels = 2, SymbolicSampleSizes size = kSample32)
	    : input (channels, 8192, size), output (channels, 8192, size)
	{
		EXPECT_EQ (processor->initialize (nullptr), kResultOk);
		if (channels == 1)
		{
			SpeakerArrangement mono = SpeakerArr::kMono;
			EXPECT_EQ (processor->setBusArrangements (&mono, 1, &mono, 1), kResultTrue);
		}
		ProcessSetup setup {kRealtime, size, 8192, 44100.0};
		EXPECT_EQ (processor->setupProcessing (setup), kResultOk);
		EXPECT_EQ (processor->setActive (true), kResultOk);
	}
	~Harness ()
	{
		processor->setActive (false);
		processor->terminate ();
	}

	// One block; `withContext` false sends no ProcessContext at all.
	void run (int32 n, bool withContext = true)
	{
		for (int32 c = 0; c < input.channels (); ++c)
			for (int32 i = 0; i < n; ++i)
				input.set (c, i, 0.25 * std::sin (0.001 * static_cast<double> (position + i)) * (c ? -1 : 1));
		ProcessData data;
		data.symbolicSampleSize = input.sampleSize ();
		data.numSamples = n;
		data.numInputs = 1;
		data.numOutputs = 1;
		data.inputs = &input.buffers ();
		data.outputs = &output.buffers ();
		data.inputParameterChanges = &changes;
		transport.fill (context, position);
		context.tempo = reportedTempo.value_or (context.tempo);
		context.sampleRate = reportedRate.value_or (context.sampleRate);
		data.processContext = withContext ? &context : nullptr;
		EXPECT_EQ (processor->process (data), kResultOk);
		changes.clear ();
		if (transport.playing)
			position += n;
	}

	void flush () // a parameter flush: no samples, no buffers
	{
		ProcessData data;
		data.numInputs = 1;
		data.numOutputs = 1;
		AudioBusBuffers none[2] {};
		data.inputs = &none[0];
		data.outputs = &none[1];
		data.inputParameterChanges = &changes;
		EXPECT_EQ (processor->process (data), kResultOk);
		changes.clear ();
	}

	void set (ParamID id, double value)
	{
		changes.addPoint (id, 0, value);
		flush ();
	}

	ProcessorState state ()
	{
		auto stream = owned (new MemoryStream);
		EXPECT_EQ (processor->getState (stream), kResultOk);
		EXPECT_EQ (stream->getSize (), ProcessorState::kSize);
		stream->seek (0, IBStream::kIBSeekSet, nullptr);
		ProcessorState record;
		EXPECT_TRUE (record.read (stream));
		return record;
	}

	bool outputEqualsInput (int32 n)
	{
		for (int32 c = 0; c < output.channels (); ++c)
			for (int32 i = 0; i < n; ++i)
				if (output.get (c, i) != input.get (c, i))
					return false;
		return true;
	}
};

} // namespace

TEST (Chopwright, FreshStateAndItsReload)
{
	Harness h;
	const ProcessorState fresh = h.state ();
	EXPECT_EQ (fresh.breakValue, 0.0f);
	EXPECT_EQ (fresh.sliceSize, 0.5f);
	EXPECT_EQ (fresh.gateSize, 1.0f);
	EXPECT_EQ (fresh.bypass, 0);
	EXPECT_EQ (h.processor->getEngine ().getDivision (), 4) << "0.5 is not applied until loaded";

	EXPECT_EQ (h.processor->setState (makeRecord (1, 0.0f, 0.5f, 1.0f, 0)), kResultOk);
	h.flush ();
	EXPECT_EQ (h.processor->getEngine ().getDivision (), 8);

	EXPECT_EQ (h.processor->setState (nullptr), kResultFalse);
	EXPECT_EQ (h.processor->getState (nullptr), kResultFalse);
}

TEST (Chopwright, RefusedStatesChangeNothing)
{
	Harness h;
	EXPECT_EQ (h.processor->setState (makeRecord (2, 1.0f, 1.0f, 0.2f, true)), kResultFalse);
	EXPECT_EQ (h.state ().gateSize, 1.0f) << "a foreign version changes nothing";

	// A record cut short anywhere is refused whole.
	for (int64 size : {0, 8, 16, 21})
	{
		EXPECT_EQ (h.processor->setState (makeRecord (1, 1.0f, 1.0f, 0.2f, true, size)), kResultFalse);
		const ProcessorState after = h.state ();
		EXPECT_EQ (after.breakValue, 0.0f) << size;
		EXPECT_EQ (after.sliceSize, 0.5f) << size;
		EXPECT_EQ (after.gateSize, 1.0f) << size;
		EXPECT_FALSE (after.bypass) << size;
	}

	// NaN fields are skipped, the rest applies.
	EXPECT_EQ (h.processor->setState (makeRecord (1, NAN, NAN, 0.3f, true)), kResultOk);
	const ProcessorState withNaN = h.state ();
	EXPECT_EQ (withNaN.breakValue, 0.0f);
	EXPECT_EQ (withNaN.sliceSize, 0.5f);
	EXPECT_EQ (withNaN.gateSize, 0.3f);
	EXPECT_TRUE (withNaN.bypass);
}

TEST (Chopwright, MessagesWithoutIdOrAttributesAreRefused)
{
	Harness h;
	EXPECT_EQ (h.processor->notify (nullptr), kInvalidArgument);
	EXPECT_EQ (h.processor->notify (owned (new BareMessage (nullptr))), kInvalidArgument);
	EXPECT_EQ (h.processor->notify (owned (new BareMessage ("TextMessage"))), kInvalidArgument);
}

TEST (Chopwright, ParameterValuesAndThresholds)
{
	Harness h;
	struct
	{
		double value;
		int32 division;
	} slices[] = {{1.0, 16}, {0.999, 8}, {0.49, 4}, {1.5, 4}, {0.5, 8}, {2.7, 8}, {-0.3, 4}};
	for (auto s : slices)
	{
		h.set (kSliceSizeId, s.value);
		EXPECT_EQ (h.processor->getEngine ().getDivision (), s.division) << s.value;
		EXPECT_EQ (h.state ().sliceSize, static_cast<float> (s.value)) << "stored as received";
	}

	h.set (kBypassId, 0.1);
	EXPECT_EQ (h.state ().bypass, 1);
	h.set (kBypassId, 0.0);
	EXPECT_EQ (h.state ().bypass, 0);

	// Only the last point of a queue counts.
	h.changes.addPoint (kGateSizeId, 0, 0.2);
	h.changes.addPoint (kGateSizeId, 100, 0.7);
	h.changes.addPoint (kGateSizeId, 200, 0.4);
	h.flush ();
	EXPECT_EQ (h.state ().gateSize, 0.4f);

	// NaN and out-of-range values never reach a conversion.
	for (ParamID id : std::initializer_list<ParamID> {kBreakId, kSliceSizeId, kGateSizeId, kBypassId,
	                                                  kProgramChangeId, 99u})
		h.set (id, NAN);
	h.set (kSliceSizeId, 1e300);
	h.set (kGateSizeId, -1e300);
	const ProcessorState r = h.state ();
	EXPECT_EQ (r.sliceSize, FLT_MAX);
	EXPECT_EQ (r.gateSize, -FLT_MAX);
	EXPECT_EQ (r.bypass, 0);
}

TEST (Chopwright, BreakAtExactlyHalfCountsAsOff)
{
	Harness h;
	h.run (1024);
	h.set (kBreakId, 0.5);
	h.run (512);
	EXPECT_FALSE (h.processor->getEngine ().isBreakActive ());
	h.set (kBreakId, 0.5000001);
	h.run (512);
	EXPECT_TRUE (h.processor->getEngine ().isBreakActive ());
	EXPECT_EQ (h.state ().breakValue, 0.5000001f);
}

TEST (Chopwright, BusArrangements)
{
	IPtr<Chopwright> p = owned (new Chopwright);
	ASSERT_EQ (p->initialize (nullptr), kResultOk);
	SpeakerArrangement mono = SpeakerArr::kMono, stereo = SpeakerArr::kStereo;
	SpeakerArrangement surround = SpeakerArr::k51, arrangement = 0;
	BusInfo info {};

	EXPECT_EQ (p->setBusArrangements (&mono, 1, &mono, 1), kResultTrue);
	EXPECT_EQ (p->getBusInfo (kAudio, kInput, 0, info), kResultOk);
	EXPECT_EQ (info.channelCount, 1);
	EXPECT_EQ (std::u16string (reinterpret_cast<const char16_t*> (info.name)), u"Mono In");
	EXPECT_EQ (p->setBusArrangements (&mono, 1, &mono, 1), kResultTrue) << "unchanged";

	EXPECT_EQ (p->setBusArrangements (&mono, 1, &stereo, 1), kResultFalse);
	EXPECT_EQ (p->getBusArrangement (kOutput, 0, arrangement), kResultOk);
	EXPECT_EQ (arrangement, SpeakerArr::kStereo) << "falls back to stereo";

	EXPECT_EQ (p->setBusArrangements (&surround, 1, &surround, 1), kResultFalse);
	EXPECT_EQ (p->setBusArrangements (&stereo, 1, &stereo, 1), kResultTrue);
	EXPECT_EQ (p->getBusInfo (kAudio, kOutput, 0, info), kResultOk);
	EXPECT_EQ (std::u16string (reinterpret_cast<const char16_t*> (info.name)), u"Stereo Out");
	SpeakerArrangement two[2] = {stereo, stereo};
	EXPECT_EQ (p->setBusArrangements (two, 2, two, 2), kResultFalse);
	EXPECT_EQ (p->setBusArrangements (nullptr, 1, nullptr, 1), kResultFalse);
	EXPECT_EQ (p->getBusCount (kAudio, kInput), 1);

	EXPECT_EQ (p->canProcessSampleSize (kSample32), kResultTrue);
	EXPECT_EQ (p->canProcessSampleSize (kSample64), kResultTrue);
	EXPECT_EQ (p->canProcessSampleSize (2), kResultFalse);
	EXPECT_EQ (p->getProcessContextRequirements (), 0x7ffu);
	EXPECT_EQ (p->getLatencySamples (), 0u);
	EXPECT_EQ (p->terminate (), kResultOk);
}

TEST (Chopwright, BlocksWithoutUsableTransportPassThrough)
{
	Harness h;
	h.set (kBreakId, 1.0);
	h.run (512, false);
	EXPECT_TRUE (h.outputEqualsInput (512));
	EXPECT_FALSE (h.processor->getEngine ().isBreakActive ()) << "no context: the engine does not run";

	for (double tempo : {0.0, 1e-300, -90.0, std::nan (""), HUGE_VAL})
	{
		h.reportedTempo = tempo;
		h.run (256);
		EXPECT_TRUE (h.outputEqualsInput (256)) << tempo;
	}
	h.reportedTempo.reset ();
	for (double rate : {0.0, -44100.0, std::nan (""), HUGE_VAL})
	{
		h.reportedRate = rate;
		h.run (256);
		EXPECT_TRUE (h.outputEqualsInput (256)) << rate;
	}
	h.reportedRate.reset ();
	h.position = -1000; // before the song start
	h.run (256);
	EXPECT_TRUE (h.outputEqualsInput (256));
	EXPECT_EQ (h.processor->getEngine ().getRecordPos (), 0);

	// Huge and NaN musical positions.
	for (double position : {1e300, std::nan ("")})
	{
		ProcessData data;
		ProcessContext context {};
		context.state = ProcessContext::kPlaying | ProcessContext::kProjectTimeMusicValid;
		context.sampleRate = 44100.0;
		context.projectTimeMusic = position;
		data.processContext = &context;
		data.numSamples = 64;
		data.numInputs = data.numOutputs = 1;
		data.inputs = &h.input.buffers ();
		data.outputs = &h.output.buffers ();
		EXPECT_EQ (h.processor->process (data), kResultOk);
		EXPECT_TRUE (h.outputEqualsInput (64));
	}
	EXPECT_EQ (h.processor->getEngine ().getRecordPos (), 0);
}

TEST (Chopwright, BypassCopiesAndTouchesNothingElse)
{
	for (SymbolicSampleSizes size : {kSample32, kSample64})
	{
		Harness h (2, size);
		h.run (1000);
		h.set (kBypassId, 1.0);
		h.set (kBreakId, 1.0);
		h.output.buffers ().silenceFlags = 3;
		h.run (777);
		EXPECT_TRUE (h.outputEqualsInput (777));
		EXPECT_EQ (h.output.buffers ().silenceFlags, 0u);
		EXPECT_EQ (h.processor->getEngine ().getRecordPos (), 1000) << "no recording while bypassed";
		EXPECT_FALSE (h.processor->getEngine ().isBreakActive ());
	}
}

TEST (Chopwright, MonoBusesRunTheEngine)
{
	Harness h (1);
	h.set (kBreakId, 1.0);
	h.run (4096);
	EXPECT_TRUE (h.processor->getEngine ().isBreakActive ());
	EXPECT_EQ (h.processor->getEngine ().getRecordPos (), 4096);
	// Before the first complete bar the break plays the zeros of an empty snapshot, faded in
	// from the dry input.
	EXPECT_EQ (h.output.get (0, 0), h.input.get (0, 0));
	EXPECT_EQ (h.output.get (0, 4000), 0.0);
}

TEST (Chopwright, ParameterFlushesAndOddBlocks)
{
	Harness h;
	// Flushes with no buses at all.
	ProcessData none;
	hosting::ParameterChanges changes;
	changes.addPoint (kGateSizeId, 0, 0.3);
	none.inputParameterChanges = &changes;
	EXPECT_EQ (h.processor->process (none), kResultOk);
	EXPECT_EQ (h.state ().gateSize, 0.3f) << "changes are read before anything else";

	// Zero samples still read the transport.
	h.transport.tempo = 90.0;
	h.run (0);
	EXPECT_DOUBLE_EQ (h.processor->getEngine ().getSamplesPerBeat (), 44100.0 * 60.0 / 90.0);

	// Every block size up to 8192, 64-bit too.
	Harness wide (2, kSample64);
	for (int32 n : {1, 2, 3, 63, 64, 65, 511, 4097, 8192})
	{
		wide.run (n);
		h.run (n);
	}
	EXPECT_EQ (wide.processor->getEngine ().getRecordPos (), h.processor->getEngine ().getRecordPos ());
}

TEST (Chopwright, StateLoadsRaceFreeWithProcessing)
{
	Harness h;
	std::atomic<bool> stop {false};
	std::thread audio ([&] {
		while (!stop)
			h.run (64);
	});
	for (int i = 0; i < 2000; ++i)
	{
		const float v = static_cast<float> (i % 3) * 0.5f;
		EXPECT_EQ (h.processor->setState (makeRecord (1, v, v, v, i % 2)), kResultOk);
		const ProcessorState r = h.state ();
		EXPECT_EQ (r.sliceSize, v) << "getState reflects a load at once";
	}
	stop = true;
	audio.join ();
	h.flush ();
	EXPECT_EQ (h.processor->getEngine ().getDivision (), 8); // the last load: 1999 % 3 = 1 → 0.5
}
