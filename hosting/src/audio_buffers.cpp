#include "hosting/audio_buffers.h"

#include "hosting/error.h"

#include <algorithm>

using namespace Steinberg;

namespace hosting {

AudioBus::AudioBus (int32 channels, int32 maxFrames, Vst::SymbolicSampleSizes sampleSize)
    : channels_ (channels), maxFrames_ (maxFrames), sampleSize_ (sampleSize)
{
	if (channels < 1 || channels > 64 || maxFrames < 1)
		throw Error ("audio bus needs 1 to 64 channels and at least one frame");
	const size_t total = static_cast<size_t> (channels) * static_cast<size_t> (maxFrames);
	if (isDouble ())
		samples64_.assign (total, 0.0);
	else
		samples32_.assign (total, 0.0f);
	for (int32 c = 0; c < channels; ++c)
	{
		pointers32_.push_back (isDouble () ? nullptr
		                                   : samples32_.data () + static_cast<size_t> (c) * maxFrames);
		pointers64_.push_back (isDouble () ? samples64_.data () + static_cast<size_t> (c) * maxFrames
		                                   : nullptr);
	}
	exposed32_ = pointers32_;
	exposed64_ = pointers64_;
	buffers_.numChannels = channels;
}

double AudioBus::get (int32 channel, int32 frame) const
{
	return isDouble () ? pointers64_[channel][frame] : pointers32_[channel][frame];
}

void AudioBus::set (int32 channel, int32 frame, double value)
{
	if (isDouble ())
		pointers64_[channel][frame] = value;
	else
		pointers32_[channel][frame] = static_cast<float> (value);
}

void AudioBus::clear ()
{
	std::fill (samples32_.begin (), samples32_.end (), 0.0f);
	std::fill (samples64_.begin (), samples64_.end (), 0.0);
}

Vst::AudioBusBuffers& AudioBus::buffers ()
{
	buffers_.numChannels = channels_;
	buffers_.silenceFlags = 0;
	if (isDouble ())
	{
		std::copy (pointers64_.begin (), pointers64_.end (), exposed64_.begin ());
		buffers_.channelBuffers64 = exposed64_.data ();
	}
	else
	{
		std::copy (pointers32_.begin (), pointers32_.end (), exposed32_.begin ());
		buffers_.channelBuffers32 = exposed32_.data ();
	}
	return buffers_;
}

} // namespace hosting
