#include "hosting/module.h"

#include "hosting/strings.h"

#include <cstring>
#include <dlfcn.h>
#include <filesystem>

namespace fs = std::filesystem;
using namespace Steinberg;

namespace hosting {
namespace {

#if defined(__x86_64__)
constexpr const char* kArchitectureFolder = "x86_64-linux";
#elif defined(__aarch64__)
constexpr const char* kArchitectureFolder = "aarch64-linux";
#elif defined(__i386__)
constexpr const char* kArchitectureFolder = "i386-linux";
#else
#error "Unknown architecture for the VST 3 bundle layout"
#endif

using ModuleEntryFunction = bool (*) (void*);
using ModuleExitFunction = bool (*) ();
using GetFactoryFunction = IPluginFactory*(PLUGIN_API*)();

std::string copyString (const char8* text, size_t capacity)
{
	return std::string (text, strnlen (text, capacity));
}

ClassInfo fromInfo (const PClassInfo& info)
{
	ClassInfo out;
	std::memcpy (out.id.data (), info.cid, sizeof (TUID));
	out.category = copyString (info.category, PClassInfo::kCategorySize);
	out.name = copyString (info.name, PClassInfo::kNameSize);
	out.cardinality = info.cardinality;
	return out;
}

} // namespace

ClassId toClassId (const TUID id)
{
	ClassId out;
	std::memcpy (out.data (), id, sizeof (TUID));
	return out;
}

ClassId makeClassId (uint32 l1, uint32 l2, uint32 l3, uint32 l4)
{
	TUID id = INLINE_UID (l1, l2, l3, l4);
	return toClassId (id);
}

std::string Module::resolveBinaryPath (const std::string& path)
{
	std::error_code error;
	const fs::path given (path);
	if (path.empty () || !fs::exists (given, error))
		throw Error ("plug-in not found: '" + path + "' does not exist");
	if (!fs::is_directory (given, error))
		return path;

	// A bundle is a folder; its binary has the bundle's name without ".vst3".
	fs::path bundle = given;
	if (!bundle.has_filename ())
		bundle = bundle.parent_path ();
	const std::string name = bundle.stem ().string ();
	const fs::path binary = bundle / "Contents" / kArchitectureFolder / (name + ".so");
	if (bundle.extension () != ".vst3" || !fs::is_regular_file (binary, error))
		throw Error ("'" + path + "' is not a VST 3 bundle: expected " + binary.string ());
	return binary.string ();
}

Module::Module (const std::string& path) : path_ (path), binaryPath_ (resolveBinaryPath (path))
{
	handle_ = dlopen (binaryPath_.c_str (), RTLD_LAZY | RTLD_LOCAL);
	if (!handle_)
	{
		const char* reason = dlerror ();
		throw Error ("cannot load '" + binaryPath_ + "': " + (reason ? reason : "unknown dlopen error"));
	}
	try
	{
		auto symbol = [this] (const char* name) {
			void* address = dlsym (handle_, name);
			if (!address)
				throw Error ("'" + binaryPath_ + "' is not a VST 3 module: it does not export " + name);
			return address;
		};
		auto entry = reinterpret_cast<ModuleEntryFunction> (symbol ("ModuleEntry"));
		symbol ("ModuleExit");
		auto getFactory = reinterpret_cast<GetFactoryFunction> (symbol ("GetPluginFactory"));

		if (!entry (handle_))
			throw Error ("'" + binaryPath_ + "': ModuleEntry failed");
		entered_ = true;
		// GetPluginFactory hands over one reference, released in unload().
		factory_ = owned (getFactory ());
		if (!factory_)
			throw Error ("'" + binaryPath_ + "': GetPluginFactory returned no factory");
	}
	catch (...)
	{
		unload ();
		throw;
	}
}

Module::~Module () { unload (); }

void Module::unload ()
{
	factory_ = nullptr;
	if (entered_)
	{
		if (auto exit = reinterpret_cast<ModuleExitFunction> (dlsym (handle_, "ModuleExit")))
			exit ();
		entered_ = false;
	}
	if (handle_)
	{
		dlclose (handle_);
		handle_ = nullptr;
	}
}

FactoryInfo Module::factoryInfo () const
{
	PFactoryInfo info {};
	FactoryInfo out;
	if (factory_->getFactoryInfo (&info) != kResultOk)
		return out;
	out.vendor = copyString (info.vendor, PFactoryInfo::kNameSize);
	out.url = copyString (info.url, PFactoryInfo::kURLSize);
	out.email = copyString (info.email, PFactoryInfo::kEmailSize);
	out.flags = info.flags;
	return out;
}

std::vector<ClassInfo> Module::classes () const
{
	// Ask for the richest description the factory offers, like real hosts do.
	FUnknownPtr<IPluginFactory3> factory3 (factory_);
	FUnknownPtr<IPluginFactory2> factory2 (factory_);
	std::vector<ClassInfo> out;
	const int32 count = factory_->countClasses ();
	for (int32 i = 0; i < count; ++i)
	{
		PClassInfoW unicode {};
		PClassInfo2 info2 {};
		PClassInfo info {};
		if (factory3 && factory3->getClassInfoUnicode (i, &unicode) == kResultOk)
		{
			ClassInfo c;
			std::memcpy (c.id.data (), unicode.cid, sizeof (TUID));
			c.category = copyString (unicode.category, PClassInfo::kCategorySize);
			c.name = toUtf8 (unicode.name, PClassInfo::kNameSize);
			c.cardinality = unicode.cardinality;
			c.subCategories = copyString (unicode.subCategories, PClassInfoW::kSubCategoriesSize);
			c.vendor = toUtf8 (unicode.vendor, PClassInfoW::kVendorSize);
			c.version = toUtf8 (unicode.version, PClassInfoW::kVersionSize);
			c.sdkVersion = toUtf8 (unicode.sdkVersion, PClassInfoW::kVersionSize);
			c.classFlags = unicode.classFlags;
			out.push_back (c);
		}
		else if (factory2 && factory2->getClassInfo2 (i, &info2) == kResultOk)
		{
			ClassInfo c;
			std::memcpy (c.id.data (), info2.cid, sizeof (TUID));
			c.category = copyString (info2.category, PClassInfo::kCategorySize);
			c.name = copyString (info2.name, PClassInfo::kNameSize);
			c.cardinality = info2.cardinality;
			c.subCategories = copyString (info2.subCategories, PClassInfo2::kSubCategoriesSize);
			c.vendor = copyString (info2.vendor, PClassInfo2::kVendorSize);
			c.version = copyString (info2.version, PClassInfo2::kVersionSize);
			c.sdkVersion = copyString (info2.sdkVersion, PClassInfo2::kVersionSize);
			c.classFlags = info2.classFlags;
			out.push_back (c);
		}
		else if (factory_->getClassInfo (i, &info) == kResultOk)
			out.push_back (fromInfo (info));
	}
	return out;
}

std::optional<ClassInfo> Module::findFirstClass (const std::string& category) const
{
	for (const auto& c : classes ())
		if (c.category == category)
			return c;
	return std::nullopt;
}

} // namespace hosting
