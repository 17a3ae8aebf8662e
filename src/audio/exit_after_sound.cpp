#include "audio/exit_after_sound.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace quillane {

void exitAfterSound(int status) {
  std::cout.flush();
  std::cerr.flush();
  std::clog.flush();
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace quillane
