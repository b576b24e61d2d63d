// Loading the plugins every station needs before the listener asks for one: after the
// warm-up, playing the kinds of stream stations send loads only each format's own demuxer,
// parser and decoder, and a new player starts the warm-up by itself.

#include "platform/media/GstMediaPlayer.h"
#include "platform/media/PlaybinPipeline.h"
#include "platform/media/PluginWarmUp.h"
#include "tests/support/StreamServer.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

using namespace platform::media;
using namespace std::chrono_literals;

namespace {

struct PlayingWatch final : MediaPlayerEvents {
    bool playing = false;
    void OnPlayStateChange(PlayState state) override { playing = state == PlayState::Playing; }
    void OnOpenStateChange(OpenState) override {}
    void OnMediaChange(const MediaItem&) override {}
    void OnError(long, const std::string&) override {}
};

std::set<std::string> LoadedPlugins() {
    std::set<std::string> names;
    GList* plugins = gst_registry_get_plugin_list(gst_registry_get());
    for (GList* item = plugins; item; item = item->next) {
        if (gst_plugin_is_loaded(GST_PLUGIN(item->data)))
            names.insert(gst_plugin_get_name(GST_PLUGIN(item->data)));
    }
    gst_plugin_list_free(plugins);
    return names;
}

bool PluginOfLoaded(const char* factoryName) {
    GstElementFactory* factory = gst_element_factory_find(factoryName);
    if (!factory)
        return false;
    GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory));
    const bool loaded = plugin && gst_plugin_is_loaded(plugin);
    if (plugin)
        gst_object_unref(plugin);
    gst_object_unref(factory);
    return loaded;
}

// Whether `plugin` has a demuxer, parser or decoder: what a stream of its format needs alone.
bool DecodesAFormat(const std::string& plugin) {
    GList* features = gst_registry_get_feature_list_by_plugin(gst_registry_get(), plugin.c_str());
    bool decodes = false;
    for (GList* item = features; item && !decodes; item = item->next)
        decodes = GST_IS_ELEMENT_FACTORY(item->data) &&
                  gst_element_factory_list_is_type(GST_ELEMENT_FACTORY(item->data),
                                                   GST_ELEMENT_FACTORY_TYPE_DECODABLE);
    gst_plugin_feature_list_free(features);
    return decodes;
}

// Whether one of GIO's proxy modules is mapped into this process.
bool ProxyModuleLoaded() {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        if (line.find("/gio/modules/") != std::string::npos &&
            line.find("proxy") != std::string::npos)
            return true;
    }
    return false;
}

std::string Join(const std::set<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += name + " ";
    return text;
}

class PluginWarmUpTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(PlaybinPipeline::CheckAvailable()); }
    testsupport::StreamServer server;
};

TEST_F(PluginWarmUpTest, AfterItStationsLoadOnlyTheirFormatsDecoding) {
    auto created = GstMediaPlayer::Create({.audioSink = "fakesink sync=true"});
    ASSERT_TRUE(created) << created.error();
    auto player = std::move(created).value();
    PlayingWatch watch;
    player->SetEvents(&watch);
    {
        PluginWarmUp warmUp(false);
        ASSERT_TRUE(warmUp.WaitUntilDone(20s));
    }
    const std::set<std::string> warmed = LoadedPlugins();
    for (const char* path : {"/live.ogg", "/live.mp3", "/icy.mp3"}) {
        watch.playing = false;
        player->Open(server.Url(path));
        ASSERT_TRUE(player->Play());
        ASSERT_TRUE(QTest::qWaitFor([&] { return watch.playing; }, 10000)) << path;
        std::set<std::string> others;
        for (const std::string& name : LoadedPlugins())
            if (!warmed.count(name) && !DecodesAFormat(name))
                others.insert(name);
        EXPECT_TRUE(others.empty()) << path << " loaded " << Join(others);
    }
}

TEST_F(PluginWarmUpTest, ANewPlayerLoadsTheHttpSourceBeforeAnyPlay) {
    if (PluginOfLoaded("souphttpsrc"))
        GTEST_SKIP() << "the HTTP source was loaded before the player was made";
    auto created = GstMediaPlayer::Create({.audioSink = "fakesink sync=true"});
    ASSERT_TRUE(created) << created.error();
    EXPECT_TRUE(QTest::qWaitFor([] { return PluginOfLoaded("souphttpsrc"); }, 10000));
}

TEST_F(PluginWarmUpTest, TheDesktopsProxySettingsAreReadBeforeTheFirstStation) {
    if (ProxyModuleLoaded())
        GTEST_SKIP() << "a proxy module was loaded before the warm-up";
    const std::filesystem::path modules = GIO_MODULE_DIR;
    bool installed = false;
    for (const auto& entry : std::filesystem::directory_iterator(modules))
        installed =
            installed || entry.path().filename().string().find("proxy") != std::string::npos;
    if (!installed)
        GTEST_SKIP() << "no proxy module installed in " << modules;
    PluginWarmUp warmUp(false);
    ASSERT_TRUE(warmUp.WaitUntilDone(20s));
    EXPECT_TRUE(ProxyModuleLoaded());
}

TEST_F(PluginWarmUpTest, EndsEarlyWhenItsOwnerGoesAway) {
    // Made and dropped at once, as when the radio quits during start-up: nothing hangs or
    // crashes, and a later warm-up still completes.
    { PluginWarmUp dropped(true); }
    PluginWarmUp warmUp(true);
    EXPECT_TRUE(warmUp.WaitUntilDone(20s));
}

}  // namespace
