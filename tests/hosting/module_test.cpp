#include "hosting/module.h"
#include "hosting/strings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using hosting::Error;
using hosting::Module;

namespace {

const std::string kModules = TEST_MODULES_DIR;

// Runs f and returns the message of the Error it throws ("" when it does not throw).
template <typename F>
std::string errorOf (F&& f)
{
	try
	{
		f ();
	}
	catch (const Error& e)
	{
		return e.what ();
	}
	return "";
}

fs::path scratchFolder (const std::string& name)
{
	fs::path folder =
	    fs::temp_directory_path () / ("chopwright-hosting-" + std::to_string (::getpid ())) / name;
	fs::remove_all (folder);
	fs::create_directories (folder);
	return folder;
}

} // namespace

TEST (Module, ResolvesBundleAndDirectPaths)
{
	const std::string binary = Module::resolveBinaryPath (PROBE_BUNDLE);
	EXPECT_EQ (fs::path (binary), fs::path (PROBE_BUNDLE) / "Contents" / "x86_64-linux" / "Probe.so");
	EXPECT_EQ (Module::resolveBinaryPath (std::string (PROBE_BUNDLE) + "/"), binary) << "trailing slash";
	EXPECT_EQ (Module::resolveBinaryPath (binary), binary);
}

TEST (Module, ExplainsEveryWayLoadingFails)
{
	EXPECT_NE (errorOf ([] { Module ("/no/such/Thing.vst3"); }).find ("does not exist"), std::string::npos);
	EXPECT_NE (errorOf ([] { Module (""); }).find ("does not exist"), std::string::npos);

	const fs::path folder = scratchFolder ("bundles");
	fs::create_directories (folder / "Empty.vst3" / "Contents");
	EXPECT_NE (errorOf ([&] { Module ((folder / "Empty.vst3").string ()); }).find ("is not a VST 3 bundle"),
	           std::string::npos);
	fs::create_directories (folder / "NotABundle");
	EXPECT_NE (errorOf ([&] { Module ((folder / "NotABundle").string ()); }).find ("is not a VST 3 bundle"),
	           std::string::npos);

	std::ofstream (folder / "garbage.so") << "not an ELF file";
	const std::string garbage = errorOf ([&] { Module ((folder / "garbage.so").string ()); });
	EXPECT_NE (garbage.find ("cannot load"), std::string::npos) << garbage;
	EXPECT_NE (garbage.find ("garbage.so"), std::string::npos) << "dlerror names the file: " << garbage;

	EXPECT_NE (
	    errorOf ([] { Module (kModules + "/broken_no_entry.so"); }).find ("does not export ModuleEntry"),
	    std::string::npos);
	EXPECT_NE (errorOf ([] { Module (kModules + "/broken_entry_fails.so"); }).find ("ModuleEntry failed"),
	           std::string::npos);
	EXPECT_NE (errorOf ([] { Module (kModules + "/broken_no_factory.so"); }).find ("no factory"),
	           std::string::npos);
	fs::remove_all (folder.parent_path ());
}

TEST (Module, EnumeratesClassesWithTheRichestInfo)
{
	Module module (PROBE_BUNDLE);
	const auto classes = module.classes ();
	ASSERT_EQ (classes.size (), 2u);
	EXPECT_EQ (classes[0].category, "Audio Module Class");
	EXPECT_EQ (classes[0].name, "Probe");
	EXPECT_EQ (classes[0].subCategories, "Fx");
	EXPECT_EQ (classes[0].vendor, "Chopwright tests \xC3\xA9") << "read through getClassInfoUnicode";
	EXPECT_EQ (classes[0].sdkVersion, "VST 3.7.2");
	EXPECT_EQ (classes[1].category, "Component Controller Class");
	EXPECT_EQ (hosting::classIdToString (classes[0].id.data ()), "9A1E0C3144D24B708C1F55A26B3D9E01");
	EXPECT_EQ (classes[0].id, hosting::makeClassId (0x9A1E0C31, 0x44D24B70, 0x8C1F55A2, 0x6B3D9E01));

	auto effect = module.findAudioEffect ();
	ASSERT_TRUE (effect.has_value ());
	EXPECT_EQ (effect->id, classes[0].id);
	EXPECT_FALSE (module.findFirstClass ("Nothing Class").has_value ());
	EXPECT_EQ (module.factoryInfo ().vendor, "Chopwright tests");
}

TEST (Module, FallsBackToVersionOneClassInfo)
{
	Module module (kModules + "/ProbeV1.so");
	const auto classes = module.classes ();
	ASSERT_EQ (classes.size (), 2u);
	EXPECT_EQ (classes[0].name, "Probe");
	EXPECT_EQ (classes[0].category, "Audio Module Class");
	EXPECT_TRUE (classes[0].subCategories.empty ()) << "only IPluginFactory::getClassInfo was available";
}

TEST (Module, LoadsAndUnloadsRepeatedly)
{
	for (int i = 0; i < 3; ++i)
	{
		auto module = Module::load (PROBE_BUNDLE);
		EXPECT_NE (module->factory (), nullptr);
	}
}

TEST (Strings, ConvertsBetweenUtf8AndUtf16)
{
	const std::u16string text = u"a\u00e9\u20ac\U0001F941";
	EXPECT_EQ (hosting::toUtf8 (text.c_str ()), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\xA5\x81");
	EXPECT_EQ (hosting::toUtf16 ("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\xA5\x81"), text);
	EXPECT_EQ (hosting::toUtf8 (u"abcdef", 3), "abc");
	EXPECT_EQ (hosting::toUtf8 (nullptr), "");
}
