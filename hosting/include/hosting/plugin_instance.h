#pragma once

#include "hosting/connection_proxy.h"
#include "hosting/module.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <memory>
#include <mutex>
#include <vector>

namespace hosting {

// How the instance is prepared for processing.
struct ProcessingSetup
{
	double sampleRate = 44100.0;
	Steinberg::int32 maxBlockSize = 512;
	Steinberg::int32 channels = 2; // 1 = mono, 2 = stereo, on the main input and output bus
	bool doublePrecision = false;  // kSample64 instead of kSample32
	Steinberg::int32 processMode = Steinberg::Vst::kRealtime;
};

// IComponentHandler given to the controller: records what the controller reports.
class ComponentHandler : public Steinberg::Vst::IComponentHandler
{
public:
	enum class Kind
	{
		Begin,
		Perform,
		End
	};
	struct Edit
	{
		Kind kind;
		Steinberg::Vst::ParamID id;
		Steinberg::Vst::ParamValue value; // for Perform
	};

	std::vector<Edit> edits () const;
	std::vector<Steinberg::int32> restartRequests () const;

	Steinberg::tresult PLUGIN_API beginEdit (Steinberg::Vst::ParamID id) override;
	Steinberg::tresult PLUGIN_API performEdit (Steinberg::Vst::ParamID id,
	                                           Steinberg::Vst::ParamValue value) override;
	Steinberg::tresult PLUGIN_API endEdit (Steinberg::Vst::ParamID id) override;
	Steinberg::tresult PLUGIN_API restartComponent (Steinberg::int32 flags) override;

	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override;
	Steinberg::uint32 PLUGIN_API addRef () override { return 1; }
	Steinberg::uint32 PLUGIN_API release () override { return 1; }

private:
	mutable std::mutex mutex_; // edits may come from any thread
	std::vector<Edit> edits_;
	std::vector<Steinberg::int32> restarts_;
};

// One plug-in instance set up the way a host does it: component and controller created and
// initialised, connected through ConnectionProxy objects, the component state handed to the
// controller. activate()/deactivate() run the processing lifecycle; the destructor tears down
// in order (also after a failure half way through construction). Throws Error.
class PluginInstance
{
public:
	// hostContext must outlive the instance (HostContext is not reference counted).
	PluginInstance (std::shared_ptr<Module> module, const ClassId& processorClass,
	                Steinberg::FUnknown* hostContext);
	// The module's first "Audio Module Class".
	PluginInstance (std::shared_ptr<Module> module, Steinberg::FUnknown* hostContext);
	~PluginInstance ();
	PluginInstance (const PluginInstance&) = delete;
	PluginInstance& operator= (const PluginInstance&) = delete;

	// Bus arrangements, setupProcessing, main buses on, setActive(true), setProcessing(true).
	void activate (const ProcessingSetup& setup);
	// setProcessing(false), setActive(false); no-op when not active.
	void deactivate ();
	bool isActive () const { return active_; }
	const ProcessingSetup& setup () const { return setup_; }

	Steinberg::tresult process (Steinberg::Vst::ProcessData& data) { return processor_->process (data); }

	Steinberg::Vst::IComponent* component () const { return component_; }
	Steinberg::Vst::IAudioProcessor* processor () const { return processor_; }
	Steinberg::Vst::IEditController* controller () const { return controller_; }
	ComponentHandler& componentHandler () { return handler_; }
	const Module& module () const { return *module_; }
	bool isSingleComponent () const { return singleComponent_; }

	// Messages forwarded by the host between the two sides so far.
	int messagesToController () const { return toController_ ? toController_->forwardedMessages () : 0; }
	int messagesToComponent () const { return toComponent_ ? toComponent_->forwardedMessages () : 0; }

	std::vector<char> componentState () const;               // IComponent::getState
	void setComponentState (const std::vector<char>& state); // setState, then the controller follows
	void transferStateToController ();                       // getState -> setComponentState

private:
	void create (const ClassId& processorClass, Steinberg::FUnknown* hostContext);
	void teardown ();

	std::shared_ptr<Module> module_;
	ComponentHandler handler_;
	Steinberg::IPtr<Steinberg::Vst::IComponent> component_;
	Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processor_;
	Steinberg::IPtr<Steinberg::Vst::IEditController> controller_;
	Steinberg::IPtr<ConnectionProxy> toController_; // component -> controller
	Steinberg::IPtr<ConnectionProxy> toComponent_;  // controller -> component
	bool componentInitialized_ = false;
	bool controllerInitialized_ = false;
	bool singleComponent_ = false;
	bool active_ = false;
	bool processing_ = false;
	ProcessingSetup setup_;
};

} // namespace hosting
