# Sourced by the Wine scripts (POSIX sh): which Wine runs the programs of one
# architecture.
#   wine_arch ARCH   ARCH is "x86" (the default when empty) or "x64"
# Sets and exports WINEARCH (the prefix kind) and, for x64, WINELOADER; sets
# wine_loader to the command that starts a program. The 64-bit loader is called
# by its path: /usr/bin/wine picks the 32-bit loader whenever wine32 is
# installed, and a child process started by a 64-bit program must use the
# same loader (WINELOADER).
wine_arch() {
  case ${1:-x86} in
    x86)
      WINEARCH=win32
      wine_loader=wine
      unset WINELOADER
      ;;
    x64)
      WINEARCH=win64
      wine_loader=/usr/lib/wine/wine64
      WINELOADER=$wine_loader
      export WINELOADER
      ;;
    *)
      echo "wine_arch: unknown architecture '$1' (x86 or x64)" >&2
      return 2
      ;;
  esac
  export WINEARCH
}
