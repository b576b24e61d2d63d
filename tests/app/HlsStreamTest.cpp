// The HLS stream the stream server serves, and how its writer is run: a program that has done
// its work but never exits must not hold up the tests.
#include "tests/support/HlsStream.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    return text;
}

TEST(RunUntilDone, StopsAProgramThatDidItsWorkButNeverExits) {
    QTemporaryDir dir;
    const std::string marker = dir.filePath("pid").toStdString();
    const auto start = Clock::now();
    // The shell writes its process number, then becomes a sleep that outlives the test.
    const bool ok = testsupport::RunUntilDone(
        "sh", {"-c", "echo $$ > \"$1\"; exec sleep 600", "sh", QString::fromStdString(marker)},
        [&] { return ReadText(marker).size() > 0; }, 120s);
    EXPECT_TRUE(ok);
    EXPECT_LT(Clock::now() - start, 60s);
    const pid_t pid = std::stoi(ReadText(marker));
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(RunUntilDone, ReportsHowAProgramEndedWhenItsWorkIsNeverReportedDone) {
    const auto never = [] { return false; };
    EXPECT_TRUE(testsupport::RunUntilDone("sh", {"-c", "exit 0"}, never, 60s));
    EXPECT_FALSE(testsupport::RunUntilDone("sh", {"-c", "exit 3"}, never, 60s));
    EXPECT_FALSE(testsupport::RunUntilDone("tunelink-no-such-program", {}, never, 5s));
    const auto start = Clock::now();
    EXPECT_FALSE(testsupport::RunUntilDone("sleep", {"600"}, never, 300ms));
    EXPECT_LT(Clock::now() - start, 60s);
}

TEST(HlsStreamComplete, NeedsTheEndMarkAndEverySegmentItNames) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string open = "#EXTM3U\n#EXTINF:2,\nsegment00000.ts\n#EXTINF:2,\nsegment00001.ts\n";
    EXPECT_FALSE(testsupport::HlsStreamComplete(folder));  // no index yet
    WriteText(folder + "/segment00000.ts", "ts");
    WriteText(folder + "/index.m3u8", open);
    EXPECT_FALSE(testsupport::HlsStreamComplete(folder));  // still being written
    WriteText(folder + "/index.m3u8", open + "#EXT-X-ENDLIST\n");
    EXPECT_FALSE(testsupport::HlsStreamComplete(folder));  // the second segment is missing
    WriteText(folder + "/segment00001.ts", "");
    EXPECT_FALSE(testsupport::HlsStreamComplete(folder));  // and then empty
    WriteText(folder + "/segment00001.ts", "ts");
    EXPECT_TRUE(testsupport::HlsStreamComplete(folder));
    WriteText(folder + "/index.m3u8", "#EXTM3U\n#EXT-X-ENDLIST\n");
    EXPECT_FALSE(testsupport::HlsStreamComplete(folder));  // an index without any segment
}

// Several test programs make the stream at once on a fresh build; that is when the HLS sink
// used to leave gst-launch-1.0 waiting forever.
TEST(WriteHlsStream, SeveralWritersAtOnceAllFinishWithCompleteStreams) {
    QTemporaryDir dir;
    std::vector<std::future<void>> writers;
    std::vector<std::string> folders;
    for (int i = 0; i < 4; ++i) {
        folders.push_back(dir.filePath(QString("hls%1").arg(i)).toStdString());
        writers.push_back(
            std::async(std::launch::async, testsupport::WriteHlsStream, folders.back(), 6));
    }
    for (auto& writer : writers) EXPECT_NO_THROW(writer.get());
    for (const std::string& folder : folders) {
        EXPECT_TRUE(testsupport::HlsStreamComplete(folder)) << folder;
        EXPECT_TRUE(std::filesystem::exists(folder + "/segment00002.ts")) << folder;
    }
}

}  // namespace
