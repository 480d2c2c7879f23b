#pragma once

#include "processor/blockrunner.h"
#include "processor/scopefeed.h"
#include "processor/sliceengine.h"

#include "base/source/timer.h"
#include "public.sdk/source/vst/vstaudioeffect.h"

#include <atomic>

namespace Steinberg {
namespace Vst {

// The audio processor: holds the stored parameter values, turns parameter changes into engine
// events, reads the host's transport on every block, and chooses between bypass, plain
// pass-through and the slice engine. Its output also feeds the editor's level display through
// a 10 ms timer.
class Chopwright : public AudioEffect, public ITimerCallback
{
public:
	Chopwright ();
	~Chopwright () override;

	static FUnknown* createInstance (void*) { return static_cast<IAudioProcessor*> (new Chopwright); }

	tresult PLUGIN_API receiveText (const char* text) SMTG_OVERRIDE;
	tresult PLUGIN_API initialize (FUnknown* context) SMTG_OVERRIDE;
	tresult PLUGIN_API terminate () SMTG_OVERRIDE;
	tresult PLUGIN_API notify (IMessage* message) SMTG_OVERRIDE;
	tresult PLUGIN_API setActive (TBool state) SMTG_OVERRIDE;
	tresult PLUGIN_API setState (IBStream* state) SMTG_OVERRIDE;
	tresult PLUGIN_API getState (IBStream* state) SMTG_OVERRIDE;
	tresult PLUGIN_API setBusArrangements (SpeakerArrangement* inputs, int32 numIns,
	                                       SpeakerArrangement* outputs, int32 numOuts) SMTG_OVERRIDE;
	tresult PLUGIN_API canProcessSampleSize (int32 symbolicSampleSize) SMTG_OVERRIDE;
	tresult PLUGIN_API process (ProcessData& data) SMTG_OVERRIDE;
	uint32 PLUGIN_API getProcessContextRequirements () SMTG_OVERRIDE;

	// Drains the scope ring into one "BinaryMessage" to the controller.
	void onTimer (Timer* timer) SMTG_OVERRIDE;
	void sendScope ();

	// Audio thread. Break, GateSize and Bypass touch only atomics, so setState may apply them too.
	void applyParameter (ParamID id, ParamValue value);
	void applySliceSize (ParamValue value);

	const chopwright::SliceEngine& getEngine () const { return engine; }
	bool hasScopeTimer () const { return scopeTimer != nullptr; }

private:
	// The block's transport from its process context; false without one.
	bool readTransport (const ProcessData& data, chopwright::BlockTransport& transport);
	// 4, 8 or 16 slices for a SliceSize value; values beyond the three choices change nothing.
	void updateDivision (ParamValue value);
	void resetBusesToStereo ();

	// Stored values, written on the audio thread by parameter changes and on the main thread
	// by setState, read back by getState.
	std::atomic<float> breakValue {0.0f};
	std::atomic<float> sliceSizeValue {0.5f};
	std::atomic<float> gateSizeValue {1.0f};
	std::atomic<bool> bypass {false};
	// A SliceSize loaded by setState, carried out by the audio thread before its next block.
	std::atomic<bool> sliceSizeLoaded {false};
	std::atomic<double> loadedSliceSize {0.5};

	chopwright::SliceEngine engine;
	chopwright::ScopeFeed scope;
	IPtr<Timer> scopeTimer;
	bool offeredRunLoop {false};
};

} // namespace Vst
} // namespace Steinberg
