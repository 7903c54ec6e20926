# Sourced by the build scripts (bash): the Windows architectures of the project and which of them
# this machine can run under Wine.
#   win_arches                 prints "x86 x64": every architecture the project builds
#   win_tree ARCH              prints the build tree's folder name under the build folder
#   win_toolchain ARCH         prints the toolchain file's name under cmake/
#   win_skip_reason ARCH       prints why ARCH's programs are not run here (empty: they are run).
#                              BRINDLE_WIN_ARCHES ("x86", "x64", "x86 x64" or "both") overrides
#                              the probe, so that a machine that runs both can check either alone.
win_arches() { echo "x86 x64"; }

win_tree() {
  case $1 in x86) echo win ;; x64) echo win-x64 ;; esac
}

win_toolchain() {
  case $1 in x86) echo mingw-i686.cmake ;; x64) echo mingw-x86_64.cmake ;; esac
}

win_skip_reason() {
  local arch=$1 chosen=${BRINDLE_WIN_ARCHES:-}
  if [ -n "$chosen" ]; then
    chosen=${chosen//,/ }
    [ "$chosen" = both ] && chosen="x86 x64"
    case " $chosen " in
      *" $arch "*) return 0 ;;
      *) echo "not chosen by BRINDLE_WIN_ARCHES=$BRINDLE_WIN_ARCHES"; return 0 ;;
    esac
  fi
  # Some kernels refuse 32-bit code altogether: the 32-bit loader then fails at once (126).
  case $arch in
    x86) /usr/lib/wine/wine --version >/dev/null 2>&1 \
      || echo "this machine cannot execute 32-bit x86 code" ;;
    x64) /usr/lib/wine/wine64 --version >/dev/null 2>&1 \
      || echo "64-bit Wine (/usr/lib/wine/wine64) does not run on this machine" ;;
  esac
}
