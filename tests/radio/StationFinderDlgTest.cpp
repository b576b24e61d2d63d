#include "radio/StationFinderDlg.h"

#include "radio/FavoritesDlg.h"
#include "tests/support/DirectoryServer.h"
#include "tests/support/StreamServer.h"
#include "ui/Translator.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <optional>

namespace {
using radio::StationFinderDlg;

QString Shown(const char* english) {
    return QString::fromStdString(
        ui::CTranslator().Translate(english, ui::CTranslator::GetUiLanguage()));
}

struct Heard {
    std::vector<std::pair<std::string, std::string>> calls;  // address, name
};

class StationFinder : public ::testing::Test {
  protected:
    testsupport::StreamServer streams;
    testsupport::DirectoryServer directory{streams.Url("/")};
    Heard heard;

    std::unique_ptr<StationFinderDlg> Make(const std::string& base) {
        return std::make_unique<StationFinderDlg>(
            base, catalogue::MakeHttpDirectoryFetcher,
            [this](const std::string& address, const std::string& name) {
                heard.calls.emplace_back(address, name);
            });
    }
};
}  // namespace

TEST_F(StationFinder, TypingListsStationsAndEnterInTheListPlaysTheChosenOne) {
    auto finder = Make(directory.Base());
    finder->show();
    QTest::keyClicks(finder->NameField(), "jazz");
    QTreeWidget* results = finder->Results();
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->topLevelItemCount() > 0; }, 20000))
        << finder->StatusLabel()->text().toStdString();
    EXPECT_EQ(directory.Searches(), 1) << "one request for the whole word typed";
    ASSERT_EQ(results->topLevelItemCount(), 2) << "the broken and the local station are hidden";
    const QTreeWidgetItem* first = results->topLevelItem(0);
    EXPECT_EQ(first->text(0), "Jazz Welle");
    EXPECT_EQ(first->text(1), "Germany");
    EXPECT_EQ(first->text(2), "MP3");
    EXPECT_EQ(first->text(3), "128 kbit/s");
    EXPECT_EQ(results->topLevelItem(1)->text(0), "Jazz Lounge");

    // Down to the second station, Enter: it plays (through the click call) at once.
    results->setFocus();
    QTest::keyClick(results, Qt::Key_Down);
    QTest::keyClick(results, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !heard.calls.empty(); }, 20000));
    EXPECT_EQ(heard.calls.back(),
              std::make_pair(streams.Url("/live.ogg"), std::string("Jazz Lounge")));
    EXPECT_EQ(directory.Clicks(testsupport::DirectoryServer::Station("Jazz Lounge").uuid), 1);
    EXPECT_TRUE(finder->isVisible()) << "listening keeps the finder open";
    EXPECT_EQ(directory.Searches(), 1) << "Enter in the list does not search again";
    EXPECT_EQ(results->currentItem(), results->topLevelItem(1));

    // Closing the finder ends the listening.
    finder.reset();
    ASSERT_EQ(heard.calls.size(), 2u);
    EXPECT_EQ(heard.calls.back().first, "");
}

TEST_F(StationFinder, UseClosesWithTheStationsAddressAndTheEditorTakesIt) {
    radio::CFavoritesDlg editor(nullptr, [&](QWidget*) -> std::optional<std::string> {
        auto finder = Make(directory.Base());
        QTimer::singleShot(0, finder.get(), [&] {
            QTest::keyClicks(finder->NameField(), "Nachrichten");
            QTest::keyClick(finder->NameField(), Qt::Key_Return);
        });
        QObject::connect(finder->Results(), &QTreeWidget::currentItemChanged, finder.get(),
                         [&] { finder->UseButton()->click(); });
        if (finder->exec() != QDialog::Accepted)
            return std::nullopt;
        return finder->ChosenAddress();
    });
    ASSERT_TRUE(editor.FindButton());
    EXPECT_FALSE(editor.FindButton()->isHidden());
    QTimer::singleShot(0, &editor, [&] {
        editor.FindButton()->click();
        editor.accept();
    });
    ASSERT_EQ(editor.exec(), QDialog::Accepted);
    EXPECT_EQ(editor.address, streams.Url("/live.mp3"));
    EXPECT_TRUE(heard.calls.empty()) << "using a station does not play it";

    radio::CFavoritesDlg withoutFinder;
    ASSERT_TRUE(withoutFinder.FindButton());
    EXPECT_TRUE(withoutFinder.FindButton()->isHidden());
}

TEST_F(StationFinder, WithoutTheDirectoryTheFinderSaysSoAndNothingPlays) {
    auto finder = Make(testsupport::StreamServer::DeadAddress());
    finder->show();
    QTest::keyClicks(finder->NameField(), "jazz");
    QTest::keyClick(finder->NameField(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return finder->StatusLabel()->text() ==
                   Shown("The station directory cannot be reached");
        },
        20000))
        << finder->StatusLabel()->text().toStdString();
    EXPECT_EQ(finder->Results()->topLevelItemCount(), 0);
    EXPECT_FALSE(finder->ListenButton()->isEnabled());
    EXPECT_FALSE(finder->UseButton()->isEnabled());
    finder.reset();
    EXPECT_TRUE(heard.calls.empty());
}

TEST(StationFinderAddress, ComesFromTheEnvironmentOrTheDefaultAndMustBeANetworkAddress) {
    qputenv("TUNELINK_DIRECTORY_URL", "http://127.0.0.1:9/");
    EXPECT_EQ(radio::DirectoryBase(), "http://127.0.0.1:9");
    qputenv("TUNELINK_DIRECTORY_URL", "file:///etc");
    EXPECT_EQ(radio::DirectoryBase(), "");
    qunsetenv("TUNELINK_DIRECTORY_URL");
    EXPECT_EQ(radio::DirectoryBase(), catalogue::directory::kDefaultBase);
}
