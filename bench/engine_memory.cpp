// Resident memory of one Chopwright instance, created and driven through its VST 3 interface:
// after activation, and after ten minutes of stereo audio at 48 kHz (Break on for the second
// half). Figures are the growth of this process's resident set (/proc/self/statm).
#include "processor/chopwright.h"

#include "parameterids.h"

#include "hosting/audio_buffers.h"
#include "hosting/parameter_changes.h"
#include "hosting/transport.h"

#include <cmath>
#include <cstdio>
#include <unistd.h>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

double residentMiB ()
{
	long pages = 0, resident = 0;
	if (FILE* statm = std::fopen ("/proc/self/statm", "r"))
	{
		if (std::fscanf (statm, "%ld %ld", &pages, &resident) != 2)
			resident = 0;
		std::fclose (statm);
	}
	return static_cast<double> (resident) * static_cast<double> (sysconf (_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

} // namespace

int main ()
{
	constexpr double kRate = 48000.0;
	constexpr int32 kBlock = 512;
	const int64 tenMinutes = static_cast<int64> (600.0 * kRate);

	hosting::AudioBus input (2, kBlock, kSample32), output (2, kBlock, kSample32);
	for (int32 i = 0; i < kBlock; ++i)
	{
		input.set (0, i, 0.5 * std::sin (0.01 * i));
		input.set (1, i, -0.5 * std::sin (0.01 * i));
	}
	hosting::ParameterChanges changes;
	hosting::Transport transport;
	transport.sampleRate = kRate;
	ProcessContext context {};

	const double start = residentMiB ();
	IPtr<Chopwright> processor = owned (new Chopwright);
	processor->initialize (nullptr);
	ProcessSetup setup {kRealtime, kSample32, kBlock, kRate};
	processor->setupProcessing (setup);
	processor->setActive (true);
	const double activated = residentMiB ();

	for (int64 position = 0; position < tenMinutes; position += kBlock)
	{
		changes.clear ();
		if (position == tenMinutes / 2)
			changes.addPoint (kBreakId, 0, 1.0);
		transport.fill (context, position);
		ProcessData data;
		data.symbolicSampleSize = kSample32;
		data.numSamples = kBlock;
		data.numInputs = data.numOutputs = 1;
		data.inputs = &input.buffers ();
		data.outputs = &output.buffers ();
		data.inputParameterChanges = &changes;
		data.processContext = &context;
		processor->process (data);
	}
	const double played = residentMiB ();

	std::printf ("resident memory of one instance (MiB)\n");
	std::printf ("  after activation:                 %8.1f\n", activated - start);
	std::printf ("  after 10 minutes, stereo, 48 kHz: %8.1f\n", played - start);
	processor->setActive (false);
	processor->terminate ();
	return 0;
}
