-- A headless Ardour session around Quorl, run by ardour7-lua from check-ardour-vst3.sh and
-- check-ardour-vst3-editor.sh.
-- STEP=render: a stereo track playing a noise region, Quorl on it with the given values, the
-- session's output exported, the session saved. STEP=reopen: the saved session opened again
-- and Quorl's values read back. STEP=editor: only the stereo track with Quorl on it, saved, for
-- Ardour's GUI to open.
-- The environment gives WORK (the folder), PLUGIN_TYPE (VST3, or LXVST for the VST 2.4
-- module), PARAMS ("index=value ...") and PRESET (the export preset's id).
-- Rendering writes WORK/input.f64 (the silence Quorl processed before the signal, then the
-- signal) and WORK/ardour.f64 (the export), both as raw interleaved stereo doubles.

local function say(...)
  local t = {}
  for i = 1, select("#", ...) do t[#t + 1] = tostring(select(i, ...)) end
  io.stdout:write(table.concat(t, " ") .. "\n")
  io.stdout:flush()
end
local function fail(message)
  io.stderr:write("ardour-session: " .. message .. "\n")
  os.exit(1)
end

local work = os.getenv("WORK")
local pluginType = ARDOUR.PluginType[os.getenv("PLUGIN_TYPE")]
local rate, block, frames = 48000, 512, 96000
local values = {}
for index, value in os.getenv("PARAMS"):gmatch("(%d+)=([%d.]+)") do
  values[#values + 1] = { tonumber(index), tonumber(value) }
end

local backend = AudioEngine:set_backend("None (Dummy)", "", "")
if not backend then fail("no dummy backend") end
backend:set_device_name("Silence")
backend:set_sample_rate(rate)
backend:set_buffer_size(block)
local function descriptor(p, i)
  local _, t = p:get_parameter_descriptor(i, ARDOUR.ParameterDescriptor())
  return t[2]
end

local function values_of(label, proc)
  local p = proc:to_insert():plugin(0)
  local parts = {}
  for i = 0, p:parameter_count() - 1 do
    parts[#parts + 1] = string.format("%s=%.9g", descriptor(p, i).label,
                                      ARDOUR.LuaAPI.get_processor_param(proc, i))
  end
  say(label, table.concat(parts, " "))
end

if os.getenv("STEP") == "editor" then
  local s = create_session(work .. "/session", "editor", rate)
  if not s then fail("cannot create the session") end
  local track = s:new_audio_track(2, 2, nil, 1, "Signal", -1, ARDOUR.TrackMode.Normal,
                                  false):front()
  local fx = ARDOUR.LuaAPI.new_plugin(s, "Quorl", pluginType, "")
  if fx:isnil() then fail("Ardour has no Quorl of type " .. os.getenv("PLUGIN_TYPE")) end
  track:add_processor_by_index(fx, 0, nil, true)
  if s:save_state("", false, false, false, false, false) ~= 0 then fail("cannot save") end
  say("saved")
  close_session()
  return
end

if os.getenv("STEP") == "reopen" then
  local s = load_session(work .. "/session", "check")
  if not s then fail("cannot reopen the session") end
  local reopened = s:route_by_name("Signal"):nth_plugin(1)
  if reopened:isnil() then fail("no plug-in after reopening") end
  say("reopened", reopened:name())
  values_of("reopened", reopened)
  close_session()
  return
end

local s = create_session(work .. "/session", "check", rate)
if not s then fail("cannot create the session") end
say("engine", s:nominal_sample_rate(), s:get_block_size())

local track = s:new_audio_track(2, 2, nil, 1, "Signal", -1, ARDOUR.TrackMode.Normal, false):front()
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorDisk,
                                     PBD.GroupControlDisposition.NoGroup)
-- Nothing but Quorl may change the samples: the fader stays at unity, the panner is bypassed.
track:panner_shell():set_bypassed(true)

-- This Lua API has no file import; the signal is Ardour's noise generator bounced into a
-- region, whose files the VST 2.4 render reads.
local noise = ARDOUR.LuaAPI.new_plugin(s, "ACE Noise", ARDOUR.PluginType.Lua, "")
track:add_processor_by_index(noise, 0, nil, true)
ARDOUR.LuaAPI.set_processor_param(noise, 0, -6)
local region = track:bounce_range(0, frames, ARDOUR.InterThreadInfo(), noise, true, "noise")
track:remove_processor(noise, nil, true)
if region:isnil() or region:length():samples() ~= frames then fail("no signal region") end
local audio = region:to_audioregion()
audio:set_fade_in_active(false)
audio:set_fade_out_active(false)
track:playlist():add_region(region, Temporal.timepos_t(0), 1, false, 0, 0, false)

-- Both stay inactive until their values are in, then start in the same cycle.
local counter = ARDOUR.LuaAPI.new_plugin(s, "Lead-in Counter", ARDOUR.PluginType.Lua, "")
local fx = ARDOUR.LuaAPI.new_plugin(s, "Quorl", pluginType, "")
if counter:isnil() then fail("no lead-in counter") end
if fx:isnil() then fail("Ardour has no Quorl of type " .. os.getenv("PLUGIN_TYPE")) end
track:add_processor_by_index(counter, 0, nil, false)
track:add_processor_by_index(fx, 1, nil, false)
local plugin = fx:to_insert():plugin(0)
say("plugin", plugin:name(), plugin:maker(), plugin:parameter_count())

for i = 0, plugin:parameter_count() - 1 do
  local d = descriptor(plugin, i)
  say(string.format("param %d %q input=%s range=%g..%g default=%.9g value=%.9g", i, d.label,
                    tostring(plugin:parameter_is_input(i)), d.lower, d.upper, d.normal,
                    ARDOUR.LuaAPI.get_processor_param(fx, i)))
end

for _, v in ipairs(values) do
  if not ARDOUR.LuaAPI.set_processor_param(fx, v[1], v[2]) then fail("cannot set " .. v[1]) end
end
ARDOUR.LuaAPI.wait_for_process_callback(1, 1000)
counter:activate()
fx:activate()

local export = s:simple_export()
export:set_folder(work .. "/export")
export:set_range(0, frames)
if not export:set_preset(os.getenv("PRESET")) then fail("no export preset") end
if not export:run_export() then fail("the export failed") end
local leadIn, found = ARDOUR.LuaAPI.get_processor_param(counter, 0),
                      ARDOUR.LuaAPI.get_processor_param(counter, 1)
if found ~= 1 then fail("the signal never reached the plug-in") end
say("lead-in", string.format("%d", leadIn))
say("latency", fx:signal_latency())
values_of("set", fx)

-- Float WAV samples, one table per channel.
local function read_wav(path)
  local f = assert(io.open(path, "rb"))
  local bytes = f:read("a")
  f:close()
  if bytes:sub(1, 4) ~= "RIFF" or bytes:sub(9, 12) ~= "WAVE" then fail(path .. ": not a WAV") end
  local pos, format, channels, bits = 13
  while pos + 8 <= #bytes do
    local id, size = bytes:sub(pos, pos + 3), string.unpack("<I4", bytes, pos + 4)
    if id == "fmt " then
      format, channels = string.unpack("<I2I2", bytes, pos + 8)
      bits = string.unpack("<I2", bytes, pos + 22)
    elseif id == "data" then
      if format ~= 3 or bits ~= 32 then fail(path .. ": not 32-bit float") end
      local out, p = {}, pos + 8
      for c = 1, channels do out[c] = {} end
      for i = 1, size // (4 * channels) do
        for c = 1, channels do out[c][i], p = string.unpack("<f", bytes, p) end
      end
      return out
    end
    pos = pos + 8 + size + size % 2
  end
  fail(path .. ": no data")
end

local function write_raw(path, left, right, silence)
  local f = assert(io.open(path, "wb"))
  local zero = string.pack("<dd", 0, 0)
  for _ = 1, silence do f:write(zero) end
  for i = 1, #left do f:write(string.pack("<dd", left[i], right[i])) end
  f:close()
end

local left = read_wav(audio:source(0):to_filesource():path())[1]
local right = read_wav(audio:source(1):to_filesource():path())[1]
write_raw(work .. "/input.f64", left, right, math.floor(leadIn))
local exported = io.popen("ls '" .. work .. "/export/'*.wav"):read("l")
if not exported then fail("no exported file") end
local out = read_wav(exported)
write_raw(work .. "/ardour.f64", out[1], out[2], 0)
say("exported", #out[1], "frames")

if s:save_state("", false, false, false, false, false) ~= 0 then fail("cannot save") end
say("saved")
-- Ardour 7.3 tears a session down after an export with its heap corrupted now and then (with
-- or without Quorl): leave without the teardown, and reopen in a process of its own. The engine
-- stops first: its thread still ran plug-ins while the exit handlers freed the tempo map.
AudioEngine:stop(false)
os.exit(0)
