#pragma once

#include <ostream>
#include <string>

namespace render {

// Prints what a host learns from the bundle through the VST 3 interfaces: factory and
// classes, then for the first audio effect its buses, state size, parameters, units and
// program lists. Throws std::runtime_error.
void describePlugin (const std::string& pluginPath, std::ostream& out);

} // namespace render
