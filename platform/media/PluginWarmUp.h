#pragma once
// Loading a GStreamer plugin the first time costs milliseconds, and the first station's start
// would pay for them while the listener waits: the HTTP source with its HTTP library (7-10 ms
// here), the desktop's audio output (about 6 ms), the typefinders and the converters in front
// of the output. This loads them on a thread of its own while the radio is idle. They are
// what every station needs; a format's own demuxer and decoder (about 1 ms each) are left to
// the stream that needs them, so playing one format does not keep the others in memory.

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace platform::media {

class PluginWarmUp {
  public:
    // Starts at once. GStreamer must be initialised. `withAudioOutput`: the desktop's
    // output is chosen when sound starts, so its usual plugin is loaded too. `done` is
    // called on the warm-up's thread when everything is loaded; the owner may then let the
    // warm-up go, so its thread does not linger.
    explicit PluginWarmUp(bool withAudioOutput, std::function<void()> done = {});
    // Stops between two plugins and waits for the thread.
    ~PluginWarmUp();
    PluginWarmUp(const PluginWarmUp&) = delete;
    PluginWarmUp& operator=(const PluginWarmUp&) = delete;

    // Waits until everything is loaded; false when `timeout` passed first.
    bool WaitUntilDone(std::chrono::milliseconds timeout) const;

  private:
    void Run(bool withAudioOutput, const std::function<void()>& done);

    std::atomic<bool> stopping_{false};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace platform::media
