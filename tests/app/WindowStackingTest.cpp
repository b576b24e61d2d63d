// Windows the program opens while the radio stays on top, on a desktop with a window manager:
// each must stand above the radio, with nothing covering it.
#include "radio/SkinGeometry.h"
#include "tests/support/RadioProcess.h"
#include "tests/support/VirtualDisplay.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QThread>

#include <algorithm>

namespace {
using testsupport::VirtualDisplay;
using testsupport::WindowGeometry;
namespace g = radio::geometry;

constexpr int kWidth = 1280, kHeight = 1024;

class WindowStacking : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "openbox", "xprop"}) {
            if (!VirtualDisplay::ToolExists(tool))
                GTEST_SKIP() << tool << " is needed";
        }
        ASSERT_TRUE(QFile::exists(testsupport::RadioProcess::BuiltProgram()));
        ASSERT_TRUE(radio_.Ready());
        display_ = std::make_unique<VirtualDisplay>(kWidth, kHeight, false, true);
        ASSERT_TRUE(display_->Available());
        // In the middle of the screen, where boxes appear, and above every other window.
        radio_.SetSetting("CBuddyboxDlg/TopMost", 1);
        radio_.SetSetting("CBuddyboxDlg/WndX", (kWidth - g::kWindowWidth) / 2);
        radio_.SetSetting("CBuddyboxDlg/WndY", (kHeight - g::kWindowHeight) / 2);
    }

    std::string Log() const { return radio_.Log().toStdString(); }

    // Empty when `window` stands above `below` in the window manager's stacking and no
    // window above it covers any of it; else what is wrong.
    std::string AboveAndUncovered(const std::string& window, const std::string& below) const {
        const std::vector<std::string> stacking = display_->ClientStacking();
        const auto at = std::find(stacking.begin(), stacking.end(), window);
        const auto under = std::find(stacking.begin(), stacking.end(), below);
        if (at == stacking.end() || under == stacking.end())
            return "not both managed";
        if (at < under)
            return "below the radio";
        const WindowGeometry area = display_->Geometry(window);
        for (auto above = at + 1; above != stacking.end(); ++above) {
            if (display_->Geometry(*above).Overlaps(area))
                return "covered by window " + *above;
        }
        return {};
    }

    testsupport::RadioProcess radio_;
    std::unique_ptr<VirtualDisplay> display_;
};
}  // namespace

TEST_F(WindowStacking, StartUpPictureCentredOverTheRadioSecondStartMessageAboveIt) {
    ASSERT_TRUE(radio_.Start(testsupport::RadioProcess::BuiltProgram(),
                             radio_.Environment(display_->Name(), "fakesink")));
    const std::string id =
        display_->WaitForWindowOf(radio_.Pid(), g::kWindowWidth, g::kWindowHeight, 20000);
    ASSERT_FALSE(id.empty()) << Log();
    const WindowGeometry radio = display_->Geometry(id);

    // The start-up picture: centred over the radio.
    const std::string splash = display_->WaitForWindowOf(radio_.Pid(), 218 + 2, 216 + 2, 3000);
    ASSERT_FALSE(splash.empty()) << "the start-up picture went too soon";
    const WindowGeometry picture = display_->Geometry(splash);
    EXPECT_LE(std::abs((picture.x + picture.width / 2) - (radio.x + radio.width / 2)), 1);
    EXPECT_LE(std::abs((picture.y + picture.height / 2) - (radio.y + radio.height / 2)), 1);
    ASSERT_GE(radio_.WaitForLog("tunelink.startup: first frame painted", 20000), 0) << Log();
    QThread::msleep(300);  // the window manager has stacked both
    const std::vector<std::string> shown = display_->WindowsOf(radio_.Pid());
    ASSERT_NE(std::find(shown.begin(), shown.end(), splash), shown.end())
        << "the start-up picture went before the radio showed";
    EXPECT_EQ(AboveAndUncovered(splash, id), "") << "the start-up picture";

    // A second start, in the same session, while the first radio stays on top.
    testsupport::RadioProcess second;
    ASSERT_TRUE(second.Start(testsupport::RadioProcess::BuiltProgram(),
                             radio_.Environment(display_->Name(), "fakesink")));
    std::string message;
    for (int i = 0; i < 100 && message.empty(); ++i) {
        const auto windows = display_->WindowsOf(second.Pid());
        if (!windows.empty())
            message = windows.front();
        else
            QThread::msleep(100);
    }
    ASSERT_FALSE(message.empty()) << second.Log().toStdString();
    QThread::msleep(500);
    const WindowGeometry box = display_->Geometry(message);
    EXPECT_TRUE(box.Overlaps(radio)) << "the message appears where the radio is";
    EXPECT_EQ(AboveAndUncovered(message, id), "");
    second.Stop();
}

TEST_F(WindowStacking, FavouriteEditorStandsAboveTheRadio) {
    ASSERT_TRUE(radio_.Start(testsupport::RadioProcess::BuiltProgram(),
                             radio_.Environment(display_->Name(), "fakesink")));
    const std::string id =
        display_->WaitForWindowOf(radio_.Pid(), g::kWindowWidth, g::kWindowHeight, 20000);
    ASSERT_FALSE(id.empty()) << Log();
    ASSERT_GE(radio_.WaitForLog("tunelink.startup: first frame painted", 20000), 0) << Log();
    QThread::msleep(4500);  // the start-up picture has gone
    const WindowGeometry radio = display_->Geometry(id);

    // Sector 32 is the third favourite, empty: choosing it opens its editor.
    const QPolygon sector = g::SectorTriangle(32);
    const QPoint target = (sector[0] + 3 * sector[1] + 3 * sector[2]) / 7;
    display_->Pointer(radio.x + target.x(), radio.y + target.y(), true);
    std::string editor;
    for (int i = 0; i < 100 && editor.empty(); ++i) {
        for (const std::string& window : display_->WindowsOf(radio_.Pid())) {
            if (window != id)
                editor = window;
        }
        if (editor.empty())
            QThread::msleep(100);
    }
    ASSERT_FALSE(editor.empty()) << Log();
    QThread::msleep(500);
    EXPECT_EQ(AboveAndUncovered(editor, id), "");
}
