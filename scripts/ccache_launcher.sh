# Sourced by the build scripts, from the repository root: compiles through
# ccache when it is there, with paths taken relative to the checkout and the
# build folder not hashed, so that objects compiled in one build folder (or
# clone) serve the others. Sets the array `launcher` to the cmake options.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_NOHASHDIR=true CCACHE_BASEDIR="$PWD"
fi
