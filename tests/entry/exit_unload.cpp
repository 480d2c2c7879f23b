// A host that keeps the loaded module in a static object and lets it unload from its exit
// handlers, after the plug-in library's own static objects have been destroyed.
#include "hosting/host_context.h"
#include "hosting/module.h"
#include "hosting/plugin_instance.h"

static std::shared_ptr<hosting::Module> module;

int main (int argc, char** argv)
{
	if (argc != 2)
		return 2;
	module = hosting::Module::load (argv[1]);
	hosting::RunLoop loop;
	hosting::HostContext host (&loop);
	{
		hosting::PluginInstance plugin (module, &host);
	}
	return 0; // ~module runs at exit: ModuleExit must not touch destroyed objects
}
