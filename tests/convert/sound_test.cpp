// The beep: a sink records the calls; without a sound device a beep returns at once and
// prints nothing; through ALSA's file plugin the tone itself is recorded and checked.
#include "platform/sound/sound.h"

#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Points ALSA at a configuration of the test's own for the length of a test.
class AlsaConfig {
public:
    explicit AlsaConfig(const std::string& extra)
    {
        if (const char* old = std::getenv("ALSA_CONFIG_PATH"))
            m_old = old;
        m_hadOld = std::getenv("ALSA_CONFIG_PATH") != nullptr;
        const std::string path = fixtures::ScratchDir() + "/asound.conf";
        fixtures::WriteFile(path, extra);
        const std::string list = "/usr/share/alsa/alsa.conf:" + path;
        ::setenv("ALSA_CONFIG_PATH", list.c_str(), 1);
    }
    ~AlsaConfig()
    {
        if (m_hadOld)
            ::setenv("ALSA_CONFIG_PATH", m_old.c_str(), 1);
        else
            ::unsetenv("ALSA_CONFIG_PATH");
    }

private:
    std::string m_old;
    bool m_hadOld = false;
};

TEST(Beep, ASinkReceivesTheCallsInOrderFromAnyThread)
{
    std::mutex mutex;
    std::vector<std::pair<unsigned, unsigned>> calls;
    platform::SetBeepSink([&](unsigned f, unsigned ms) {
        std::lock_guard lock(mutex);
        calls.emplace_back(f, ms);
    });
    std::thread worker([] {
        for (unsigned f : {440u, 480u, 520u, 540u})
            platform::Beep(f, 10);
    });
    worker.join();
    platform::SetBeepSink({});
    const std::vector<std::pair<unsigned, unsigned>> expected{{440, 10}, {480, 10}, {520, 10}, {540, 10}};
    EXPECT_EQ(calls, expected);
    platform::Beep(440, 1);  // the sink is gone: nothing more is recorded
    EXPECT_EQ(calls.size(), 4u);
}

// An output that does not exist: the beep returns promptly and ALSA's own complaints do not
// reach standard error.
TEST(Beep, WithoutASoundDeviceReturnsPromptlyAndSilently)
{
    AlsaConfig config("pcm.!default { type hw card 57 }\n");
    testing::internal::CaptureStderr();
    const auto start = Clock::now();
    for (unsigned f : {440u, 480u, 520u, 540u})
        platform::Beep(f, 10);
    const auto took = Clock::now() - start;
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_EQ(printed, "");
}

// ALSA's file plugin in front of the null device records what a beep plays: 48 kHz mono
// 16-bit, as many samples as the duration asks for, a tone whose zero crossings give its
// frequency.
TEST(Beep, PlaysASineToneOfTheAskedFrequencyAndLength)
{
    const std::string raw = fixtures::ScratchDir() + "/tone.raw";
    AlsaConfig config("pcm.!default { type file slave.pcm \"null\" file \"" + raw +
                      "\" format \"raw\" }\n");
    platform::Beep(500, 200);
    const std::string bytes = fixtures::ReadFile(raw);
    if (bytes.empty())
        GTEST_SKIP() << "ALSA's file plugin is not available here";
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    EXPECT_NEAR(static_cast<double>(samples.size()), 48000 * 0.2, 48.0);
    int crossings = 0;
    int16_t peak = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
        peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(samples[i])));
    }
    EXPECT_NEAR(crossings, 2 * 500 * 0.2, 4);  // two crossings a period
    EXPECT_GT(peak, 5000);
}

}  // namespace
