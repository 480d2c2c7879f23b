#pragma once

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <vector>

namespace hosting {

// Planar sample storage for one audio bus plus the AudioBusBuffers that point into it, for
// 32-bit (float) or 64-bit (double) processing. Sized once; nothing allocates afterwards.
class AudioBus
{
public:
	AudioBus (Steinberg::int32 channels, Steinberg::int32 maxFrames,
	          Steinberg::Vst::SymbolicSampleSizes sampleSize = Steinberg::Vst::kSample32);
	AudioBus (const AudioBus&) = delete; // buffers() points into this object
	AudioBus& operator= (const AudioBus&) = delete;

	Steinberg::int32 channels () const { return channels_; }
	Steinberg::int32 maxFrames () const { return maxFrames_; }
	bool isDouble () const { return sampleSize_ == Steinberg::Vst::kSample64; }
	Steinberg::Vst::SymbolicSampleSizes sampleSize () const { return sampleSize_; }

	float* channel32 (Steinberg::int32 c) { return pointers32_[c]; }
	double* channel64 (Steinberg::int32 c) { return pointers64_[c]; }

	// Sample access independent of the precision, for filling and reading outside the plug-in.
	double get (Steinberg::int32 channel, Steinberg::int32 frame) const;
	void set (Steinberg::int32 channel, Steinberg::int32 frame, double value);
	void clear ();

	// Restores the channel pointers each call: a plug-in may overwrite them (they are not const).
	Steinberg::Vst::AudioBusBuffers& buffers ();

private:
	Steinberg::int32 channels_;
	Steinberg::int32 maxFrames_;
	Steinberg::Vst::SymbolicSampleSizes sampleSize_;
	std::vector<float> samples32_;
	std::vector<double> samples64_;
	std::vector<float*> pointers32_;
	std::vector<double*> pointers64_;
	std::vector<float*> exposed32_;
	std::vector<double*> exposed64_;
	Steinberg::Vst::AudioBusBuffers buffers_;
};

} // namespace hosting
