# Toolchain for the browser build: Debian's emscripten (emcc/em++) compiles
# the tree to WebAssembly. Its own platform file sets the compilers and the
# search paths; emcc needs Debian's node modules (acorn) on NODE_PATH.
set(ENV{NODE_PATH} /usr/share/nodejs)
set(EMSCRIPTEN_ROOT_PATH /usr/share/emscripten)
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
