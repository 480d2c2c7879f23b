#include "common/processorstate.h"

namespace Steinberg {
namespace Vst {

bool ProcessorState::read (IBStream* stream)
{
	uint8 bytes[kSize];
	int32 count = 0;
	if (!stream || stream->read (bytes, kSize, &count) != kResultOk || count != static_cast<int32> (kSize))
		return false;
	return StoredRecord::read (bytes, kSize);
}

bool ProcessorState::write (IBStream* stream) const
{
	uint8 bytes[kSize];
	StoredRecord::write (bytes);
	int32 count = 0;
	return stream && stream->write (bytes, kSize, &count) == kResultOk && count == static_cast<int32> (kSize);
}

} // namespace Vst
} // namespace Steinberg
