// preparehost own|peer|settle PEER_LIBRARY
// own, peer: starts the preparation, whose needs take half a second to be named, then measures
// a text itself (own) or has the peer library measure one (peer). Fails when the text was
// measured before the needs were named.
// settle: starts the preparation, and a little later sets FONTCONFIG_FILE to a configuration
// without fonts, then the runtime's library path, as the bridge does before it creates the VM.
// Fails when fontconfig read its configuration before that (it found fonts).
#include <dlfcn.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "ienviron.hpp"
#include "ipathlist.hpp"
#include "iprepare.hpp"
#include "measure.hpp"

namespace {

std::atomic<long long> needsNamed{0};

long long now() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The environment's last variables set while the thread waits to read it; then fontconfig
// must have read the configuration named there, which has no font at all.
int settle() {
  char dir[] = "/tmp/preparehost.XXXXXX";
  if (mkdtemp(dir) == nullptr)
    return 2;
  const std::string config = std::string(dir) + "/fonts.conf";
  if (FILE* file = std::fopen(config.c_str(), "w")) {
    std::fprintf(file, "<?xml version=\"1.0\"?>\n<fontconfig><dir>%s</dir><cachedir>%s</cachedir>"
                       "</fontconfig>\n", dir, dir);
    std::fclose(file);
  }
  IPreparation::start([] {
    IPreparation::Needs needs;
    needs.fonts = {{IFont(), {"Prepared"}}};
    return needs;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  IEnvironment::setVariable("FONTCONFIG_FILE", config.c_str());
  IPathList::mirrorLibrarySearch({});
  measureText();
  FcFontSet* fonts = FcConfigGetFonts(FcConfigGetCurrent(), FcSetSystem);
  const int found = fonts != nullptr ? fonts->nfont : 0;
  std::printf("settle: fontconfig found %d fonts\n", found);
  std::remove(config.c_str());
  if (found != 0) {
    std::printf("FAIL: fontconfig read the environment before the last variable was set\n");
    return 1;
  }
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "settle") == 0)
    return settle();
  if (argc != 3 || (std::strcmp(argv[1], "own") != 0 && std::strcmp(argv[1], "peer") != 0)) {
    std::fprintf(stderr, "usage: preparehost own|peer|settle PEER_LIBRARY\n");
    return 2;
  }
  long long started = now();
  IPreparation::start([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    IPreparation::Needs needs;
    needs.fonts = {{IFont(), {"Prepared"}}, {IFont("Serif Bold", 14), {"Prepared"}}};
    needsNamed = now();
    return needs;
  });

  long long measured = 0;
  if (std::strcmp(argv[1], "own") == 0) {
    measured = measureText();
  } else {
    void* peer = dlopen(argv[2], RTLD_NOW | RTLD_LOCAL);
    if (peer == nullptr) {
      std::fprintf(stderr, "cannot load the peer: %s\n", dlerror());
      return 2;
    }
    auto peerMeasure = reinterpret_cast<long long (*)()>(dlsym(peer, "peerMeasure"));
    if (peerMeasure == nullptr) {
      std::fprintf(stderr, "the peer has no peerMeasure\n");
      return 2;
    }
    measured = peerMeasure();
  }

  long long named = needsNamed.load();
  std::printf("%s: needs named after %lld ms, text measured after %lld ms\n", argv[1],
              named != 0 ? (named - started) / 1000 : -1, (measured - started) / 1000);
  if (named == 0 || measured < named) {
    std::printf("FAIL: the text was measured while the preparation thread worked\n");
    return 1;
  }
  return 0;
}
