-- ardour7-lua bounce.lua DIR MODE FRAMES FORMAT
-- Loads the session DIR (make_session.lua), puts Chopwright (FORMAT VST3 or LV2) first on the
-- track "Drums", sets its parameters and bounces frames 0..FRAMES through it; prints the two
-- mono files written ("BOUNCED path"). MODE "off": Break stays off. MODE "break": Break is
-- automated on from bar 2 (frame 96000 at 120 BPM, 4/4, 48 kHz).
local dir, mode, frames, format = arg[1], arg[2], tonumber(arg[3]), arg[4]
assert(mode == "off" or mode == "break", "MODE is off or break")
assert(format == "VST3" or format == "LV2", "FORMAT is VST3 or LV2")
local session = load_session(dir, "chopwright")
assert(session, "cannot load the session in " .. dir)

local tempo = Temporal.TempoMap.read()
assert(tempo:quarters_per_minute_at(Temporal.timepos_t(0)) == 120, "the session is not at 120 BPM")
tempo = nil

-- A VST3 plug-in is found only if Ardour's scan of ~/.vst3 has cached the bundle there; an LV2
-- one by its URI, wherever lilv finds the bundle.
local insert
if format == "LV2" then
  insert = ARDOUR.LuaAPI.new_plugin(session, "https://www.quillmarsh.com/plugins/chopwright",
                                    ARDOUR.PluginType.LV2, "")
else
  insert = ARDOUR.LuaAPI.new_plugin(session, "Chopwright", ARDOUR.PluginType.VST3, "")
end
assert(not insert:isnil(), "Ardour has no " .. format .. " plug-in Chopwright")
local track = session:route_by_name("Drums"):to_track()
assert(track:add_processor_by_index(insert, 0, nil, true) == 0, "cannot add the plug-in to the track")

-- Ardour numbers the plug-in's parameters from 0 in the controller's order, without the
-- program-change one (VST3), or its control ports in port order (LV2): Break, SliceSize (0..2),
-- GateSize. Labels and automation name a VST3 parameter by that number, an LV2 one by its port
-- (Break is port 4, after the four audio ports).
local plugin = insert:to_insert():plugin(0)
local breakParameter = format == "LV2" and 4 or 0
for index, name in pairs({[0] = "Break", [1] = "SliceSize", [2] = "GateSize"}) do
  local label = plugin:parameter_label(breakParameter + index)
  assert(label == name, "parameter " .. index .. " is " .. label .. ", not " .. name)
end
assert(ARDOUR.LuaAPI.set_processor_param(insert, 0, 0), "cannot set Break")
assert(ARDOUR.LuaAPI.set_processor_param(insert, 1, 0), "cannot set SliceSize") -- 1 beat
assert(ARDOUR.LuaAPI.set_processor_param(insert, 2, 1), "cannot set GateSize")

if mode == "break" then
  local control = insert:to_automatable():automation_control(
    Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, breakParameter), false)
  local list = control:alist():list()
  list:add(Temporal.timepos_t(0), 0, false, false)
  list:add(Temporal.timepos_t(96000), 1, false, false)
  control:set_automation_state(ARDOUR.AutoState.Play)
  assert(list:size() == 2 and control:automation_state() == ARDOUR.AutoState.Play, "Break is not automated")
end

-- The bounce ends with the plug-in: the fader and panner after it stay out.
local region = track:bounce_range(0, frames, ARDOUR.InterThreadInfo(), insert, true, "output")
assert(not region:isnil(), "the bounce failed")
for c = 0, region:to_audioregion():n_channels() - 1 do
  print("BOUNCED " .. region:source(c):to_filesource():path())
end
