#include "tests/support/FakeOpener.h"
#include "ui/HyperLink.h"
#include "util/MessageBox.h"

#include <gtest/gtest.h>
#include <QTest>
#include <QWidget>

#include <mutex>

namespace {
// Records what would have been opened instead of starting a browser.
struct OpenerScope {
    explicit OpenerScope(int result) {
        ui::CHyperLinkThread::SetOpener([this, result](const std::string& url, const std::string&) {
            std::lock_guard lock(mutex);
            opened.push_back(url);
            return result;
        });
        ui::CHyperLinkThread::SetFailureReporter([this](const util::MessageRequest& r) {
            std::lock_guard lock(mutex);
            messages.push_back(r.text);
        });
    }
    ~OpenerScope() {
        ui::CHyperLinkThread::SetOpener({});
        ui::CHyperLinkThread::SetFailureReporter({});
    }
    std::size_t OpenedCount() {
        std::lock_guard lock(mutex);
        return opened.size();
    }
    std::mutex mutex;
    std::vector<std::string> opened, messages;
};
}  // namespace

TEST(HyperLink, FailureTextsByCode) {
    EXPECT_EQ(ui::CHyperLinkThread::FailureText(31),
              "Can't open link:\n\nThere is no application associated\nwith the given filename "
              "extension.");
    EXPECT_EQ(ui::CHyperLinkThread::FailureText(26),
              "Can't open link:\n\nA sharing violation occurred. ");
    EXPECT_EQ(ui::CHyperLinkThread::FailureText(99),
              "Can't open link:\n\nUnknown Error (99) occurred.");
}

TEST(HyperLink, FailureIsReportedSuccessIsQuiet) {
    {
        OpenerScope scope(31);
        EXPECT_EQ(ui::CHyperLinkThread::Run("https://www.example.org/"), 31);
        ASSERT_EQ(scope.messages.size(), 1u);
        EXPECT_EQ(scope.messages[0], ui::CHyperLinkThread::FailureText(31));
    }
    OpenerScope scope(42);
    EXPECT_EQ(ui::CHyperLinkThread::Run("https://www.example.org/"), 42);
    EXPECT_TRUE(scope.messages.empty());
}

TEST(HyperLink, TextWithoutUrlOpensItsTextAndSpaceFollows) {
    OpenerScope scope(42);
    QWidget parent;
    auto* link = new ui::CHyperLink(&parent, "https://text.example/");
    parent.show();
    link->setFocus();
    QTest::keyClick(link, Qt::Key_Return);
    QTest::qWait(50);
    EXPECT_EQ(scope.OpenedCount(), 0u);  // Enter does not follow
    QTest::keyClick(link, Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return scope.OpenedCount() == 1; }, 2000));
    EXPECT_EQ(scope.opened[0], "https://text.example/");

    auto* empty = new ui::CHyperLink(&parent);
    empty->SetURL("https://url.example/");
    EXPECT_EQ(empty->text(), "https://url.example/");
    EXPECT_EQ(empty->toolTip(), "https://url.example/");
}

TEST(HyperLink, HoverAndActiveColours) {
    ui::CHyperLink::SetColours(Qt::white, Qt::white, Qt::white, QColor(255, 0, 0));
    QWidget parent;
    auto* link = new ui::CHyperLink(&parent, "link");
    link->SetStyle(link->GetStyle() | ui::CHyperLink::HLF_HOVERCOLOUR);
    parent.resize(300, 200);
    parent.show();
    QTest::mouseMove(link, QPoint(2, 2));
    EXPECT_TRUE(link->Over());
    EXPECT_EQ(link->CurrentColour(), QColor(255, 0, 0));
    QTest::mouseMove(&parent, QPoint(250, 150));  // off the link, still in its window
    EXPECT_FALSE(link->Over());
    EXPECT_EQ(link->CurrentColour(), QColor(Qt::white));
    ui::CHyperLink::SetColours(QColor(0, 0, 255), QColor(0, 128, 128), QColor(128, 0, 128),
                               QColor(255, 0, 0));
}

// The link grabs the mouse while it is pointed at; anything that takes the user elsewhere
// must give the pointer back, or the desktop's other windows cannot be clicked.
TEST(HyperLink, PointerGrabEndsWhenAnotherWindowTakesTheFocus) {
    QWidget parent;
    auto* link = new ui::CHyperLink(&parent, "link");
    parent.resize(300, 200);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    link->setFocus();
    QTest::mouseMove(link, QPoint(2, 2));
    ASSERT_EQ(QWidget::mouseGrabber(), link);

    QWidget other;
    other.setFocusPolicy(Qt::StrongFocus);
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(link->hasFocus());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_FALSE(link->Over());
}

TEST(HyperLink, PointerGrabEndsWhenHiddenOrTheButtonIsReleased) {
    OpenerScope scope(42);
    QWidget parent;
    auto* link = new ui::CHyperLink(&parent, "https://grab.example/");
    parent.resize(300, 200);
    parent.show();
    QTest::mouseMove(link, QPoint(2, 2));
    ASSERT_EQ(QWidget::mouseGrabber(), link);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return scope.OpenedCount() == 1; }, 2000));

    QTest::mouseMove(&parent, QPoint(250, 150));
    QTest::mouseMove(link, QPoint(3, 3));  // pointed at again: grabbed again
    ASSERT_EQ(QWidget::mouseGrabber(), link);
    link->hide();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_FALSE(link->Over());
}

// With no browser, the desktop's opener starts and then fails: that is a failure to open.
TEST(HyperLink, AnOpenerThatFailsGivesTheNoApplicationMessage) {
    testsupport::FakeOpener opener("echo 'xdg-open: no method available' >&2; exit 3");
    ASSERT_TRUE(opener.Ready());
    std::vector<std::string> messages;
    ui::CHyperLinkThread::SetFailureReporter(
        [&](const util::MessageRequest& r) { messages.push_back(r.text); });
    EXPECT_EQ(ui::CHyperLinkThread::Run("https://www.example.org/"), 31);
    ui::CHyperLinkThread::SetFailureReporter({});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], ui::CHyperLinkThread::FailureText(31));
}
