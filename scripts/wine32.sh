# Sourced by scripts/test.sh and scripts/consumers.sh: sets LUMTAR_NO32 to
# why 32-bit Windows programs cannot run here, or to nothing when they can.
# Wine's 32-bit loader is started once. Some kernels execute no 32-bit
# programs at all; any other failure of the loader is left to the stages that
# use it, which then fail.
if [ -z "${LUMTAR_NO32+set}" ]; then
  LUMTAR_NO32=""
  wine32_loader=/usr/lib/wine/wine
  if ! wine32_probe=$("$wine32_loader" --version 2>&1) && grep -q "Exec format error" <<<"$wine32_probe"; then
    LUMTAR_NO32="this machine cannot execute 32-bit programs ($wine32_loader: Exec format error)"
  fi
  export LUMTAR_NO32
fi
