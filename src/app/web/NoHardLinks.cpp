// The WebAssembly runtime makes no hard links, and says so with an error that libraries do not
// expect (EMLINK). Saying ENOTSUP, as a file system without hard links does, lets them take their
// fallback: fontconfig then locks its cache with a folder and writes it, so the fonts are scanned
// once, not on every start.
#include <cerrno>

extern "C" int link(const char* /*from*/, const char* /*to*/) {
  errno = ENOTSUP;
  return -1;
}
