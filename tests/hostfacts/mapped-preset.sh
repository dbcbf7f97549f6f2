# Sourced by the preset checks. write_mapped_preset FILE writes a program file whose chunk maps
# controller 7 to cutoff and 74 to band and sets the resonance: mappings reach an instance only
# through chunks (or MIDI learn in the editor).
write_mapped_preset() {
  zeros() { head -c "$1" /dev/zero; }
  {
    printf 'CcnK\x00\x00\x00\x68FPCh\x00\x00\x00\x01\xFF\xFF\xEB\x70\x00\x00\x00\x01\x00\x00\x00\x08'
    printf 'Mapped' && zeros 22                     # program name, 28 bytes
    printf '\x00\x00\x00\x34'                       # chunk size 52
    printf '\x75\x3D\x8C\x28\x05\x00\x00\x00\x04Quorl' && zeros 26
    printf '\x01\x01\x07\xB0\x01\x04\x4A\xB0\x00\x02\x40\x9C'
  } >"$1"
  [ "$(wc -c <"$1")" = 112 ] || { echo "test preset has the wrong size" >&2; return 1; }
}
