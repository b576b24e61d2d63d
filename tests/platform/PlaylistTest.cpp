#include "platform/media/Playlist.h"

#include <gtest/gtest.h>

using namespace platform::media;

namespace {

std::vector<std::string> Addresses(const std::vector<PlaylistEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& entry : entries) out.push_back(entry.address);
    return out;
}

const std::string kBase = "http://lists.example/dir/station.x";

}  // namespace

TEST(Playlist, PlsEntriesInNumberOrderWithAnyKeyCase) {
    const char* pls =
        "[playlist]\r\nNumberOfEntries=3\r\nfile2=http://b.example/2\r\nTitle1=One\r\n"
        "FILE1=http://a.example/1\r\nFile3 = http://c.example/3 \r\nFileX=http://bad/\r\n"
        "Version=2\r\n";
    EXPECT_EQ(Addresses(ParsePlaylist(PlaylistFormat::Pls, pls, kBase)),
              (std::vector<std::string>{"http://a.example/1", "http://b.example/2",
                                        "http://c.example/3"}));
}

TEST(Playlist, M3uSkipsCommentsAndResolvesRelativeEntries) {
    const char* m3u =
        "\xEF\xBB\xBF#EXTM3U\n#EXTINF:-1,Station\nhttp://a.example/live\n\n# note\nrelative.mp3\n";
    EXPECT_EQ(Addresses(ParsePlaylist(PlaylistFormat::M3u, m3u, kBase)),
              (std::vector<std::string>{"http://a.example/live",
                                        "http://lists.example/dir/relative.mp3"}));
}

TEST(Playlist, AsxIsReadLeniently) {
    const char* asx =
        "<ASX version=\"3.0\">\n<!-- <ref href=\"http://commented.example/\"/> -->\n"
        "<Title>Rock & Roll</Title>\n<Entry><Ref HREF=\"http://a.example/1?x=1&amp;y=2\"/>\n"
        "<REF href='http://b.example/2'>\n<ref href=http://c.example/3 />\n</Entry>\n"
        "<EntryRef href=\"/more.asx\"/>\n</asx>";
    const auto entries = ParsePlaylist(PlaylistFormat::Asx, asx, kBase);
    EXPECT_EQ(Addresses(entries),
              (std::vector<std::string>{"http://a.example/1?x=1&y=2", "http://b.example/2",
                                        "http://c.example/3", "http://lists.example/more.asx"}));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_FALSE(entries[0].isPlaylist);
    EXPECT_TRUE(entries[3].isPlaylist);
}

TEST(Playlist, XspfAndAsfReference) {
    const char* xspf =
        "<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">"
        "<trackList><track><location>http://a.example/1?a=1&amp;b=2</location></track>"
        "<track><title>t</title><location> http://b.example/2 </location></track>"
        "</trackList></playlist>";
    EXPECT_EQ(Addresses(ParsePlaylist(PlaylistFormat::Xspf, xspf, kBase)),
              (std::vector<std::string>{"http://a.example/1?a=1&b=2", "http://b.example/2"}));
    EXPECT_EQ(Addresses(ParsePlaylist(PlaylistFormat::AsfReference,
                                      "[Reference]\r\nRef1=http://a.example/s?MSWMExt=.asf\r\n"
                                      "Ref2=http://b.example/s\r\n",
                                      kBase)),
              (std::vector<std::string>{"http://a.example/s?MSWMExt=.asf", "http://b.example/s"}));
}

TEST(Playlist, EntryCountIsBounded) {
    std::string pls = "[playlist]\n";
    for (int i = 1; i <= 1000; ++i)
        pls += "File" + std::to_string(i) + "=http://a.example/" + std::to_string(i) + "\n";
    EXPECT_EQ(ParsePlaylist(PlaylistFormat::Pls, pls, kBase).size(), 32u);
}

TEST(Playlist, FormatFromAddressContentTypeAndContent) {
    EXPECT_EQ(PlaylistFormatFromAddress("http://h/a.PLS?x=y.mp3"), PlaylistFormat::Pls);
    EXPECT_EQ(PlaylistFormatFromAddress("http://h/a.asx"), PlaylistFormat::Asx);
    EXPECT_EQ(PlaylistFormatFromAddress("http://h/a.m3u8"), PlaylistFormat::M3u);
    EXPECT_EQ(PlaylistFormatFromAddress("http://h/a.xspf#frag"), PlaylistFormat::Xspf);
    EXPECT_EQ(PlaylistFormatFromAddress("http://h.pls/stream"), PlaylistFormat::None);
    EXPECT_EQ(PlaylistFormatFromAddress("http://h/live.mp3"), PlaylistFormat::None);

    EXPECT_EQ(PlaylistFormatFromContentType("audio/x-scpls; charset=utf-8"), PlaylistFormat::Pls);
    EXPECT_EQ(PlaylistFormatFromContentType("Audio/X-MpegURL"), PlaylistFormat::M3u);
    EXPECT_EQ(PlaylistFormatFromContentType("video/x-ms-asf"), PlaylistFormat::None);
    EXPECT_EQ(PlaylistFormatFromContentType("audio/mpeg"), PlaylistFormat::None);

    EXPECT_EQ(SniffPlaylistFormat("  [Playlist]\nFile1=x"), PlaylistFormat::Pls);
    EXPECT_EQ(SniffPlaylistFormat("\xEF\xBB\xBF<asx version=3>"), PlaylistFormat::Asx);
    EXPECT_EQ(SniffPlaylistFormat("<?xml version=\"1.0\"?>\n<ASX>"), PlaylistFormat::Asx);
    EXPECT_EQ(SniffPlaylistFormat("<?xml version=\"1.0\"?><playlist>"), PlaylistFormat::Xspf);
    EXPECT_EQ(SniffPlaylistFormat("[Reference]\nRef1=http://x/"), PlaylistFormat::AsfReference);
    EXPECT_EQ(SniffPlaylistFormat("#EXTM3U\n#EXT-X-TARGETDURATION:6\nseg1.ts\n"),
              PlaylistFormat::Hls);
    EXPECT_EQ(SniffPlaylistFormat("#EXTM3U\nhttp://a/1\n"), PlaylistFormat::M3u);
    EXPECT_EQ(SniffPlaylistFormat("http://a/1\r\nmms://b/2\r\n"), PlaylistFormat::M3u);
    EXPECT_EQ(SniffPlaylistFormat(std::string("ID3\x04\0\0\0\0\0\0", 10)), PlaylistFormat::None);
    EXPECT_EQ(SniffPlaylistFormat("OggS\0\x02"), PlaylistFormat::None);
    EXPECT_EQ(SniffPlaylistFormat("<html><body>Not found</body></html>"), PlaylistFormat::None);
}
