// Builder for the IProcessContextRequirements flags a processor reports to the host.
#pragma once

#include "pluginterfaces/vst/ivstaudioprocessor.h"

namespace Steinberg {
namespace Vst {

class ProcessContextRequirements
{
	using Self = ProcessContextRequirements;
	using Req = IProcessContextRequirements;

public:
	ProcessContextRequirements (uint32 initialFlags = 0) : flags (initialFlags) {}

	// Setters: each adds one requirement and returns *this, so calls can be chained.
	Self& needSystemTime () { return need (Req::kNeedSystemTime); }
	Self& needContinousTimeSamples () { return need (Req::kNeedContinousTimeSamples); }
	Self& needProjectTimeMusic () { return need (Req::kNeedProjectTimeMusic); }
	Self& needBarPositionMusic () { return need (Req::kNeedBarPositionMusic); }
	Self& needCycleMusic () { return need (Req::kNeedCycleMusic); }
	Self& needSamplesToNextClock () { return need (Req::kNeedSamplesToNextClock); }
	Self& needTempo () { return need (Req::kNeedTempo); }
	Self& needTimeSignature () { return need (Req::kNeedTimeSignature); }
	Self& needChord () { return need (Req::kNeedChord); }
	Self& needFrameRate () { return need (Req::kNeedFrameRate); }
	Self& needTransportState () { return need (Req::kNeedTransportState); }

	// Queries
	bool wantsNone () const { return flags == 0; }
	bool wantsSystemTime () const { return wants (Req::kNeedSystemTime); }
	bool wantsContinousTimeSamples () const { return wants (Req::kNeedContinousTimeSamples); }
	bool wantsProjectTimeMusic () const { return wants (Req::kNeedProjectTimeMusic); }
	bool wantsBarPositionMusic () const { return wants (Req::kNeedBarPositionMusic); }
	bool wantsCycleMusic () const { return wants (Req::kNeedCycleMusic); }
	bool wantsSamplesToNextClock () const { return wants (Req::kNeedSamplesToNextClock); }
	bool wantsTempo () const { return wants (Req::kNeedTempo); }
	bool wantsTimeSignature () const { return wants (Req::kNeedTimeSignature); }
	bool wantsChord () const { return wants (Req::kNeedChord); }
	bool wantsFrameRate () const { return wants (Req::kNeedFrameRate); }
	bool wantsTransportState () const { return wants (Req::kNeedTransportState); }

	// The combined IProcessContextRequirements::Flags (a public field, as in the SDK).
	uint32 flags {0};

private:
	Self& need (uint32 bit)
	{
		flags |= bit;
		return *this;
	}
	bool wants (uint32 bit) const { return (flags & bit) != 0; }
};

} // namespace Vst
} // namespace Steinberg
