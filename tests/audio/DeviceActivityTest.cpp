// The output device runs only while some voice holds audio still to play.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/sound/al/AlActivity.h"

namespace {

std::string calls;
void ALC_APIENTRY Pause(ALCdevice*) { calls += 'P'; }
void ALC_APIENTRY Resume(ALCdevice*) { calls += 'R'; }

TEST(DeviceActivity, RunsWhileAnyVoiceHasAudioAndStaysStillOnceClosed) {
  calls.clear();
  int dummy = 0;
  tav::sound::al::DeviceActivity activity(reinterpret_cast<ALCdevice*>(&dummy), Pause, Resume);
  EXPECT_EQ(calls, "P") << "a device with nothing to play starts paused";
  activity.Pending(true);
  activity.Pending(true);  // a second voice
  activity.Pending(false);
  EXPECT_EQ(calls, "PR") << "one voice still has audio";
  activity.Pending(false);
  EXPECT_EQ(calls, "PRP");
  activity.Pending(false);  // more endings than beginnings do not count below none
  activity.Pending(true);
  EXPECT_EQ(calls, "PRPR");
  // Voices on two threads: the device ends paused once all have drained.
  std::vector<std::thread> voices;
  for (int t = 0; t < 4; ++t)
    voices.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        activity.Pending(true);
        activity.Pending(false);
      }
    });
  for (std::thread& v : voices) v.join();
  activity.Pending(false);
  EXPECT_EQ(calls.back(), 'P');
  activity.Detach();
  calls.clear();
  activity.Pending(true);
  EXPECT_EQ(calls, "") << "a closed device is not touched";
}

}  // namespace
