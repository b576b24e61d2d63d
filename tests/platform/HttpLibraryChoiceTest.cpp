// The HTTP source of the player runs on libsoup 2.4 where it is installed: libsoup 3.2
// crashes when an HLS station is stopped while a segment downloads.

#include "platform/media/HttpLibraryChoice.h"
#include "platform/media/PlaybinPipeline.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

using namespace platform::media;

TEST(HttpLibraryChoice, ThePlayersHttpSourceRunsOnLibsoup2AndNeverLoadsLibsoup3) {
    ASSERT_FALSE(IsLoaded(HttpLibrary::Soup3)) << "nothing may load libsoup 3 before the player";
    const auto available = PlaybinPipeline::CheckAvailable();
    ASSERT_TRUE(available) << available.error().message;

    // Making the source loads the plugin, which picks its libsoup there and then.
    GstElement* source = gst_element_factory_make("souphttpsrc", nullptr);
    ASSERT_NE(source, nullptr);
    gst_object_unref(gst_object_ref_sink(source));
    EXPECT_TRUE(IsLoaded(HttpLibrary::Soup2)) << "libsoup2.4-1 is not installed?";
    EXPECT_FALSE(IsLoaded(HttpLibrary::Soup3));
    EXPECT_EQ(ChooseHttpLibrary(), HttpLibrary::Soup2);
}
