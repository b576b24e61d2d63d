// The about box: picture, close button, emblem link, links, dragging and the close effect.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "radio/AboutDlg.h"
#include "radio/RadioMenu.h"
#include "tests/support/LocaleScope.h"
#include "ui/HoverBitmapButton.h"
#include "ui/HyperLink.h"

namespace {

using radio::CAboutDlg;

// Links open on worker threads; this records what they were asked to open.
class OpenedLinks {
  public:
    OpenedLinks() {
        ui::CHyperLinkThread::SetOpener([this](const std::string& url, const std::string&) {
            std::lock_guard lock(mutex_);
            urls_.push_back(url);
            return 33;
        });
    }
    ~OpenedLinks() { ui::CHyperLinkThread::SetOpener({}); }
    // What was opened, after waiting for `count` openings (or a few seconds).
    std::vector<std::string> Wait(std::size_t count) {
        for (int i = 0; i < 100 && Size() < count; ++i) QTest::qWait(20);
        std::lock_guard lock(mutex_);
        return urls_;
    }

  private:
    std::size_t Size() {
        std::lock_guard lock(mutex_);
        return urls_.size();
    }
    std::mutex mutex_;
    std::vector<std::string> urls_;
};

class AboutDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        box_.SetEffectsEnabled(false);
        box_.show();
    }
    OpenedLinks opened_;
    CAboutDlg box_;
};

TEST_F(AboutDlgTest, SizedToItsPictureWithTheCloseButtonTopRight) {
    ASSERT_TRUE(box_.HasBackground());
    EXPECT_EQ(box_.size(), QSize(316, 316));
    const QRect button = box_.CloseButton()->geometry();
    EXPECT_EQ(button, QRect(289, 10, 18, 18)) << "on the round button of the picture";
    // The template's plain button and texts gave way to the bitmap button and the links.
    EXPECT_TRUE(box_.findChildren<QPushButton*>().isEmpty());
    EXPECT_EQ(box_.MailLink()->text(), "Torvane Radiowerke");
    for (QWidget* child : box_.findChildren<QWidget*>())
        EXPECT_TRUE(box_.rect().contains(child->geometry()))
            << child->metaObject()->className() << " " << child->objectName().toStdString();
}

// The credits and the title in the user's language: one colon after the credits label, and
// no English title over a German box.
TEST(AboutDlgTexts, GermanForGermanUsersAndEnglishForAllOthers) {
    const auto labels = [](const CAboutDlg& box) {
        QStringList texts;
        for (QLabel* label : box.findChildren<QLabel*>()) texts << label->text();
        return texts;
    };
    {
        testsupport::LocaleScope german(testsupport::kGerman);
        CAboutDlg box;
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Über Orbifon"));
        EXPECT_TRUE(labels(box).contains(QStringLiteral("Programmierung && Konzept:")))
            << labels(box).join('|').toStdString();
        EXPECT_TRUE(labels(box).contains(QStringLiteral("Grafiken:")));
        EXPECT_EQ(labels(box).filter(QStringLiteral("Programm")).size(), 1) << "one credits label";
    }
    {
        testsupport::LocaleScope english("fr_FR.UTF-8");
        CAboutDlg box;
        EXPECT_EQ(box.windowTitle(), QStringLiteral("About Orbifon"));
        EXPECT_TRUE(labels(box).contains(QStringLiteral("Programming and concept:")));
        EXPECT_TRUE(labels(box).contains(QStringLiteral("Artwork:")));
    }
}

TEST_F(AboutDlgTest, CloseButtonEndsTheBox) {
    QTest::mouseClick(box_.CloseButton(), Qt::LeftButton, {}, QPoint(9, 9));
    EXPECT_FALSE(box_.isVisible());
    EXPECT_EQ(box_.result(), QDialog::Rejected);
    EXPECT_TRUE(opened_.Wait(0).empty());
}

TEST_F(AboutDlgTest, EmblemOpensTheWebSiteAndConfirms) {
    QTest::mouseMove(&box_, QPoint(150, 70));
    EXPECT_EQ(box_.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&box_, QPoint(20, 290));
    EXPECT_EQ(box_.cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(&box_, QPoint(84, 6));  // the emblem's corner belongs to it
    EXPECT_EQ(box_.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&box_, QPoint(214, 144));
    EXPECT_EQ(box_.cursor().shape(), Qt::ArrowCursor);

    QTest::mouseClick(&box_, Qt::LeftButton, {}, QPoint(150, 70));
    const auto opened = opened_.Wait(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], radio::WebSiteUrl());
    EXPECT_EQ(box_.result(), QDialog::Accepted);
    EXPECT_FALSE(box_.isVisible());
}

TEST_F(AboutDlgTest, PressElsewhereDragsInsteadOfClosing) {
    const QPoint start = box_.pos();
    QTest::mousePress(&box_, Qt::LeftButton, {}, QPoint(20, 290));
    QTest::mouseMove(&box_, QPoint(60, 300));
    QTest::mouseRelease(&box_, Qt::LeftButton, {}, QPoint(60, 300));
    EXPECT_TRUE(box_.isVisible());
    EXPECT_TRUE(opened_.Wait(0).empty());
    EXPECT_EQ(box_.pos(), start + QPoint(40, 10));
}

TEST_F(AboutDlgTest, LinksAreWhiteAndOpenTheirAddresses) {
    ui::CHyperLink* mail = box_.MailLink();
    EXPECT_EQ(mail->CurrentColour(), QColor(Qt::white));
    EXPECT_TRUE(mail->font().underline());
    QTest::mouseMove(mail, QPoint(3, 3));
    EXPECT_EQ(mail->CurrentColour(), box_.palette().color(QPalette::Highlight));
    QTest::mouseClick(mail, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_EQ(opened_.Wait(1).size(), 1u);
    QTest::mouseClick(box_.WebLink(), Qt::LeftButton, {}, box_.WebLink()->rect().center());
    const auto opened = opened_.Wait(2);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], CAboutDlg::kContactAddress);
    EXPECT_EQ(opened[1], radio::WebSiteUrl());
    EXPECT_TRUE(box_.isVisible());
}

TEST(AboutDlgRun, RunsModallyOverItsOwner) {
    QWidget owner;
    owner.show();
    QTimer::singleShot(0, [&owner] {
        auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->parentWidget(), &owner);
        box->SetEffectsEnabled(false);
        QTest::mouseClick(box->CloseButton(), Qt::LeftButton, {}, QPoint(9, 9));
    });
    EXPECT_EQ(CAboutDlg::Run(&owner), QDialog::Rejected);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(AboutDlgEffect, BlendsOutBeforeItEnds) {
    CAboutDlg box;
    box.show();
    box.reject();
    EXPECT_TRUE(box.isVisible()) << "still fading";
    box.reject();  // a second close during the fade changes nothing
    for (int i = 0; i < 100 && box.isVisible(); ++i) QTest::qWait(30);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Rejected);
    EXPECT_DOUBLE_EQ(box.windowOpacity(), 1.0);
}

}  // namespace
