// Module path discovery and the exported entry points, checked on a real shared object
// (SdkProbe.so) placed inside a bundle layout and, as a copy, in a plain folder.
#include "sdkext/modulepath.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace SdkTest {
namespace {

using namespace Steinberg;

std::string realPath (const std::string& path)
{
	char resolved[PATH_MAX];
	return realpath (path.c_str (), resolved) ? resolved : "";
}

std::string folderOf (const std::string& path) { return path.substr (0, path.find_last_of ('/')); }

class ProbeModule
{
public:
	explicit ProbeModule (const std::string& path) : handle (dlopen (path.c_str (), RTLD_NOW | RTLD_LOCAL)) {}
	~ProbeModule ()
	{
		if (handle)
			dlclose (handle);
	}
	template <typename Function>
	Function* get (const char* name) const
	{
		return reinterpret_cast<Function*> (dlsym (handle, name));
	}
	void* const handle;
};

TEST (ModulePathTest, ProgramOutsideABundleReportsItsOwnFolder)
{
	const auto programFolder = folderOf (realPath ("/proc/self/exe"));
	EXPECT_EQ (SdkExt::getModuleBundlePath (), programFolder);
	EXPECT_EQ (SdkExt::getModuleResourcesPath (), programFolder + "/Contents/Resources");
}

TEST (ModulePathTest, LibraryInsideBundleReportsTheBundle)
{
	ProbeModule probe (SDK_PROBE_BUNDLE "/Contents/" SDK_PROBE_ARCH "/SdkProbe.so");
	ASSERT_NE (probe.handle, nullptr) << dlerror ();
	auto* bundlePath = probe.get<const char*()> ("probeBundlePath");
	auto* resourcesPath = probe.get<const char*()> ("probeResourcesPath");
	ASSERT_TRUE (bundlePath && resourcesPath);
	EXPECT_EQ (std::string (bundlePath ()), realPath (SDK_PROBE_BUNDLE));
	EXPECT_EQ (std::string (resourcesPath ()), realPath (SDK_PROBE_BUNDLE) + "/Contents/Resources");
}

TEST (ModulePathTest, LibraryOutsideBundleReportsItsFolder)
{
	ProbeModule probe (SDK_PROBE_PLAIN_FOLDER "/SdkProbe.so");
	ASSERT_NE (probe.handle, nullptr) << dlerror ();
	auto* bundlePath = probe.get<const char*()> ("probeBundlePath");
	ASSERT_NE (bundlePath, nullptr);
	EXPECT_EQ (std::string (bundlePath ()), realPath (SDK_PROBE_PLAIN_FOLDER));
}

// What a host does: ModuleEntry, GetPluginFactory, create, release, ModuleExit.
TEST (ModuleBinaryTest, ExportsEntryPointsAndAWorkingFactory)
{
	ProbeModule probe (SDK_PROBE_BUNDLE "/Contents/" SDK_PROBE_ARCH "/SdkProbe.so");
	ASSERT_NE (probe.handle, nullptr) << dlerror ();
	auto* moduleEntry = probe.get<bool (void*)> ("ModuleEntry");
	auto* moduleExit = probe.get<bool ()> ("ModuleExit");
	auto* getFactory = probe.get<IPluginFactory*()> ("GetPluginFactory");
	auto* initializerRuns = probe.get<int ()> ("probeInitializerRuns");
	auto* moduleHandle = probe.get<void*()> ("probeModuleHandle");
	auto* viewAnswers = probe.get<bool ()> ("probeViewAnswersIPlugView");
	ASSERT_TRUE (moduleEntry && moduleExit && getFactory && initializerRuns && moduleHandle && viewAnswers);
	// Hidden visibility: library internals are not exported.
	EXPECT_EQ (dlsym (probe.handle, "_ZN9Steinberg14gPluginFactoryE"), nullptr);

	ASSERT_TRUE (moduleEntry (probe.handle));
	ASSERT_TRUE (moduleEntry (probe.handle));
	EXPECT_EQ (initializerRuns (), 1);
	EXPECT_EQ (moduleHandle (), probe.handle);
	EXPECT_TRUE (viewAnswers ());

	IPluginFactory* factory = getFactory ();
	ASSERT_NE (factory, nullptr);
	EXPECT_EQ (getFactory (), factory); // later calls share the factory, adding a reference
	EXPECT_EQ (factory->release (), 1u);
	ASSERT_EQ (factory->countClasses (), 1);
	PClassInfo info;
	ASSERT_EQ (factory->getClassInfo (0, &info), kResultOk);
	EXPECT_STREQ (info.name, "Probe Effect");
	EXPECT_STREQ (info.category, kVstAudioEffectClass);

	void* obj = nullptr;
	ASSERT_EQ (factory->createInstance (info.cid, Vst::IAudioProcessor::iid, &obj), kResultOk);
	EXPECT_EQ (static_cast<Vst::IAudioProcessor*> (obj)->release (), 0u);
	EXPECT_EQ (factory->release (), 0u);

	IPluginFactory* again = getFactory (); // a released factory is created anew
	ASSERT_NE (again, nullptr);
	EXPECT_EQ (again->countClasses (), 1);
	EXPECT_EQ (again->release (), 0u);

	EXPECT_TRUE (moduleExit ());
	EXPECT_TRUE (moduleExit ());
	EXPECT_EQ (moduleHandle (), nullptr);
	EXPECT_FALSE (moduleExit ());
}

} // namespace
} // namespace SdkTest
