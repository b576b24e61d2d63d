#include "mail/ProgressWnd.h"
#include "tests/support/LocaleScope.h"

#include "MailTestSupport.h"

#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using testing_mail::MailTestEnvironment;

TEST(ProgressWndTest, CaptionCarriesThePercentAndChangesOnlyWithIt) {
    MailTestEnvironment environment;
    mail::CProgressWnd progress(nullptr, "Send Buddybox", false, false);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Send Buddybox"));
    progress.SetStatus("Prepare to send mail...", 10);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Send Buddybox [10%]"));
    EXPECT_EQ(progress.StatusLabel()->text(), QStringLiteral("Prepare to send mail..."));
    EXPECT_EQ(progress.Bar()->value(), 10);
    EXPECT_EQ(progress.SetPos(10), 10);
    EXPECT_EQ(progress.CaptionChanges(), 1);
    progress.SetStatus("Start sending mail...", 80);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Send Buddybox [80%]"));
    progress.SetStatus("Done !", 100);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Send Buddybox [100%]"));
    EXPECT_EQ(progress.CaptionChanges(), 3);

    progress.Hide();
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(progress.SetPos(50), 100);  // shows a hidden window again
    EXPECT_TRUE(progress.isVisible());
}

TEST(ProgressWndTest, StatusAreaIsTwoLinesWithoutCancelButtonAndFourWithIt) {
    MailTestEnvironment environment;
    mail::CProgressWnd plain(nullptr, "a", false, false);
    mail::CProgressWnd cancellable(nullptr, "b", true, true);
    EXPECT_EQ(plain.CancelButton(), nullptr);
    ASSERT_NE(cancellable.CancelButton(), nullptr);
    EXPECT_EQ(cancellable.CancelButton()->text(), QStringLiteral(" Abbrechen "));  // German user
    {
        testsupport::LocaleScope english(testsupport::kEnglish);
        mail::CProgressWnd inEnglish(nullptr, "c", true, true);
        EXPECT_EQ(inEnglish.CancelButton()->text(), QStringLiteral(" Cancel "));
    }
    const int line = QFontMetrics(plain.StatusLabel()->font()).lineSpacing();
    EXPECT_GE(plain.StatusLabel()->height(), 2 * line - 2);
    EXPECT_LT(plain.StatusLabel()->height(), 3 * line);
    EXPECT_GE(cancellable.StatusLabel()->height(), 4 * line - 2);
    EXPECT_EQ(plain.width(), 310);
    // The bar ends 10 pixels left of the button, which is right-aligned with the text.
    EXPECT_EQ(cancellable.Bar()->geometry().right() + 11, cancellable.CancelButton()->x());
    EXPECT_EQ(cancellable.CancelButton()->geometry().right(),
              cancellable.StatusLabel()->geometry().right());
    EXPECT_EQ(plain.height(), plain.StatusLabel()->height() + plain.Bar()->height() + 4 + 30);
}

TEST(ProgressWndTest, EscapeAndTheCancelButtonCancelUntilShownAgain) {
    MailTestEnvironment environment;
    mail::CProgressWnd progress(nullptr, "x", false, true);
    EXPECT_FALSE(progress.IsCancelled());
    QTest::keyClick(&progress, Qt::Key_Escape);
    EXPECT_TRUE(progress.IsCancelled());
    progress.Hide();
    progress.Show();
    EXPECT_FALSE(progress.IsCancelled());
    progress.CancelButton()->click();
    EXPECT_TRUE(progress.IsCancelled());
}

TEST(ProgressWndTest, RemembersItsPlaceBetweenRunsWhenOnThePrimaryScreen) {
    MailTestEnvironment environment;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    {
        mail::CProgressWnd first(nullptr, "x", false, false);
        // Never placed before: centred.
        EXPECT_LE(std::abs(first.frameGeometry().center().x() - screen.center().x()), 1);
        first.move(40, 60);
    }
    EXPECT_EQ(environment.Profile().GetInt("Settings", "X", -1), 40);
    EXPECT_EQ(environment.Profile().GetInt("Settings", "Y", -1), 60);
    {
        mail::CProgressWnd second(nullptr, "x", false, false);
        EXPECT_EQ(second.pos(), QPoint(40, 60));
    }
    for (const QPoint& off : {QPoint(-1, 60), QPoint(screen.width(), 60), QPoint(40, -5),
                              QPoint(40, screen.height())}) {
        environment.Profile().WriteInt("Settings", "X", off.x());
        environment.Profile().WriteInt("Settings", "Y", off.y());
        mail::CProgressWnd centred(nullptr, "x", false, false);
        EXPECT_LE(std::abs(centred.frameGeometry().center().x() - screen.center().x()), 1)
            << off.x() << "," << off.y();
        EXPECT_LE(std::abs(centred.frameGeometry().center().y() - screen.center().y()), 1);
    }
}

TEST(ProgressWndTest, LongStatusIsCutAt511Characters) {
    MailTestEnvironment environment;
    mail::CProgressWnd progress(nullptr, "x", false, false);
    progress.SetStatus(std::string(600, 'a'), 0);
    EXPECT_EQ(progress.StatusLabel()->text().size(), 511);
}
