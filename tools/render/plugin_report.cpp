#include "plugin_report.h"

#include "hosting/host_context.h"
#include "hosting/plugin_instance.h"
#include "hosting/strings.h"

#include "pluginterfaces/vst/ivstunits.h"

#include <iomanip>

using namespace Steinberg;
using hosting::toUtf8;

namespace render {
namespace {

std::string parameterFlags (int32 flags)
{
	using P = Vst::ParameterInfo;
	static const std::pair<int32, const char*> names[] = {
	    {P::kCanAutomate, "automatable"},  {P::kIsReadOnly, "read-only"},
	    {P::kIsWrapAround, "wrap-around"}, {P::kIsList, "list"},
	    {P::kIsHidden, "hidden"},          {P::kIsProgramChange, "program-change"},
	    {P::kIsBypass, "bypass"}};
	std::string out;
	for (const auto& [bit, name] : names)
		if (flags & bit)
			out += (out.empty () ? "" : ", ") + std::string (name);
	return out.empty () ? "none" : out;
}

void describeBuses (Vst::IComponent& component, std::ostream& out)
{
	for (auto direction : {Vst::kInput, Vst::kOutput})
		for (int32 i = 0; i < component.getBusCount (Vst::kAudio, direction); ++i)
		{
			Vst::BusInfo bus {};
			if (component.getBusInfo (Vst::kAudio, direction, i, bus) != kResultOk)
				continue;
			out << "    audio " << (direction == Vst::kInput ? "input " : "output ") << i << " \""
			    << toUtf8 (bus.name) << "\": " << bus.channelCount << " channel(s), "
			    << (bus.busType == Vst::kMain ? "main" : "aux")
			    << ((bus.flags & Vst::BusInfo::kDefaultActive) ? ", active by default" : "") << "\n";
		}
}

void describeParameters (Vst::IEditController& controller, std::ostream& out)
{
	const int32 count = controller.getParameterCount ();
	out << "  parameters (" << count << "):\n";
	for (int32 i = 0; i < count; ++i)
	{
		Vst::ParameterInfo info {};
		if (controller.getParameterInfo (i, info) != kResultOk)
			continue;
		Vst::String128 text {};
		controller.getParamStringByValue (info.id, info.defaultNormalizedValue, text);
		out << "    id " << info.id << " \"" << toUtf8 (info.title) << "\"";
		if (info.shortTitle[0])
			out << " (short \"" << toUtf8 (info.shortTitle) << "\")";
		if (info.units[0])
			out << " [" << toUtf8 (info.units) << "]";
		out << ": default " << info.defaultNormalizedValue << " = \"" << toUtf8 (text) << "\", steps "
		    << info.stepCount << ", unit " << info.unitId << ", flags " << parameterFlags (info.flags)
		    << "\n";
		// List parameters: show every entry as the host would offer it.
		if (info.stepCount > 0 && info.stepCount <= 16 && (info.flags & Vst::ParameterInfo::kIsList))
			for (int32 step = 0; step <= info.stepCount; ++step)
			{
				const double value = static_cast<double> (step) / info.stepCount;
				controller.getParamStringByValue (info.id, value, text);
				out << "      " << value << " = \"" << toUtf8 (text) << "\"\n";
			}
	}
}

void describeUnits (Vst::IEditController& controller, std::ostream& out)
{
	FUnknownPtr<Vst::IUnitInfo> units (&controller);
	if (!units)
	{
		out << "  units: none (no IUnitInfo)\n";
		return;
	}
	out << "  units (" << units->getUnitCount () << "):\n";
	for (int32 i = 0; i < units->getUnitCount (); ++i)
	{
		Vst::UnitInfo unit {};
		if (units->getUnitInfo (i, unit) == kResultOk)
			out << "    id " << unit.id << " \"" << toUtf8 (unit.name) << "\", parent " << unit.parentUnitId
			    << ", program list " << unit.programListId << "\n";
	}
	out << "  program lists (" << units->getProgramListCount () << "):\n";
	for (int32 i = 0; i < units->getProgramListCount (); ++i)
	{
		Vst::ProgramListInfo list {};
		if (units->getProgramListInfo (i, list) != kResultOk)
			continue;
		out << "    id " << list.id << " \"" << toUtf8 (list.name) << "\", " << list.programCount
		    << " program(s):";
		for (int32 p = 0; p < list.programCount; ++p)
		{
			Vst::String128 name {};
			units->getProgramName (list.id, p, name);
			out << (p ? ", \"" : " \"") << toUtf8 (name) << "\"";
		}
		out << "\n";
	}
}

} // namespace

void describePlugin (const std::string& pluginPath, std::ostream& out)
{
	auto module = hosting::Module::load (pluginPath);
	const auto factory = module->factoryInfo ();
	out << "module: " << module->binaryPath () << "\n";
	out << "factory: vendor \"" << factory.vendor << "\", url \"" << factory.url << "\", email \""
	    << factory.email << "\"\n";
	const auto classes = module->classes ();
	out << "classes (" << classes.size () << "):\n";
	for (const auto& c : classes)
	{
		out << "  " << hosting::classIdToString (c.id.data ()) << " " << std::left << std::setw (28)
		    << c.category << std::right << " \"" << c.name << "\"";
		if (!c.subCategories.empty ())
			out << ", subcategories \"" << c.subCategories << "\"";
		if (!c.vendor.empty ())
			out << ", vendor \"" << c.vendor << "\"";
		if (!c.version.empty ())
			out << ", version " << c.version;
		if (!c.sdkVersion.empty ())
			out << ", " << c.sdkVersion;
		out << "\n";
	}

	const auto effect = module->findAudioEffect ();
	if (!effect)
	{
		out << "no audio effect class\n";
		return;
	}
	hosting::HostContext host;
	hosting::PluginInstance plugin (module, effect->id, &host);
	out << "audio effect \"" << effect->name << "\":\n";
	TUID controllerId {};
	if (plugin.isSingleComponent ())
		out << "  controller: on the component (single component)\n";
	else if (plugin.component ()->getControllerClassId (controllerId) == kResultOk)
		out << "  controller: " << hosting::classIdToString (controllerId) << "\n";
	out << "  buses:\n";
	describeBuses (*plugin.component (), out);
	out << "  latency " << plugin.processor ()->getLatencySamples () << " samples, tail "
	    << plugin.processor ()->getTailSamples () << " samples, 64-bit processing "
	    << (plugin.processor ()->canProcessSampleSize (Vst::kSample64) == kResultTrue ? "yes" : "no") << "\n";
	out << "  state: " << plugin.componentState ().size () << " bytes\n";
	describeParameters (*plugin.controller (), out);
	describeUnits (*plugin.controller (), out);
}

} // namespace render
