// libFuzzer's entry point; the build names the target function for each fuzzer.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quillane::fuzz::QUILLANE_FUZZ_TARGET(data, size);
  return 0;
}
