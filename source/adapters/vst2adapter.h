#pragma once

#include "adapters/hostside.h"
#include "adapters/vst2abi.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Steinberg {
namespace Vst {

// Presents a VST 3 processor and its controller to a VST 2 host as one effect. The adapter
// plays the VST 3 host: it creates both classes through the module's factory, connects them,
// hands setParameter values to the processor as parameter changes of the next block and to
// the controller, passes the controller's edits on to the host and the processor, maps the
// host's time information to the process context, keeps both states in one chunk, and shows
// the controller's view in the host's X11 window.
//
// Threads: the host's user-interface thread (the one that created the effect) makes every
// dispatcher call; processReplacing and processDoubleReplacing come on the audio thread;
// setParameter may come on either.
class Vst2Adapter final : public IComponentHandler, public IPlugFrame
{
public:
	// The effect for `host`, wrapping the processor class `processorClass` of `factory` under the
	// VST 2 identifier `uniqueId`; null when the classes cannot be created and connected.
	static vst2::Effect* create (IPluginFactory* factory, const TUID processorClass, int32 uniqueId,
	                             vst2::Callback host);
	// The adapter behind an effect this class created, or null.
	static Vst2Adapter* fromEffect (vst2::Effect* effect);

	IEditController* getController () const { return controller; }
	IComponent* getComponent () const { return component; }

	// IComponentHandler: the controller's edits, from the editor.
	tresult PLUGIN_API beginEdit (ParamID id) SMTG_OVERRIDE;
	tresult PLUGIN_API performEdit (ParamID id, ParamValue valueNormalized) SMTG_OVERRIDE;
	tresult PLUGIN_API endEdit (ParamID id) SMTG_OVERRIDE;
	tresult PLUGIN_API restartComponent (int32 flags) SMTG_OVERRIDE;

	// IPlugFrame: the view asks for a new size; the host's window follows if it can.
	tresult PLUGIN_API resizeView (IPlugView* view, ViewRect* newSize) SMTG_OVERRIDE;

	// Lives as long as its effect: no counting. Also answers Linux::IRunLoop (for the view).
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) SMTG_OVERRIDE;
	uint32 PLUGIN_API addRef () SMTG_OVERRIDE { return 1; }
	uint32 PLUGIN_API release () SMTG_OVERRIDE { return 1; }

private:
	static constexpr int32 kChannels = 2;

	// A VST 2 parameter: the VST 3 parameter it stands for, its value and where it still has to go.
	struct Parameter
	{
		ParamID id {0};
		std::string name;
		std::string units;
		bool automatable {false};
		std::atomic<double> value {0.0};
		std::atomic<bool> toProcessor {false};
		std::atomic<bool> toController {false};
	};

	Vst2Adapter (vst2::Callback host, int32 uniqueId);
	~Vst2Adapter ();
	bool setUp (IPluginFactory* factory, const TUID processorClass);
	bool readClassInfo (IPluginFactory* factory, const TUID processorClass);
	void readParameters ();
	void tearDown ();

	static intptr_t dispatchProc (vst2::Effect* effect, int32_t opcode, int32_t index, intptr_t value,
	                              void* ptr, float opt);
	static void setParameterProc (vst2::Effect* effect, int32_t index, float value);
	static float getParameterProc (vst2::Effect* effect, int32_t index);
	template <typename Sample>
	static void processProc (vst2::Effect* effect, Sample** inputs, Sample** outputs, int32_t frames);
	static void accumulateProc (vst2::Effect*, float**, float**, int32_t) {}

	intptr_t dispatch (int32 opcode, int32 index, intptr_t value, void* ptr, float opt);
	void setParameter (int32 index, double value);
	Parameter* findParameter (ParamID id, int32* index = nullptr);
	bool onMainThread () const { return std::this_thread::get_id () == mainThread; }
	void sendToController ();
	void refreshValues ();
	intptr_t parameterText (int32 opcode, int32 index, void* text);
	intptr_t canDo (const char* feature) const;

	void setActive (bool state);
	void reactivate ();
	void sendToInactiveProcessor ();
	template <typename Sample>
	void process (Sample** inputs, Sample** outputs, int32 frames);
	bool readTime ();

	intptr_t getChunk (void** data);
	intptr_t setChunk (const void* data, intptr_t size);

	bool makeView ();
	intptr_t openEditor (void* window);
	intptr_t closeEditor ();

	vst2::Effect effect {};
	vst2::Callback host;
	std::thread::id mainThread;
	bool moduleEntered {false};

	std::unique_ptr<AdapterHostContext> hostContext; // not counted: outlives both classes
	IPtr<IComponent> component;
	IPtr<IAudioProcessor> processor;
	IPtr<IEditController> controller;
	IPtr<IConnectionPoint> componentPoint;
	IPtr<IConnectionPoint> controllerPoint;
	bool componentInitialized {false};
	bool controllerInitialized {false};
	bool connected {false};

	std::string name;
	std::string vendor;
	std::string programName;
	std::unique_ptr<Parameter[]> parameters;
	int32 numParameters {0};

	// Processing: set up on the user-interface thread while inactive, used by the audio thread.
	ProcessSetup setup {kRealtime, kSample32, 1024, 44100.0};
	bool active {false};
	std::atomic<bool> processing {false};
	std::unique_ptr<BlockParameterChanges> changes;
	ProcessContext context {};
	AudioBusBuffers inputBus {};
	AudioBusBuffers outputBus {};
	ProcessData data {};

	std::vector<char> chunk;

	IPtr<IPlugView> view;
	bool editorOpen {false};
	vst2::Rect editorRect {};
};

} // namespace Vst
} // namespace Steinberg
