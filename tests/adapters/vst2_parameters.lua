-- ardour7-lua vst2_parameters.lua DIR
-- Creates a session in DIR and adds Chopwright as a Linux VST plug-in (found through
-- LXVST_PATH and the scanner's cache). Prints each parameter as Ardour reads it from the
-- effect ("PARAMETER index name value"), then sets SliceSize to 1 and prints what the effect
-- gives back ("SliceSize value").
local session = create_session(arg[1], "vst2", 48000)
assert(session, "cannot create a session in " .. arg[1])
local insert = ARDOUR.LuaAPI.new_plugin(session, "Chopwright", ARDOUR.PluginType.LXVST, "")
assert(not insert:isnil(), "Ardour has no Linux VST plug-in called Chopwright")
local pi = insert:to_insert()
local plugin = pi:plugin(0)
for i = 0, plugin:parameter_count() - 1 do
  local value = ARDOUR.LuaAPI.get_plugin_insert_param(pi, i, false)
  print(string.format("PARAMETER %d %s %g", i, plugin:parameter_label(i), value))
end
assert(ARDOUR.LuaAPI.set_plugin_insert_param(pi, 1, 1), "cannot set SliceSize")
print(string.format("SliceSize %g", ARDOUR.LuaAPI.get_plugin_insert_param(pi, 1, false)))
close_session()
