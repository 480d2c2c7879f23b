#include "hosting/block_processor.h"

using namespace Steinberg;

namespace hosting {

namespace {
Vst::SymbolicSampleSizes sampleSizeOf (const ProcessingSetup& setup)
{
	return setup.doublePrecision ? Vst::kSample64 : Vst::kSample32;
}
} // namespace

BlockProcessor::BlockProcessor (PluginInstance& instance, int32 maxParameters, int32 pointsPerParameter)
    : instance_ (instance),
      input_ (instance.setup ().channels, instance.setup ().maxBlockSize, sampleSizeOf (instance.setup ())),
      output_ (instance.setup ().channels, instance.setup ().maxBlockSize, sampleSizeOf (instance.setup ())),
      changes_ (maxParameters, pointsPerParameter), outputChanges_ (maxParameters, pointsPerParameter),
      hasInput_ (instance.component ()->getBusCount (Vst::kAudio, Vst::kInput) > 0),
      hasOutput_ (instance.component ()->getBusCount (Vst::kAudio, Vst::kOutput) > 0)
{
	if (!instance.isActive ())
		throw Error ("BlockProcessor needs an activated PluginInstance");
	context_.sampleRate = instance.setup ().sampleRate;
}

tresult BlockProcessor::process (int32 numSamples, const Transport& transport, int64 position)
{
	transport.fill (context_, position);
	return process (numSamples);
}

tresult BlockProcessor::process (int32 numSamples)
{
	if (numSamples < 0 || numSamples > input_.maxFrames ())
		return kInvalidArgument;
	const ProcessingSetup& setup = instance_.setup ();
	data_.processMode = setup.processMode;
	data_.symbolicSampleSize = sampleSizeOf (setup);
	data_.numSamples = numSamples;
	data_.numInputs = hasInput_ ? 1 : 0;
	data_.numOutputs = hasOutput_ ? 1 : 0;
	data_.inputs = hasInput_ ? &input_.buffers () : nullptr;
	data_.outputs = hasOutput_ ? &output_.buffers () : nullptr;
	outputChanges_.clear ();
	data_.inputParameterChanges = &changes_;
	data_.outputParameterChanges = &outputChanges_;
	data_.processContext = &context_;
	const tresult result = instance_.process (data_);
	changes_.clear ();
	return result;
}

} // namespace hosting
