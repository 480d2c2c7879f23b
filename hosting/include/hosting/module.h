#pragma once

#include "hosting/error.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/base/smartpointer.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hosting {

using ClassId = std::array<Steinberg::int8, 16>;

// What a host learns about one class from the factory.
struct ClassInfo
{
	ClassId id {};
	std::string category; // e.g. "Audio Module Class"
	std::string name;
	Steinberg::int32 cardinality = 0;
	std::string subCategories; // empty when the factory only has IPluginFactory
	std::string vendor;
	std::string version;
	std::string sdkVersion;
	Steinberg::uint32 classFlags = 0;
};

struct FactoryInfo
{
	std::string vendor;
	std::string url;
	std::string email;
	Steinberg::int32 flags = 0;
};

// A loaded VST 3 module (bundle or shared object), the way Linux hosts load them.
// Keep the Module alive while any object created through its factory exists.
class Module
{
public:
	// Accepts NAME.vst3 (bundle folder) or a path to the shared object itself. Throws Error.
	explicit Module (const std::string& path);
	~Module ();
	Module (const Module&) = delete;
	Module& operator= (const Module&) = delete;

	static std::shared_ptr<Module> load (const std::string& path) { return std::make_shared<Module> (path); }

	// NAME.vst3 → NAME.vst3/Contents/<arch>-linux/NAME.so; a file path is returned unchanged.
	static std::string resolveBinaryPath (const std::string& path);

	const std::string& path () const { return path_; }
	const std::string& binaryPath () const { return binaryPath_; }
	Steinberg::IPluginFactory* factory () const { return factory_; }

	FactoryInfo factoryInfo () const;
	std::vector<ClassInfo> classes () const;
	std::optional<ClassInfo> findFirstClass (const std::string& category) const;
	std::optional<ClassInfo> findAudioEffect () const { return findFirstClass (kAudioModuleCategory); }

	// Creates an instance of a class and returns the requested interface, or null.
	template <typename Interface>
	Steinberg::IPtr<Interface> create (const ClassId& id) const
	{
		Interface* object = nullptr;
		if (factory_->createInstance (id.data (), Interface::iid, reinterpret_cast<void**> (&object)) !=
		    Steinberg::kResultOk)
			return nullptr;
		return Steinberg::owned (object);
	}

	static constexpr const char* kAudioModuleCategory = "Audio Module Class";
	static constexpr const char* kControllerCategory = "Component Controller Class";

private:
	void unload ();

	std::string path_;
	std::string binaryPath_;
	void* handle_ = nullptr;
	bool entered_ = false;
	Steinberg::IPtr<Steinberg::IPluginFactory> factory_;
};

ClassId toClassId (const Steinberg::TUID id);
ClassId makeClassId (Steinberg::uint32 l1, Steinberg::uint32 l2, Steinberg::uint32 l3, Steinberg::uint32 l4);

} // namespace hosting
