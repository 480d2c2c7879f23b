#include "hosting/plugin_instance.h"

#include "hosting/strings.h"

#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/common/memorystream.h"

#include <cstring>

using namespace Steinberg;

namespace hosting {

std::vector<ComponentHandler::Edit> ComponentHandler::edits () const
{
	std::lock_guard<std::mutex> lock (mutex_);
	return edits_;
}

std::vector<int32> ComponentHandler::restartRequests () const
{
	std::lock_guard<std::mutex> lock (mutex_);
	return restarts_;
}

tresult PLUGIN_API ComponentHandler::beginEdit (Vst::ParamID id)
{
	std::lock_guard<std::mutex> lock (mutex_);
	edits_.push_back ({Kind::Begin, id, 0.0});
	return kResultOk;
}

tresult PLUGIN_API ComponentHandler::performEdit (Vst::ParamID id, Vst::ParamValue value)
{
	std::lock_guard<std::mutex> lock (mutex_);
	edits_.push_back ({Kind::Perform, id, value});
	return kResultOk;
}

tresult PLUGIN_API ComponentHandler::endEdit (Vst::ParamID id)
{
	std::lock_guard<std::mutex> lock (mutex_);
	edits_.push_back ({Kind::End, id, 0.0});
	return kResultOk;
}

tresult PLUGIN_API ComponentHandler::restartComponent (int32 flags)
{
	std::lock_guard<std::mutex> lock (mutex_);
	restarts_.push_back (flags);
	return kResultOk;
}

tresult PLUGIN_API ComponentHandler::queryInterface (const TUID iid, void** obj)
{
	QUERY_INTERFACE (iid, obj, FUnknown::iid, Vst::IComponentHandler)
	QUERY_INTERFACE (iid, obj, Vst::IComponentHandler::iid, Vst::IComponentHandler)
	*obj = nullptr;
	return kNoInterface;
}

namespace {

ClassId firstAudioEffect (const Module& module)
{
	auto info = module.findAudioEffect ();
	if (!info)
		throw Error ("'" + module.path () + "' has no class of category \"" + Module::kAudioModuleCategory +
		             "\"");
	return info->id;
}

bool isNullId (const TUID id)
{
	static const TUID zero = {};
	return std::memcmp (id, zero, sizeof (TUID)) == 0;
}

} // namespace

PluginInstance::PluginInstance (std::shared_ptr<Module> module, FUnknown* hostContext)
    : PluginInstance (module, firstAudioEffect (*module), hostContext)
{}

PluginInstance::PluginInstance (std::shared_ptr<Module> module, const ClassId& processorClass,
                                FUnknown* hostContext)
    : module_ (std::move (module))
{
	try
	{
		create (processorClass, hostContext);
	}
	catch (...)
	{
		teardown ();
		throw;
	}
}

PluginInstance::~PluginInstance () { teardown (); }

void PluginInstance::create (const ClassId& processorClass, FUnknown* hostContext)
{
	const std::string name = "class " + classIdToString (processorClass.data ());
	component_ = module_->create<Vst::IComponent> (processorClass);
	if (!component_)
		throw Error ("the factory cannot create an IComponent of " + name);
	if (component_->initialize (hostContext) != kResultOk)
		throw Error ("IComponent::initialize failed for " + name);
	componentInitialized_ = true;

	processor_ = FUnknownPtr<Vst::IAudioProcessor> (component_);
	if (!processor_)
		throw Error (name + " is not an audio processor (no IAudioProcessor)");

	TUID controllerClass = {};
	if (component_->getControllerClassId (controllerClass) == kResultOk && !isNullId (controllerClass))
	{
		controller_ = module_->create<Vst::IEditController> (toClassId (controllerClass));
		if (!controller_)
			throw Error ("the factory cannot create the edit controller " +
			             classIdToString (controllerClass));
		if (controller_->initialize (hostContext) != kResultOk)
			throw Error ("IEditController::initialize failed for " + classIdToString (controllerClass));
		controllerInitialized_ = true;
	}
	else
	{
		// A single-component effect implements the controller on the component itself.
		controller_ = FUnknownPtr<Vst::IEditController> (component_);
		if (!controller_)
			throw Error (name + " names no edit controller and implements none");
		singleComponent_ = true;
	}
	controller_->setComponentHandler (&handler_);

	if (!singleComponent_)
	{
		FUnknownPtr<Vst::IConnectionPoint> componentPoint (component_);
		FUnknownPtr<Vst::IConnectionPoint> controllerPoint (controller_);
		if (componentPoint && controllerPoint)
		{
			toController_ = owned (new ConnectionProxy (componentPoint));
			toComponent_ = owned (new ConnectionProxy (controllerPoint));
			if (toController_->connect (controllerPoint) != kResultOk ||
			    toComponent_->connect (componentPoint) != kResultOk)
				throw Error ("connecting the component and the controller failed");
		}
	}
	transferStateToController ();
}

void PluginInstance::teardown ()
{
	deactivate ();
	if (toController_)
		toController_->close ();
	if (toComponent_)
		toComponent_->close ();
	if (controller_)
		controller_->setComponentHandler (nullptr);
	if (controllerInitialized_)
		controller_->terminate ();
	if (componentInitialized_)
		component_->terminate ();
	controllerInitialized_ = componentInitialized_ = false;
	toController_ = nullptr;
	toComponent_ = nullptr;
	controller_ = nullptr;
	processor_ = nullptr;
	component_ = nullptr;
}

void PluginInstance::activate (const ProcessingSetup& setup)
{
	deactivate ();
	if (setup.channels != 1 && setup.channels != 2)
		throw Error ("only mono and stereo processing are supported, not " + std::to_string (setup.channels) +
		             " channels");
	if (setup.maxBlockSize < 1 || !(setup.sampleRate > 0.0))
		throw Error ("invalid processing setup: block size and sample rate must be positive");
	const int32 sampleSize = setup.doublePrecision ? Vst::kSample64 : Vst::kSample32;
	if (processor_->canProcessSampleSize (sampleSize) != kResultTrue)
		throw Error (std::string ("the plug-in cannot process ") +
		             (setup.doublePrecision ? "64-bit" : "32-bit") + " samples");

	// Main buses get the requested layout; any further bus keeps its own.
	const Vst::SpeakerArrangement wanted =
	    setup.channels == 1 ? Vst::SpeakerArr::kMono : Vst::SpeakerArr::kStereo;
	auto arrangements = [&] (Vst::BusDirection direction) {
		std::vector<Vst::SpeakerArrangement> list (
		    static_cast<size_t> (component_->getBusCount (Vst::kAudio, direction)));
		for (size_t i = 0; i < list.size (); ++i)
			if (i == 0 ||
			    processor_->getBusArrangement (direction, static_cast<int32> (i), list[i]) != kResultOk)
				list[i] = wanted;
		return list;
	};
	auto inputs = arrangements (Vst::kInput);
	auto outputs = arrangements (Vst::kOutput);
	const std::string layout = setup.channels == 1 ? "mono" : "stereo";
	if (processor_->setBusArrangements (inputs.data (), static_cast<int32> (inputs.size ()), outputs.data (),
	                                    static_cast<int32> (outputs.size ())) != kResultTrue)
		throw Error ("the plug-in refuses the " + layout + " bus arrangement");
	Vst::SpeakerArrangement actual = 0;
	if ((!inputs.empty () &&
	     (processor_->getBusArrangement (Vst::kInput, 0, actual) != kResultOk || actual != wanted)) ||
	    (!outputs.empty () &&
	     (processor_->getBusArrangement (Vst::kOutput, 0, actual) != kResultOk || actual != wanted)))
		throw Error ("the plug-in accepted but did not apply the " + layout + " bus arrangement");

	Vst::ProcessSetup processSetup {setup.processMode, sampleSize, setup.maxBlockSize, setup.sampleRate};
	if (processor_->setupProcessing (processSetup) != kResultOk)
		throw Error ("IAudioProcessor::setupProcessing failed");
	if (!inputs.empty ())
		component_->activateBus (Vst::kAudio, Vst::kInput, 0, true);
	if (!outputs.empty ())
		component_->activateBus (Vst::kAudio, Vst::kOutput, 0, true);

	if (component_->setActive (true) != kResultOk)
		throw Error ("IComponent::setActive(true) failed");
	active_ = true;
	setup_ = setup;
	// Many plug-ins answer kNotImplemented here; hosts carry on regardless.
	const tresult started = processor_->setProcessing (true);
	if (started != kResultOk && started != kNotImplemented)
	{
		deactivate ();
		throw Error ("IAudioProcessor::setProcessing(true) failed");
	}
	processing_ = true;
}

void PluginInstance::deactivate ()
{
	if (processing_)
		processor_->setProcessing (false);
	processing_ = false;
	if (active_)
		component_->setActive (false);
	active_ = false;
}

std::vector<char> PluginInstance::componentState () const
{
	IPtr<MemoryStream> stream = owned (new MemoryStream);
	if (component_->getState (stream) != kResultOk)
		throw Error ("IComponent::getState failed");
	const char* data = stream->getData ();
	return std::vector<char> (data, data + stream->getSize ());
}

void PluginInstance::setComponentState (const std::vector<char>& state)
{
	IPtr<MemoryStream> stream = owned (new MemoryStream);
	int32 written = 0;
	stream->write (const_cast<char*> (state.data ()), static_cast<int32> (state.size ()), &written);
	stream->seek (0, IBStream::kIBSeekSet, nullptr);
	if (component_->setState (stream) != kResultOk)
		throw Error ("IComponent::setState refused the state");
	transferStateToController ();
}

void PluginInstance::transferStateToController ()
{
	IPtr<MemoryStream> stream = owned (new MemoryStream);
	if (component_->getState (stream) != kResultOk)
		throw Error ("IComponent::getState failed");
	stream->seek (0, IBStream::kIBSeekSet, nullptr);
	// A plug-in without controller-side state answers kNotImplemented; that is fine.
	const tresult result = controller_->setComponentState (stream);
	if (result != kResultOk && result != kNotImplemented)
		throw Error ("IEditController::setComponentState failed");
}

} // namespace hosting
