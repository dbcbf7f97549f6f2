ardour {
  ["type"] = "dsp",
  name = "Lead-in Counter",
  category = "Utility",
  license = "MIT",
  author = "Quorl tests",
  description = [[Passes stereo audio through untouched and counts the samples it was given before the first one that is not zero.]]
}

-- The plug-in after this one adds its own faint noise, drawn once per sample since it was made,
-- so its output depends on how many samples it processed before the signal came. Both are
-- activated in the same cycle, so this count is that number.

function dsp_ioconfig () return { { audio_in = 2, audio_out = 2 } } end

function dsp_params ()
  return {
    -- Exact as a float up to 2^24 samples: minutes at 48 kHz.
    { ["type"] = "output", name = "lead-in", min = 0, max = 16777216 },
    { ["type"] = "output", name = "found", min = 0, max = 1, toggled = true },
  }
end

local count = 0
local found = false

function dsp_run (ins, outs, n_samples)
  for c = 1, #outs do
    if ins[c] ~= outs[c] then ARDOUR.DSP.copy_vector (outs[c], ins[c], n_samples) end
  end
  if found then return end
  local l, r = ins[1]:array (), ins[2]:array ()
  for i = 1, n_samples do
    if l[i] ~= 0 or r[i] ~= 0 then
      found = true
      count = count + i - 1
      break
    end
  end
  if not found then count = count + n_samples end
  local ctrl = CtrlPorts:array ()
  ctrl[1] = count
  ctrl[2] = found and 1 or 0
end
