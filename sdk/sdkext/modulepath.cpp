#include "sdkext/modulepath.h"

#include <dlfcn.h>

#include <climits>
#include <cstdlib>

namespace Steinberg {
namespace SdkExt {
namespace {

// Internal linkage: its address always lies in the binary this file is linked into, even when
// another module loaded into the process carries the same code.
int moduleAnchor = 0;

std::string loadedBinaryPath ()
{
	Dl_info info {};
	if (dladdr (&moduleAnchor, &info) == 0 || !info.dli_fname || !*info.dli_fname)
		return {};
	// Absolute and free of symlinks, so a linked bundle resolves to its real folder.
	char resolved[PATH_MAX];
	if (realpath (info.dli_fname, resolved))
		return resolved;
	return info.dli_fname;
}

std::string parentOf (const std::string& path)
{
	const auto slash = path.find_last_of ('/');
	if (slash == std::string::npos)
		return {};
	return slash == 0 ? "/" : path.substr (0, slash);
}

std::string nameOf (const std::string& path)
{
	const auto slash = path.find_last_of ('/');
	return slash == std::string::npos ? path : path.substr (slash + 1);
}

bool endsWith (const std::string& text, const std::string& suffix)
{
	return text.size () >= suffix.size () &&
	       text.compare (text.size () - suffix.size (), suffix.size (), suffix) == 0;
}

} // namespace

std::string getModuleBundlePath ()
{
	const auto binaryFolder = parentOf (loadedBinaryPath ()); // .../<arch>-linux
	const auto contents = parentOf (binaryFolder);            // .../Contents
	const auto bundle = parentOf (contents);                  // .../NAME.vst3
	const bool inBundle = endsWith (nameOf (binaryFolder), "-linux") && nameOf (contents) == "Contents" &&
	                      endsWith (bundle, ".vst3") && nameOf (bundle).size () > 5;
	return inBundle ? bundle : binaryFolder;
}

std::string getModuleResourcesPath ()
{
	const auto bundle = getModuleBundlePath ();
	return bundle.empty () ? bundle : bundle + "/Contents/Resources";
}

} // namespace SdkExt
} // namespace Steinberg
