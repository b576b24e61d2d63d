#pragma once
// A compiled-in picture that a test needs: a failure to load it fails the test (and an empty
// picture stands in, so the test goes on to report what else differs).

#include "picture/LoadPicture.h"

#include <gtest/gtest.h>

#include <memory>

namespace testsupport {

inline std::unique_ptr<picture::PLDIBSection> LoadedPicture(int id, int scale = 1) {
    util::Result<std::unique_ptr<picture::PLDIBSection>> loaded = picture::LoadPicture(id, scale);
    EXPECT_TRUE(loaded) << "picture " << id << ": " << loaded.error();
    return loaded ? std::move(*loaded) : std::make_unique<picture::PLDIBSection>();
}

}  // namespace testsupport
