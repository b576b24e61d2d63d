#include "ui/QtMessagePresenter.h"
#include "util/MessageBox.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

namespace {
struct SeenBox {
    QWidget* parent = nullptr;
    bool staysOnTop = false;
    bool seen = false;
};

// Shows a message through the installed presenter and notes how its box was made.
SeenBox ShowAndInspect() {
    SeenBox seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = {box->parentWidget(), box->windowFlags().testFlag(Qt::WindowStaysOnTopHint), true};
        box->accept();
    });
    util::ShowMessage({"Orbifon 1.0 already running on this machine.", "Orbifon 1.0"});
    return seen;
}

class QtMessagePresenterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = util::InstallMessagePresenter(nullptr);
        ui::InstallQtMessagePresenter();
    }
    void TearDown() override { util::InstallMessagePresenter(previous_); }
    util::MessagePresenter previous_;
};
}  // namespace

// A second start has no window: its box must not hide under the first copy's radio.
TEST_F(QtMessagePresenterTest, BoxWithoutAWindowOfOursStaysOnTop) {
    const SeenBox seen = ShowAndInspect();
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.parent, nullptr);
    EXPECT_TRUE(seen.staysOnTop);
}

TEST_F(QtMessagePresenterTest, BoxBelongsToTheVisibleWindowSoItStandsAboveIt) {
    QWidget radio(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    radio.resize(200, 100);
    radio.show();
    const SeenBox seen = ShowAndInspect();
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.parent, &radio);
    EXPECT_FALSE(seen.staysOnTop);
}
