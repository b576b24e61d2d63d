// The about box: picture, close button, emblem link, links, dragging and the close effect.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <string>

#include "radio/AboutDlg.h"
#include "radio/RadioMenu.h"
#include "ui/HoverBitmapButton.h"

namespace {

using radio::CAboutDlg;

class AboutDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        box_.SetEffectsEnabled(false);
        box_.SetLinkOpener([this](const std::string& url) { opened_.push_back(url); });
        box_.show();
    }
    CAboutDlg box_;
    std::vector<std::string> opened_;
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
        EXPECT_TRUE(box_.rect().contains(child->geometry())) << child->objectName().toStdString();
}

TEST(AboutDlgTexts, TranslatedForGermanUsers) {
    const char* old = std::getenv("LANG");
    const std::string saved = old ? old : "";
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "de_DE.UTF-8", 1);
    CAboutDlg box;
    if (old)
        setenv("LANG", saved.c_str(), 1);
    else
        unsetenv("LANG");
    bool german = false;
    for (QLabel* label : box.findChildren<QLabel*>())
        german = german || label->text() == "Programmierung && Konzept::";
    EXPECT_TRUE(german);
}

TEST_F(AboutDlgTest, CloseButtonEndsTheBox) {
    QTest::mouseClick(box_.CloseButton(), Qt::LeftButton, {}, QPoint(9, 9));
    EXPECT_FALSE(box_.isVisible());
    EXPECT_EQ(box_.result(), QDialog::Rejected);
    EXPECT_TRUE(opened_.empty());
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
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], radio::WebSiteUrl());
    EXPECT_EQ(box_.result(), QDialog::Accepted);
    EXPECT_FALSE(box_.isVisible());
}

TEST_F(AboutDlgTest, PressElsewhereDragsInsteadOfClosing) {
    const QPoint start = box_.pos();
    QTest::mousePress(&box_, Qt::LeftButton, {}, QPoint(20, 290));
    QTest::mouseMove(&box_, QPoint(60, 300));
    QTest::mouseRelease(&box_, Qt::LeftButton, {}, QPoint(60, 300));
    EXPECT_TRUE(box_.isVisible());
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(box_.pos(), start + QPoint(40, 10));
}

TEST_F(AboutDlgTest, LinksAreWhiteAndOpenTheirAddresses) {
    QLabel* mail = box_.MailLink();
    EXPECT_EQ(mail->palette().color(QPalette::WindowText), QColor(Qt::white));
    QTest::mouseClick(mail, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseClick(box_.WebLink(), Qt::LeftButton, {}, box_.WebLink()->rect().center());
    ASSERT_EQ(opened_.size(), 2u);
    EXPECT_EQ(opened_[0], CAboutDlg::kContactAddress);
    EXPECT_EQ(opened_[1], radio::WebSiteUrl());
    EXPECT_TRUE(box_.isVisible());
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
