// The window's sound devices: Qt Multimedia's, made by the sound module at the
// first call that needs one.
#include "audio/module_sound_devices.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "devices/qt_input_device.h"
#include "devices/qt_output_device.h"
#include "loopback_recorder.h"

namespace quillane {
namespace {

constexpr int kTimeoutMs = 20000;  // only so that a broken device cannot hang the run

PcmFormat stereo44k() {
  PcmFormat format;
  format.channels = 2;
  format.samplesPerSecond = test::LoopbackRecorder::kRate;
  format.avgBytesPerSecond = format.samplesPerSecond * 4;
  format.blockAlign = 4;
  return format;
}

TEST(ModuleSoundDevices, PlayAndListAsQtMultimediaDoes) {
  const std::string problem = test::soundServerProblem();
  if (!problem.empty()) FAIL() << problem;
  ModuleOutputDevice output;
  ModuleInputDevice input;
  EXPECT_EQ(output.outputNames(), QtOutputDevice().outputNames()) << output.openFailure();
  EXPECT_EQ(input.inputNames(), QtInputDevice().inputNames()) << input.openFailure();

  // Half a second of a steady tone, in four buffers, heard on the sink's monitor.
  test::LoopbackRecorder recorder;
  std::string error;
  ASSERT_TRUE(recorder.start(&error)) << error;
  std::vector<int16_t> pcm(2 * 22050, 9000);
  std::vector<int> returned;
  ASSERT_TRUE(output.open(stereo44k(), -1, [&returned](int index) { returned.push_back(index); }))
      << output.openFailure();
  const uint32_t quarter = static_cast<uint32_t>(pcm.size() * 2 / 4);
  for (int i = 0; i < 4; ++i)
    output.write(i, reinterpret_cast<const uint8_t*>(pcm.data()) + i * quarter, quarter);
  ASSERT_TRUE(test::pumpEventsUntil([&returned] { return returned.size() == 4; }, kTimeoutMs));
  EXPECT_EQ(returned, (std::vector<int>{0, 1, 2, 3}));
  test::pumpEvents(200);
  output.close();
  recorder.stop();
  const std::vector<int16_t> heard = recorder.samples();
  EXPECT_GT(std::count(heard.begin(), heard.end(), int16_t{9000}), 2 * 11025) << "the tone was not heard";
}

TEST(ModuleSoundDevices, WithoutTheModuleNoneOpensAndTheReasonNamesIt) {
  QTemporaryDir empty;
  ASSERT_TRUE(empty.isValid());
  ::setenv("QUILLANE_MODULE_DIR", empty.path().toLocal8Bit().constData(), 1);
  ModuleOutputDevice output;
  ModuleInputDevice input;
  EXPECT_TRUE(output.outputNames().empty());
  EXPECT_FALSE(output.open(stereo44k(), -1, [](int) {}));
  EXPECT_FALSE(output.isOpen());
  EXPECT_TRUE(input.inputNames().empty());
  EXPECT_FALSE(input.open(stereo44k(), -1, [](int, uint32_t) {}));
  EXPECT_FALSE(input.start());
  ::unsetenv("QUILLANE_MODULE_DIR");
  EXPECT_EQ(output.openFailure(), "libquillane_sound.so was not found");
  EXPECT_EQ(input.openFailure(), "libquillane_sound.so was not found");
}

}  // namespace
}  // namespace quillane
