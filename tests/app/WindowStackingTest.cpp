// Windows the program opens while the radio stays on top: each must stand above the radio,
// with nothing covering it, on a desktop with a window manager and on a bare X server.
#include "radio/SkinGeometry.h"
#include "tests/support/RadioProcess.h"
#include "tests/support/VirtualDisplay.h"
#include "ui/SkinMenu.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>

namespace {
using testsupport::VirtualDisplay;
using testsupport::WindowGeometry;
namespace g = radio::geometry;

constexpr int kWidth = 1280, kHeight = 1024;

class WindowStacking : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "openbox", "xprop", "xwininfo"}) {
            if (!VirtualDisplay::ToolExists(tool))
                GTEST_SKIP() << tool << " is needed";
        }
        ASSERT_TRUE(QFile::exists(testsupport::RadioProcess::BuiltProgram()));
        ASSERT_TRUE(radio_.Ready());
        display_ = std::make_unique<VirtualDisplay>(kWidth, kHeight, false, WithWindowManager());
        ASSERT_TRUE(display_->Available());
        // In the middle of the screen, where boxes appear, and above every other window.
        radio_.SetSetting("CBuddyboxDlg/TopMost", 1);
        radio_.SetSetting("CBuddyboxDlg/WndX", (kWidth - g::kWindowWidth) / 2);
        radio_.SetSetting("CBuddyboxDlg/WndY", (kHeight - g::kWindowHeight) / 2);
    }

    bool WithWindowManager() const { return GetParam(); }
    std::string Log() const { return radio_.Log().toStdString(); }

    // Starts the radio and waits until its first frame is on the screen; returns its window.
    std::string StartRadio(const QProcessEnvironment& environment) {
        if (!radio_.Start(testsupport::RadioProcess::BuiltProgram(), environment))
            return {};
        const std::string id =
            display_->WaitForWindowOf(radio_.Pid(), g::kWindowWidth, g::kWindowHeight, 20000);
        if (!id.empty() && radio_.WaitForLog("tunelink.startup: first frame painted", 20000) < 0)
            return {};
        return id;
    }

    std::string Title(const std::string& window) const {
        return display_->Run("xdotool", {"getwindowname", QString::fromStdString(window)});
    }

    bool Viewable(const std::string& window) const {
        return display_->Run("xwininfo", {"-id", QString::fromStdString(window)})
                   .find("IsViewable") != std::string::npos;
    }

    // Empty when `window` stands above `below` and no visible window above it covers any of
    // it; else what is wrong. Gives the window manager time to place and stack the window; on
    // a busy machine the program's own raise and the manager's answer may take a while longer.
    std::string AboveAndUncovered(const std::string& window, const std::string& below) const {
        QThread::msleep(500);
        std::string reason = StackingProblem(window, below);
        for (int waited = 0; !reason.empty() && waited < 2000; waited += 100) {
            QThread::msleep(100);
            reason = StackingProblem(window, below);
        }
        return reason;
    }

    // The same, looked at once.
    std::string StackingProblem(const std::string& window, const std::string& below) const {
        const std::vector<std::string> stacking = display_->ClientStacking();
        const auto at = std::find(stacking.begin(), stacking.end(), window);
        const auto under = std::find(stacking.begin(), stacking.end(), below);
        if (at == stacking.end() || under == stacking.end())
            return "not both on the screen";
        if (at < under)
            return "below the radio";
        const WindowGeometry area = display_->Geometry(window);
        for (auto above = at + 1; above != stacking.end(); ++above) {
            if (Viewable(*above) && display_->Geometry(*above).Overlaps(area))
                return "covered by window " + *above + " \"" + Title(*above) + "\" " +
                       std::to_string(display_->Geometry(*above).width) + "x" +
                       std::to_string(display_->Geometry(*above).height);
        }
        return {};
    }

    void Key(const char* key) const { display_->Run("xdotool", {"key", key}); }

    // Opens the right-click menu over the radio's grille and clicks its row `row` (counted
    // from the top, separators included, given the rows' heights above it).
    void ChooseFromMenu(const WindowGeometry& radio, int rowsAbove, int separatorsAbove) const {
        const QPoint at(radio.x + 120, radio.y + 150);
        display_->Run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()),
                                  "click", "3"});
        QThread::msleep(700);
        const int y = at.y() + ui::CSkinMenu::kTopMargin + rowsAbove * ui::CSkinMenu::kRowHeight +
                      separatorsAbove * ui::CSkinMenu::kSeparatorHeight +
                      ui::CSkinMenu::kRowHeight / 2;
        display_->Pointer(at.x() + 40, y, true);
    }

    testsupport::RadioProcess radio_;
    std::unique_ptr<VirtualDisplay> display_;
};

std::string Describe(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "WindowManager" : "BareServer";
}
}  // namespace

TEST_P(WindowStacking, StartUpPictureCentredOverTheRadioSecondStartMessageAboveIt) {
    ASSERT_TRUE(radio_.Start(testsupport::RadioProcess::BuiltProgram(),
                             radio_.Environment(display_->Name(), "fakesink")));
    const std::string id =
        display_->WaitForWindowOf(radio_.Pid(), g::kWindowWidth, g::kWindowHeight, 20000);
    ASSERT_FALSE(id.empty()) << Log();
    const WindowGeometry radio = display_->Geometry(id);

    // The start-up picture: centred over the radio, and above it once both are shown.
    const std::string splash = display_->WaitForWindowOf(radio_.Pid(), 218 + 2, 216 + 2, 3000);
    ASSERT_FALSE(splash.empty()) << "the start-up picture went too soon";
    const WindowGeometry picture = display_->Geometry(splash);
    EXPECT_LE(std::abs((picture.x + picture.width / 2) - (radio.x + radio.width / 2)), 1);
    EXPECT_LE(std::abs((picture.y + picture.height / 2) - (radio.y + radio.height / 2)), 1);
    ASSERT_GE(radio_.WaitForLog("tunelink.startup: first frame painted", 20000), 0) << Log();
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
    const WindowGeometry box = display_->Geometry(message);
    EXPECT_TRUE(box.Overlaps(radio)) << "the message appears where the radio is";
    EXPECT_EQ(AboveAndUncovered(message, id), "");
    second.Stop();
}

TEST_P(WindowStacking, FavouriteEditorStandsAboveTheRadio) {
    const std::string id = StartRadio(radio_.Environment(display_->Name(), "fakesink"));
    ASSERT_FALSE(id.empty()) << Log();
    QThread::msleep(4500);  // the start-up picture has gone
    const WindowGeometry radio = display_->Geometry(id);

    // Sector 32 is the third favourite, empty: choosing it opens its editor.
    const QPolygon sector = g::SectorTriangle(32);
    const QPoint target = (sector[0] + 3 * sector[1] + 3 * sector[2]) / 7;
    display_->Pointer(radio.x + target.x(), radio.y + target.y(), true);
    const std::string editor = display_->WaitForNewWindowOf(radio_.Pid(), {id});
    ASSERT_FALSE(editor.empty()) << Log();
    EXPECT_EQ(AboveAndUncovered(editor, id), "");
}

// The about box from the menu; then the mail dialog, and the progress window while a (stand-in)
// mail program takes the message.
TEST_P(WindowStacking, AboutBoxMailDialogAndProgressWindowStandAboveTheRadio) {
    QTemporaryDir tools;
    ASSERT_TRUE(tools.isValid());
    auto writeTool = [&tools](const char* name, const char* script) {
        QFile file(tools.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(script) > 0 &&
               file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    };
    ASSERT_TRUE(writeTool("xdg-mime", "#!/bin/sh\necho mail.desktop\n"));
    ASSERT_TRUE(writeTool("xdg-email", "#!/bin/sh\nsleep 4\n"));
    auto environment = radio_.Environment(display_->Name(), "fakesink");
    environment.insert("PATH", tools.path() + ":" + environment.value("PATH"));

    const std::string id = StartRadio(environment);
    ASSERT_FALSE(id.empty()) << Log();
    QThread::msleep(4500);  // the start-up picture has gone
    const WindowGeometry radio = display_->Geometry(id);

    // Exit, separator, web, send, on top, start up, separator, three favourites, separator,
    // about.
    ChooseFromMenu(radio, 8, 3);
    const std::string about = display_->WaitForNewWindowOf(radio_.Pid(), {id});
    ASSERT_FALSE(about.empty()) << "no about box\n" << Log();
    EXPECT_EQ(AboveAndUncovered(about, id), "") << "the about box " << Title(about);
    Key("Escape");
    for (int i = 0; i < 50 && Viewable(about); ++i) QThread::msleep(100);
    ASSERT_FALSE(Viewable(about)) << "the about box stays";

    ChooseFromMenu(radio, 2, 1);
    const std::string dialog = display_->WaitForNewWindowOf(radio_.Pid(), {id, about});
    ASSERT_FALSE(dialog.empty()) << "no mail dialog\n" << Log();
    EXPECT_EQ(AboveAndUncovered(dialog, id), "") << "the mail dialog " << Title(dialog);

    // Typed where the pointer is, as a bare server gives the keyboard to the window under it.
    const WindowGeometry form = display_->Geometry(dialog);
    display_->Pointer(form.x + form.width / 2, form.y + form.height / 2, false);
    display_->Run("xdotool", {"type", "--delay", "20", "friend@example.org"});
    Key("Return");
    const std::string progress = display_->WaitForNewWindowOf(radio_.Pid(), {id, about, dialog});
    ASSERT_FALSE(progress.empty()) << "no progress window\n" << Log();
    EXPECT_EQ(AboveAndUncovered(progress, id), "") << "the progress window " << Title(progress);
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowStacking, ::testing::Bool(), Describe);
