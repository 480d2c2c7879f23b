#pragma once

#include "common/storedrecord.h"
#include "pluginterfaces/base/ibstream.h"

namespace Steinberg {
namespace Vst {

// The processor's stored record (common/storedrecord.h) through a host's stream.
struct ProcessorState : chopwright::StoredRecord
{
	// Reads a whole record. False for a short record or another version; then this state is
	// left as it was, so a refused record changes nothing.
	bool read (IBStream* stream);
	bool write (IBStream* stream) const;
};

} // namespace Vst
} // namespace Steinberg
