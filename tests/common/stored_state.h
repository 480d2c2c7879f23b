#pragma once

#include "common/processorstate.h"

#include "base/source/fstreamer.h"
#include "public.sdk/source/common/memorystream.h"

// A stored processor state as a host hands it back, optionally with another version number
// or cut short after `truncateTo` bytes.
inline Steinberg::IPtr<Steinberg::MemoryStream> storedState (
    const Steinberg::Vst::ProcessorState& record,
    Steinberg::int64 version = Steinberg::Vst::ProcessorState::kVersion, Steinberg::int64 truncateTo = -1)
{
	using namespace Steinberg;
	auto stream = owned (new MemoryStream);
	record.write (stream);
	stream->seek (0, IBStream::kIBSeekSet, nullptr);
	IBStreamer (stream, kLittleEndian).writeInt64 (version);
	if (truncateTo >= 0)
		stream->setSize (truncateTo);
	stream->seek (0, IBStream::kIBSeekSet, nullptr);
	return stream;
}
