#include "platform/system/Memory.h"
#include "tests/support/ProcessUsage.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <unistd.h>

// Memory freed between blocks still in use cannot shrink the heap by itself: the C library
// keeps it resident until it is handed back.
TEST(Memory, FreedHeapBetweenBlocksInUseLeavesTheResidentSet) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's allocator keeps freed memory its own way";
#endif
    constexpr std::size_t kBlocks = 4096, kBlockBytes = 4096, kKeepEvery = 64;  // 16 MiB
    std::vector<std::unique_ptr<char[]>> blocks;
    for (std::size_t i = 0; i < kBlocks; ++i)
        blocks.push_back(std::make_unique<char[]>(kBlockBytes));  // zeroed: resident
    // Every 64th block stays in use, so the freed ones lie between blocks in use wherever
    // the heap put them.
    for (std::size_t i = 0; i < kBlocks; ++i) {
        if (i % kKeepEvery != 0)
            blocks[i].reset();
    }
    const long held = testsupport::MeasureProcess(::getpid()).rssKiB;

    platform::ReturnFreedMemory();

    const long after = testsupport::MeasureProcess(::getpid()).rssKiB;
    EXPECT_LT(after, held - 12 * 1024)
        << "resident " << held << " KiB before, " << after << " KiB after";
}
