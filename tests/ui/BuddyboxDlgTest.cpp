#include "ui/BuddyboxDlg.h"
#include "util/Profile.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QScreen>

namespace {
class BuddyboxPlacement : public ::testing::Test {
  protected:
    void SetUp() override {
        util::InstallProfile(&profile_);
        const QScreen* screen = QGuiApplication::primaryScreen();
        ASSERT_NE(screen, nullptr);
        work_ = screen->availableGeometry();
        all_ = screen->virtualGeometry();
    }
    void TearDown() override { util::InstallProfile(nullptr); }

    QPoint PlacedAt() {
        ui::CBuddyboxDlg window;
        window.InitBase(kSize);
        return window.pos();
    }
    QPoint Centre() const {
        return {work_.x() + (work_.width() - kSize.width()) / 2,
                work_.y() + (work_.height() - kSize.height()) / 2};
    }

    static constexpr QSize kSize{300, 200};
    util::MemoryProfile profile_;
    QRect work_, all_;
};
}  // namespace

TEST_F(BuddyboxPlacement, FirstStartBottomRightThenWhereItWasLeft) {
    EXPECT_EQ(PlacedAt(), QPoint(work_.right() + 1 - kSize.width() - 20,
                                 work_.bottom() + 1 - kSize.height() - 50));
    profile_.WriteInt(ui::CBuddyboxDlg::kSection, "WndX", all_.x() + 10);
    profile_.WriteInt(ui::CBuddyboxDlg::kSection, "WndY", all_.y() + 5);
    EXPECT_EQ(PlacedAt(), QPoint(all_.x() + 10, all_.y() + 5));
}

// A position left from a monitor that is gone would put the window where nobody sees it.
TEST_F(BuddyboxPlacement, WindowOffEveryScreenIsCentredOnTheWorkArea) {
    profile_.WriteInt(ui::CBuddyboxDlg::kSection, "WndX", all_.right() + 500);
    profile_.WriteInt(ui::CBuddyboxDlg::kSection, "WndY", all_.y() + 5);
    EXPECT_EQ(PlacedAt(), Centre());
    profile_.WriteInt(ui::CBuddyboxDlg::kSection, "WndX", all_.x() + 10);
    profile_.WriteInt(ui::CBuddyboxDlg::kSection, "WndY", all_.y() - kSize.height() - 1);
    EXPECT_EQ(PlacedAt(), Centre());
}
