#pragma once
// A real Icecast 2 server for end-to-end tests: Debian's icecast2 on 127.0.0.1 at a free
// port with its own configuration in a temporary folder, fed by a GStreamer source client
// (audiotestsrc → lamemp3enc → shout2send) on one MP3 mount. Started by the constructor,
// both processes stopped by the destructor.

#include <QProcess>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace testsupport {

class IcecastServer {
  public:
    IcecastServer();
    ~IcecastServer();
    IcecastServer(const IcecastServer&) = delete;
    IcecastServer& operator=(const IcecastServer&) = delete;

    // False, with the reason in Problem(), when the server or its source could not start.
    bool Running() const { return problem_.empty(); }
    const std::string& Problem() const { return problem_; }

    static constexpr const char* kMount = "/radio.mp3";
    // "http://127.0.0.1:<port><path>"
    std::string Url(const std::string& path) const;
    // Sets the mount's song title the way a station's software does (admin metadata update).
    bool SetTitle(const std::string& title);

  private:
    bool WriteConfiguration();
    bool WaitForMount();

    QTemporaryDir folder_;
    int port_ = 0;
    QProcess server_;
    QProcess source_;
    std::string problem_;
};

}  // namespace testsupport
