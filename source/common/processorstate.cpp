#include "common/processorstate.h"

#include "base/source/fstreamer.h"

namespace Steinberg {
namespace Vst {

bool ProcessorState::read (IBStream* stream)
{
	if (!stream)
		return false;
	IBStreamer streamer (stream, kLittleEndian);
	int64 version = 0;
	ProcessorState record;
	if (!streamer.readInt64 (version) || version != kVersion || !streamer.readFloat (record.breakValue) ||
	    !streamer.readFloat (record.sliceSize) || !streamer.readFloat (record.gateSize) ||
	    !streamer.readBool (record.bypass))
		return false;
	*this = record;
	return true;
}

bool ProcessorState::write (IBStream* stream) const
{
	if (!stream)
		return false;
	IBStreamer streamer (stream, kLittleEndian);
	return streamer.writeInt64 (kVersion) && streamer.writeFloat (breakValue) &&
	       streamer.writeFloat (sliceSize) && streamer.writeFloat (gateSize) && streamer.writeBool (bypass);
}

} // namespace Vst
} // namespace Steinberg
