// The radio under an English locale on a desktop with a window manager and a compositor: the
// status line, the right-click menu and the about box are English. The screen is captured as
// a person sees it; with TUNELINK_SCREENSHOT_DIR set, the menu and the about box are cut from
// those captures as menu-en.png and about-en.png (the pictures of the documentation).
#include "radio/SkinGeometry.h"
#include "tests/support/RadioProcess.h"
#include "tests/support/VirtualDisplay.h"
#include "ui/SkinMenu.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QThread>

#include <algorithm>

namespace {
using testsupport::VirtualDisplay;
using testsupport::WindowGeometry;
namespace g = radio::geometry;

constexpr int kWidth = 1280, kHeight = 1024;
constexpr QPoint kRadioAt{200, 150};
const QString kLightDesktop = QStringLiteral("#dfe6ee");

class EnglishDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "openbox", "xcompmgr", "import", "xwininfo"}) {
            if (!VirtualDisplay::ToolExists(tool))
                GTEST_SKIP() << tool << " is needed";
        }
        ASSERT_TRUE(QFile::exists(testsupport::RadioProcess::BuiltProgram()));
        ASSERT_TRUE(radio_.Ready());
    }

    std::string Log() const { return radio_.Log().toStdString(); }

    // Saves `area` of the screen, widened by `margin`, for the documentation when asked to,
    // and the whole screen beside the tests.
    static void Keep(const QImage& screen, QRect area, const QString& name) {
        screen.save(QString::fromLocal8Bit(qgetenv("TUNELINK_BINARY_DIR")) + "/e2e-" + name);
        const QString folder = QString::fromLocal8Bit(qgetenv("TUNELINK_SCREENSHOT_DIR"));
        if (!folder.isEmpty()) {
            EXPECT_TRUE(screen.copy(area.adjusted(-12, -12, 12, 12) & screen.rect())
                            .save(folder + "/" + name));
        }
    }

    testsupport::RadioProcess radio_;
};
}  // namespace

TEST_F(EnglishDesktop, StatusMenuAndAboutBoxAreEnglish) {
    VirtualDisplay display(kWidth, kHeight, /*compositor=*/true, /*windowManager=*/true,
                           kLightDesktop);
    ASSERT_TRUE(display.Available());
    radio_.SetSetting("CBuddyboxDlg/WndX", kRadioAt.x());
    radio_.SetSetting("CBuddyboxDlg/WndY", kRadioAt.y());
    auto environment = radio_.Environment(display.Name(), "fakesink");
    environment.remove("LC_ALL");
    environment.remove("LC_MESSAGES");
    environment.insert("LANG", "en_US.UTF-8");
    ASSERT_TRUE(radio_.Start(testsupport::RadioProcess::BuiltProgram(), environment));
    const std::string id =
        display.WaitForWindowOf(radio_.Pid(), g::kWindowWidth, g::kWindowHeight, 20000);
    ASSERT_FALSE(id.empty()) << Log();
    ASSERT_GE(radio_.WaitForLog("tunelink.startup: first frame painted", 20000), 0) << Log();
    ASSERT_TRUE(
        display.WaitUntilOnlyWindowOf(radio_.Pid(), g::kWindowWidth, g::kWindowHeight, 15000))
        << "the start-up picture stays";
    const WindowGeometry radio = display.Geometry(id);

    // Resting on the first favourite's sector names it on the status line.
    const QPolygon sector = g::SectorTriangle(30);
    const QPoint onSector = (sector[0] + 3 * sector[1] + 3 * sector[2]) / 7;
    const auto logFrom = radio_.Log().size();
    display.Pointer(radio.x + onSector.x(), radio.y + onSector.y(), false);
    EXPECT_GE(radio_.WaitForLog("tunelink.status: Favorite 1", 5000, logFrom), 0) << Log();

    // The menu over the grille.
    const QPoint grille(radio.x + 120, radio.y + 150);
    display.Run("xdotool", {"mousemove", QString::number(grille.x()), QString::number(grille.y()),
                            "click", "3"});
    const std::string menu = display.WaitForNewWindowOf(radio_.Pid(), {id});
    ASSERT_FALSE(menu.empty()) << "no menu\n" << Log();
    QThread::msleep(800);  // the menu has faded in
    const WindowGeometry menuArea = display.Geometry(menu);
    display.Pointer(menuArea.x + 40,
                    menuArea.y + ui::CSkinMenu::kTopMargin + 4 + ui::CSkinMenu::kRowHeight / 2,
                    false);  // one row lit
    QThread::msleep(300);
    const QImage withMenu = display.Capture();
    ASSERT_FALSE(withMenu.isNull());
    Keep(withMenu,
         QRect(radio.x, radio.y, radio.width, radio.height)
             .united(QRect(menuArea.x, menuArea.y, menuArea.width, menuArea.height)),
         "menu-en.png");

    // The ninth row (three separators above it) opens the about box.
    const int aboutRow = menuArea.y + ui::CSkinMenu::kTopMargin + 8 * ui::CSkinMenu::kRowHeight +
                         3 * ui::CSkinMenu::kSeparatorHeight + ui::CSkinMenu::kRowHeight / 2;
    display.Pointer(menuArea.x + 40, aboutRow, true);
    const std::string about = display.WaitForNewWindowOf(radio_.Pid(), {id, menu});
    ASSERT_FALSE(about.empty()) << "no about box\n" << Log();
    // Qt adds the program's name after the box's own title.
    const std::string title =
        display.Run("xdotool", {"getwindowname", QString::fromStdString(about)});
    EXPECT_EQ(title.rfind("About Orbifon", 0), 0u) << title;
    display.Pointer(5, kHeight - 5, false);  // no link lit in the picture
    QThread::msleep(800);                    // the box has grown to its size
    const WindowGeometry box = display.Geometry(about);
    const QImage withAbout = display.Capture();
    ASSERT_FALSE(withAbout.isNull());
    Keep(withAbout, QRect(box.x, box.y, box.width, box.height), "about-en.png");
    display.Run("xdotool", {"key", "Escape"});
    radio_.Stop();
}
