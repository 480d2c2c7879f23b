-- ardour7-lua make_session.lua DIR FRAMES
-- Creates the 48 kHz session DIR with the stereo track "Drums", whose one region plays FRAMES
-- frames from frame 0, and prints the two mono files the region reads ("SOURCE path").
-- Ardour 7.3's Lua API cannot import a file. The region comes from a bounce of the still empty
-- track instead: mono float WAVs in the session's audiofiles folder, as an import leaves them.
-- The caller then writes the input's channels over those files.
local dir, frames = arg[1], tonumber(arg[2])
local session = create_session(dir, "chopwright", 48000)
assert(session, "cannot create a session in " .. dir)

local track = session:new_audio_track(2, 2, nil, 1, "Drums", ARDOUR.PresentationInfo.max_order,
                                      ARDOUR.TrackMode.Normal, true):front()
local region = track:bounce_range(0, frames, ARDOUR.InterThreadInfo(), track:main_outs(), false, "input")
assert(not region:isnil(), "the bounce of the empty track failed")

-- Ardour fades every region in and out over 64 frames; the file must play unchanged.
local audio = region:to_audioregion()
audio:set_fade_in_active(false)
audio:set_fade_out_active(false)
track:playlist():add_region(region, Temporal.timepos_t(0), 1, false)

for c = 0, audio:n_channels() - 1 do
  print("SOURCE " .. region:source(c):to_filesource():path())
end
assert(session:save_state("", false, false, false, false, false) == 0, "cannot save the session")
close_session()
