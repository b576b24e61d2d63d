#include "platform/media/StreamAddress.h"

#include <gtest/gtest.h>

using platform::media::NormaliseStreamAddress;
using platform::media::ResolveAgainst;

TEST(StreamAddress, StationTableAddressesAreCleanedUp) {
    EXPECT_EQ(NormaliseStreamAddress("http://radio.example/live.mp3 "),
              "http://radio.example/live.mp3");
    EXPECT_EQ(NormaliseStreamAddress("  http://radio.example/a?x=1&amp;y=2\r\n"),
              "http://radio.example/a?x=1&y=2");
    EXPECT_EQ(NormaliseStreamAddress("HTTPS://radio.example/s"), "https://radio.example/s");
    EXPECT_EQ(NormaliseStreamAddress("http://radio.example/my station.mp3"),
              "http://radio.example/my%20station.mp3");
}

TEST(StreamAddress, MmsIsTriedOverHttp) {
    EXPECT_EQ(NormaliseStreamAddress("mms://media.example/live"), "http://media.example/live");
    EXPECT_EQ(NormaliseStreamAddress("MMSH://media.example:8080/live"),
              "http://media.example:8080/live");
    EXPECT_EQ(NormaliseStreamAddress("rtsp://media.example/live"), "rtsp://media.example/live");
}

TEST(StreamAddress, OnlyNetworkStreamsAreAccepted) {
    for (const char* refused : {"", "   ", "file:///etc/passwd", "FILE:///home/user/.ssh/id_rsa",
                                "/etc/passwd", "ftp://host/x.mp3", "javascript:alert(1)",
                                "data:audio/mp3;base64,AAAA", "http://", "http:///path",
                                "http://host/a\x01"
                                "b",
                                "station.pls", "fd://0"}) {
        EXPECT_FALSE(NormaliseStreamAddress(refused)) << refused;
    }
    EXPECT_FALSE(NormaliseStreamAddress("http://host/" + std::string(5000, 'a')));
}

TEST(StreamAddress, PlaylistEntriesResolveAgainstThePlaylist) {
    EXPECT_EQ(ResolveAgainst("http://host/lists/a.pls", "live.mp3"), "http://host/lists/live.mp3");
    EXPECT_EQ(ResolveAgainst("http://host/lists/a.pls", "/live.mp3"), "http://host/live.mp3");
    EXPECT_EQ(ResolveAgainst("http://host/a.pls", "http://other/x"), "http://other/x");
}

#include "platform/shell/OpenUrl.h"

TEST(OpenUrl, OnlyWebAndMailAddressesWithoutControlCharactersAreOpened) {
    using platform::shell::IsOpenableUrl;
    EXPECT_TRUE(IsOpenableUrl("https://gstreamer.freedesktop.org/download/"));
    EXPECT_TRUE(IsOpenableUrl("HTTP://example.org/"));
    EXPECT_TRUE(IsOpenableUrl("mailto:someone@example.org"));
    for (const char* refused : {"", "file:///etc/passwd", "-e http://x/", "javascript:alert(1)",
                                "http://x/ --help", "http://x/\nrm", "/usr/bin/xterm"})
        EXPECT_FALSE(IsOpenableUrl(refused)) << refused;
}
