#pragma once

#include "hosting/audio_buffers.h"
#include "hosting/parameter_changes.h"
#include "hosting/plugin_instance.h"
#include "hosting/transport.h"

namespace hosting {

// Everything one process call needs, allocated once for an activated PluginInstance: main
// input and output bus buffers, input/output parameter changes and the process context.
// process() does not allocate, so it can run on an audio thread.
class BlockProcessor
{
public:
	explicit BlockProcessor (PluginInstance& instance, Steinberg::int32 maxParameters = 16,
	                         Steinberg::int32 pointsPerParameter = 16);

	AudioBus& input () { return input_; }
	AudioBus& output () { return output_; }
	ParameterChanges& changes () { return changes_; }             // delivered with the next block
	ParameterChanges& outputChanges () { return outputChanges_; } // what the plug-in reported
	Steinberg::Vst::ProcessContext& context () { return context_; }

	// Processes numSamples frames of input() into output() with the transport placed at
	// position (project time, samples). Afterwards changes() is empty again.
	Steinberg::tresult process (Steinberg::int32 numSamples, const Transport& transport,
	                            Steinberg::int64 position);
	// Same, with context() as the caller left it.
	Steinberg::tresult process (Steinberg::int32 numSamples);

private:
	PluginInstance& instance_;
	AudioBus input_;
	AudioBus output_;
	ParameterChanges changes_;
	ParameterChanges outputChanges_;
	Steinberg::Vst::ProcessContext context_ {};
	Steinberg::Vst::ProcessData data_;
	bool hasInput_;
	bool hasOutput_;
};

} // namespace hosting
