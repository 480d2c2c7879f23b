// The LV2 UI of Chopwright: the VST 3 controller's own editor, embedded in the LV2 host's X11
// parent window. The controller only mirrors the plug-in's control ports: the host's port
// events set its parameters (the editor follows through its ParameterListener), the editor's
// edits are written back to the ports (EditorHost), and the level bytes on the notify port go to
// the editor's oscilloscope. Everything runs on the host's UI thread, driven by its idle calls.
#include "editorhost.h"

#include "common/scopemessage.h"
#include "controller/chopwrightcontroller.h"
#include "lv2/lv2contract.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/main/moduleinit.h"
#include "vstgui/lib/cframe.h"
#include "vstgui/lib/platform/linux/x11frame.h"
#include "vstgui/lib/platform/linux/x11platform.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace chopwright {
namespace lv2 {
namespace {

const void* findFeature (const LV2_Feature* const* features, const char* uri)
{
	for (auto f = features; f && *f; ++f)
		if ((*f)->URI && std::strcmp ((*f)->URI, uri) == 0)
			return (*f)->data;
	return nullptr;
}

// The host's content scale (ui:scaleFactor among its options), or 1.
float scaleFactorOf (const LV2_Options_Option* options, const LV2_URID_Map& map)
{
	const LV2_URID key = map.map (map.handle, LV2_UI__scaleFactor);
	const LV2_URID floatType = map.map (map.handle, LV2_ATOM__Float);
	for (auto o = options; o && o->key; ++o)
		if (o->key == key && o->type == floatType && o->size == sizeof (float) && o->value)
		{
			const float factor = *static_cast<const float*> (o->value);
			if (factor >= 0.5f && factor <= 8.f)
				return factor;
		}
	return 1.f;
}

// One open UI: the controller with its editor attached to the host's parent window.
class ChopwrightUi
{
public:
	ChopwrightUi (const LV2_URID_Map& map, IPtr<EditorHost> host)
	    : host (std::move (host)), eventTransfer (map.map (map.handle, LV2_ATOM__eventTransfer)),
	      atomObject (map.map (map.handle, LV2_ATOM__Object)),
	      atomBlank (map.map (map.handle, LV2_ATOM__Blank)),
	      atomChunk (map.map (map.handle, LV2_ATOM__Chunk)), scopeType (map.map (map.handle, kScopeUri))
	{
		Steinberg::ModuleLifetime::enter (nullptr); // sets the view library up on the module's run loops
	}

	~ChopwrightUi ()
	{
		if (view)
		{
			if (attached)
				view->removed ();
			view->setFrame (nullptr);
			view = nullptr;
		}
		if (controller)
		{
			controller->setComponentHandler (nullptr);
			controller->terminate ();
			controller = nullptr;
		}
		Steinberg::ModuleLifetime::exit ();
	}

	// Opens the editor in `parent`; returns its X11 window, or 0.
	unsigned long open (const std::string& bundlePath, unsigned long parent, float scaleFactor)
	{
		VSTGUI::X11::setResourcePath (bundlePath + "resources");
		controller = owned (new ChopwrightController);
		if (controller->initialize (nullptr) != kResultOk)
			return 0;
		controller->setComponentHandler (host);
		view = owned (controller->createView (ViewType::kEditor));
		if (!view)
			return 0;
		if (FUnknownPtr<IPlugViewContentScaleSupport> scaling {view})
			scaling->setContentScaleFactor (scaleFactor);
		view->setFrame (host);
		attached =
		    view->attached (reinterpret_cast<void*> (parent), kPlatformTypeX11EmbedWindowID) == kResultOk;
		auto* editor = dynamic_cast<VSTGUI::VSTGUIEditorInterface*> (view.get ());
		auto* frame = editor ? editor->getFrame () : nullptr;
		if (!attached || !frame || !frame->getPlatformFrame ())
			return 0;
		ViewRect size;
		if (view->getSize (&size) == kResultOk)
			host->reportSize (size.getWidth (), size.getHeight ());
		return frame->getPlatformFrame ()->getWindow ();
	}

	void portEvent (uint32_t port, uint32_t size, uint32_t format, const void* buffer)
	{
		if (!buffer || !controller)
			return;
		if (format == 0 && size == sizeof (float))
		{
			float value;
			std::memcpy (&value, buffer, sizeof (value));
			if (const auto parameter = parameterValueOf (port, value))
				controller->setParamNormalized (parameter->id, parameter->normalized);
		}
		else if (format == eventTransfer && port == kNotify)
			showLevels (static_cast<const uint8_t*> (buffer), size);
	}

	void idle () { host->idle (); }

private:
	// The plug-in's scope event (lv2contract.h): an object of type kScopeUri whose property kScopeUri
	// is an atom:Chunk of level bytes. Every size is checked against the `size` bytes the host gave.
	void showLevels (const uint8_t* buffer, uint32_t size)
	{
		constexpr uint32_t kHeader = sizeof (LV2_Atom) + sizeof (LV2_Atom_Object_Body);
		if (size < kHeader)
			return;
		LV2_Atom_Object object;
		std::memcpy (&object, buffer, kHeader);
		if ((object.atom.type != atomObject && object.atom.type != atomBlank) ||
		    object.body.otype != scopeType || object.atom.size > size - sizeof (LV2_Atom))
			return;
		const uint8_t* const end = buffer + sizeof (LV2_Atom) + object.atom.size;
		for (const uint8_t* at = buffer + kHeader;
		     end - at >= static_cast<ptrdiff_t> (sizeof (LV2_Atom_Property_Body));)
		{
			LV2_Atom_Property_Body property;
			std::memcpy (&property, at, sizeof (property));
			const uint8_t* const value = at + sizeof (property);
			if (property.value.size > static_cast<size_t> (end - value))
				return;
			if (property.key == scopeType && property.value.type == atomChunk)
			{
				EditorLink* editor = controller->getActiveEditor ();
				// As the controller takes the processor's messages: never more than one ring's worth.
				constexpr auto kMaxBytes = static_cast<uint32_t> (scopemessage::kRingSize);
				if (editor && editor->isOpen ())
					editor->setScopeData (reinterpret_cast<const int8*> (value),
					                      static_cast<int32> (std::min (property.value.size, kMaxBytes)));
				return;
			}
			const uint32_t step = sizeof (property) + lv2_atom_pad_size (property.value.size);
			if (step > static_cast<size_t> (end - at))
				return;
			at += step;
		}
	}

	IPtr<EditorHost> host;
	IPtr<ChopwrightController> controller;
	IPtr<IPlugView> view;
	bool attached {false};
	const LV2_URID eventTransfer, atomObject, atomBlank, atomChunk, scopeType;
};

LV2UI_Handle instantiate (const LV2UI_Descriptor*, const char* pluginUri, const char* bundlePath,
                          LV2UI_Write_Function writeFunction, LV2UI_Controller controller,
                          LV2UI_Widget* widget, const LV2_Feature* const* features)
{
	const auto* map = static_cast<const LV2_URID_Map*> (findFeature (features, LV2_URID__map));
	const auto parent = reinterpret_cast<uintptr_t> (findFeature (features, LV2_UI__parent));
	if (!pluginUri || std::strcmp (pluginUri, kPluginUri) != 0 || !map || !map->map || !parent || !widget)
		return nullptr;
	std::string bundle = bundlePath ? bundlePath : "";
	if (!bundle.empty () && bundle.back () != '/')
		bundle += '/';

	auto host = owned (new EditorHost (
	    writeFunction, controller, static_cast<const LV2UI_Resize*> (findFeature (features, LV2_UI__resize)),
	    static_cast<const LV2UI_Touch*> (findFeature (features, LV2_UI__touch))));
	const auto* options =
	    static_cast<const LV2_Options_Option*> (findFeature (features, LV2_OPTIONS__options));
	auto ui = new ChopwrightUi (*map, host);
	const unsigned long window = ui->open (bundle, parent, scaleFactorOf (options, *map));
	if (!window)
	{
		delete ui;
		return nullptr;
	}
	*widget = reinterpret_cast<LV2UI_Widget> (static_cast<uintptr_t> (window));
	return ui;
}

void cleanup (LV2UI_Handle handle) { delete static_cast<ChopwrightUi*> (handle); }

void portEvent (LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
	static_cast<ChopwrightUi*> (handle)->portEvent (port, size, format, buffer);
}

int idle (LV2UI_Handle handle)
{
	static_cast<ChopwrightUi*> (handle)->idle ();
	return 0; // the window closes only when the host says so
}

const void* extensionData (const char* uri)
{
	static const LV2UI_Idle_Interface idleInterface {idle};
	return uri && std::strcmp (uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
}

const LV2UI_Descriptor descriptor {kUiUri, instantiate, cleanup, portEvent, extensionData};

} // namespace
} // namespace lv2
} // namespace chopwright

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor (uint32_t index)
{
	return index == 0 ? &chopwright::lv2::descriptor : nullptr;
}
