// Dialog templates as data and the builder that makes widgets of them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTextEdit>
#include <string>

#include "ui/DialogBuilder.h"
#include "ui/DialogTemplate.h"

namespace {

using ui::BuildDialog;
using ui::DialogTemplateError;
using ui::LoadDialogTemplate;
using ui::ParseDialogTemplate;

ui::DialogTemplate Parse(const std::string& json) {
    return ParseDialogTemplate(
        std::span(reinterpret_cast<const std::uint8_t*>(json.data()), json.size()));
}

TEST(DialogUnits, ConvertLikeWindowsWithRoundedEdges) {
    // "MS Sans Serif" 8 points on Windows at 96 dpi: 6 x 13 base units.
    const ui::DialogBaseUnits units{6, 13};
    // OK of the favourite editor: 81,73 50x14 -> edges 121.5 -> 122, 118.6 -> 119, 196.5 -> 197,
    // 141.4 -> 141.
    EXPECT_EQ(ui::DialogUnitsToPixels(81, 73, 50, 14, units), QRect(122, 119, 75, 22));
    // Neighbours keep sharing their edge even when each size alone would round differently.
    const QRect a = ui::DialogUnitsToPixels(0, 0, 3, 3, units);
    const QRect b = ui::DialogUnitsToPixels(3, 3, 3, 3, units);
    EXPECT_EQ(a.right() + 1, b.left());
    EXPECT_EQ(a.bottom() + 1, b.top());
    EXPECT_EQ(ui::DialogUnitsToPixels(-2, 0, 2, 0, units), QRect(-3, 0, 3, 0));
}

TEST(DialogUnits, AverageWidthUsesTheAlphabetExtentHalvedAndRounded) {
    const ui::DialogTemplate t = LoadDialogTemplate(612);
    const QFont font = ui::TemplateFont(t);
    EXPECT_EQ(font.pixelSize(), 11) << "8 points at 96 dpi";
    const ui::DialogBaseUnits units = ui::BaseUnitsOf(font);
    const int extent = QFontMetrics(font).horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    EXPECT_LE(std::abs(units.averageWidth * 52 - extent), 52) << "rounded to the nearest pixel";
    EXPECT_EQ(units.height, QFontMetrics(font).height());
}

TEST(DialogTemplates, FavouriteEditorReadsAsListed) {
    const ui::DialogTemplate t = LoadDialogTemplate(612);
    EXPECT_EQ(t.caption, "Favorite...");  // a translator key, shown in German under German
    EXPECT_EQ(t.fontFace, "MS Shell Dlg");
    EXPECT_EQ(t.fontPoints, 8);
    EXPECT_EQ(t.cx, 265);
    EXPECT_EQ(t.cy, 97);
    EXPECT_TRUE(t.style & ui::ws::kCaption);
    EXPECT_TRUE(t.style & ui::ws::kSysMenu);
    EXPECT_TRUE(t.style & ui::ws::kModalFrame);
    // The six original controls stay where they were; the find button comes after them.
    ASSERT_EQ(t.controls.size(), 7u);
    const int ids[] = {1, 2, -1, -1, 1024, -1};
    const char* classes[] = {"Button", "Button", "Button", "Button", "Edit", "Static"};
    const int places[][4] = {{81, 73, 50, 14}, {134, 73, 50, 14}, {2, 0, 262, 63},
                             {2, 61, 262, 35}, {43, 27, 204, 14}, {20, 30, 16, 8}};
    for (std::size_t i = 0; i < 6; ++i) {
        const ui::DialogControl& c = t.controls[i];
        EXPECT_EQ(c.id, ids[i]);
        EXPECT_EQ(c.windowClass, classes[i]);
        EXPECT_EQ((std::array{c.x, c.y, c.cx, c.cy}),
                  (std::array{places[i][0], places[i][1], places[i][2], places[i][3]}));
        EXPECT_TRUE(c.style & ui::ws::kVisible);
    }
    EXPECT_EQ(t.controls[0].style & ui::ws::kButtonTypeMask, ui::ws::kDefPushButton);
    EXPECT_EQ(t.controls[2].style & ui::ws::kButtonTypeMask, ui::ws::kGroupBox);
    EXPECT_TRUE(t.controls[4].style & ui::ws::kEditAutoHScroll);
    EXPECT_TRUE(t.controls[4].style & ui::ws::kBorder);
    EXPECT_EQ(t.controls[5].text, "URL:");
    const ui::DialogControl& find = t.controls[6];
    EXPECT_EQ(find.id, 1025);
    EXPECT_EQ(find.windowClass, "Button");
    EXPECT_EQ((std::array{find.x, find.y, find.cx, find.cy}), (std::array{197, 73, 50, 14}));
    EXPECT_LE(find.x + find.cx, t.controls[3].x + t.controls[3].cx) << "inside the lower frame";
    EXPECT_GE(find.x, t.controls[1].x + t.controls[1].cx) << "right of Cancel";
}

TEST(DialogTemplates, AllFourLoadAndTheMailDialogIsComplete) {
    for (int number : {102, 105, 106, 612}) EXPECT_NO_THROW(LoadDialogTemplate(number)) << number;
    const ui::DialogTemplate mail = LoadDialogTemplate(105);
    EXPECT_EQ(mail.caption, "Pass me on...");
    EXPECT_EQ(mail.cx, 319);
    EXPECT_EQ(mail.cy, 164);
    EXPECT_TRUE(mail.exStyle & ui::ws::kExToolWindow);
    ASSERT_EQ(mail.controls.size(), 12u);
    ASSERT_NE(mail.FindControl(1017), nullptr);
    EXPECT_EQ(mail.FindControl(1017)->windowClass, "RICHEDIT");
    EXPECT_TRUE(mail.FindControl(1017)->style & ui::ws::kEditWantReturn);
    ASSERT_NE(mail.FindControl(1), nullptr);
    EXPECT_TRUE(mail.FindControl(1)->style & ui::ws::kDisabled) << "send starts disabled";
    EXPECT_EQ(mail.FindControl(1)->text, "Sen&d");
    EXPECT_NE(mail.controls[1].text.find("\r\n"), std::string::npos);

    const ui::DialogTemplate about = LoadDialogTemplate(106);
    for (int id : {1001, 1002, 1007}) EXPECT_NE(about.FindControl(id), nullptr) << id;
    const ui::DialogTemplate radio = LoadDialogTemplate(102);
    ASSERT_NE(radio.FindControl(1013), nullptr);
    EXPECT_FALSE(radio.FindControl(1013)->style & ui::ws::kVisible)
        << "NOT WS_VISIBLE hides the trackbar";
    EXPECT_FALSE(radio.style & ui::ws::kCaption);
    EXPECT_TRUE(radio.exStyle & ui::ws::kExAppWindow);
}

TEST(DialogTemplates, MalformedTemplatesAreRejected) {
    const std::string good =
        R"({"style":[],"x":0,"y":0,"cx":10,"cy":10,"font":{"face":"MS Shell Dlg","points":8},"controls":[)";
    EXPECT_NO_THROW(Parse(good + "]}"));
    EXPECT_THROW(Parse("{"), DialogTemplateError);
    EXPECT_THROW(Parse("[]"), DialogTemplateError);
    EXPECT_THROW(
        Parse(good +
              R"({"id":1,"class":"Button","style":["WS_NONSENSE"],"x":0,"y":0,"cx":1,"cy":1}]})"),
        DialogTemplateError);
    EXPECT_THROW(Parse(good + R"({"id":1,"class":"Button","x":0,"y":0,"cx":-1,"cy":1}]})"),
                 DialogTemplateError);
    EXPECT_THROW(Parse(good + R"({"id":1,"class":"Button","x":0,"y":0,"cx":40000,"cy":1}]})"),
                 DialogTemplateError);
    EXPECT_THROW(Parse(good + R"({"id":1.5,"class":"Button","x":0,"y":0,"cx":1,"cy":1}]})"),
                 DialogTemplateError);
    EXPECT_THROW(Parse(good + R"({"id":1,"x":0,"y":0,"cx":1,"cy":1}]})"), DialogTemplateError);
    EXPECT_THROW(Parse(good + R"(7]})"), DialogTemplateError);
    EXPECT_THROW(Parse(R"({"cx":1,"cy":1,"x":0,"y":0,"font":{"points":8},"controls":[]})"),
                 DialogTemplateError);
    EXPECT_THROW(LoadDialogTemplate(9999), DialogTemplateError);
}

TEST(DialogBuilder, FavouriteEditorHasItsControlsInPlaceWithOkFocusedFirst) {
    QDialog dialog;
    const ui::DialogTemplate t = LoadDialogTemplate(612);
    const ui::DialogItems items = BuildDialog(dialog, t);
    ASSERT_EQ(items.InOrder().size(), 7u);

    const ui::DialogBaseUnits units = ui::BaseUnitsOf(dialog.font());
    EXPECT_EQ(dialog.size(), ui::DialogUnitsToPixels(0, 0, 265, 97, units).size());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Favorite..."));
    for (std::size_t i = 0; i < 7; ++i) {
        const ui::DialogControl& c = t.controls[i];
        EXPECT_EQ(items.InOrder()[i]->geometry(),
                  ui::DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, units))
            << i;
    }

    auto* ok = items.ItemAs<QPushButton>(1);
    auto* cancel = items.ItemAs<QPushButton>(2);
    auto* edit = items.ItemAs<QLineEdit>(1024);
    ASSERT_TRUE(ok && cancel && edit);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(cancel->isDefault());
    EXPECT_TRUE(edit->hasFrame());
    EXPECT_TRUE(qobject_cast<QGroupBox*>(items.InOrder()[2]));
    auto* label = qobject_cast<QLabel*>(items.InOrder()[5]);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), QStringLiteral("URL:"));
    EXPECT_EQ(items.Item(-1), nullptr) << "unnamed controls are not addressable";

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(dialog.focusWidget(), ok);
    // Template order is the tab order: OK, Cancel, the address, find, and round again.
    auto* find = items.ItemAs<QPushButton>(1025);
    ASSERT_TRUE(find);
    QTest::keyClick(ok, Qt::Key_Tab);
    EXPECT_EQ(dialog.focusWidget(), cancel);
    QTest::keyClick(cancel, Qt::Key_Tab);
    EXPECT_EQ(dialog.focusWidget(), edit);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(dialog.focusWidget(), find);
    QTest::keyClick(find, Qt::Key_Tab);
    EXPECT_EQ(dialog.focusWidget(), ok);
}

TEST(DialogBuilder, OkAcceptsAndCancelRejects) {
    for (const bool pressOk : {true, false}) {
        QDialog dialog;
        const ui::DialogItems items = BuildDialog(dialog, LoadDialogTemplate(612));
        dialog.show();
        QTest::mouseClick(items.ItemAs<QPushButton>(pressOk ? 1 : 2), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), pressOk ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST(DialogBuilder, MailDialogControlsAndStates) {
    QDialog dialog;
    const ui::DialogItems items = BuildDialog(dialog, LoadDialogTemplate(105));
    ASSERT_EQ(items.InOrder().size(), 12u);
    auto* send = items.ItemAs<QPushButton>(1);
    ASSERT_TRUE(send);
    EXPECT_FALSE(send->isEnabled());
    EXPECT_EQ(send->text(), QStringLiteral("Sen&d"));
    EXPECT_TRUE(items.ItemAs<QTextEdit>(1017));
    EXPECT_TRUE(items.ItemAs<QLineEdit>(1012));
    EXPECT_TRUE(items.ItemAs<QLineEdit>(1015));
    auto* icon = qobject_cast<QLabel*>(items.InOrder()[0]);
    ASSERT_TRUE(icon);
    EXPECT_FALSE(icon->pixmap().isNull()) << "the icon control shows icon 128";
    auto* hint = qobject_cast<QLabel*>(items.InOrder()[1]);
    ASSERT_TRUE(hint);
    EXPECT_TRUE(hint->text().contains(QLatin1Char('\n')));
    EXPECT_TRUE(hint->text().startsWith(QStringLiteral("Separate multiple recipients")));
    auto* to = qobject_cast<QLabel*>(items.InOrder()[2]);
    ASSERT_TRUE(to);
    EXPECT_TRUE(to->alignment() & Qt::AlignRight);

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.focusWidget(), items.Item(1012)) << "the disabled send button is skipped";
}

TEST(DialogBuilder, RadioWindowKeepsItsTrackbarHiddenAndIsFrameless) {
    QDialog dialog;
    const ui::DialogItems items = BuildDialog(dialog, LoadDialogTemplate(102));
    auto* trackbar = items.ItemAs<QSlider>(1013);
    ASSERT_TRUE(trackbar);
    dialog.show();
    EXPECT_FALSE(trackbar->isVisible());
    EXPECT_TRUE(items.ItemAs<QLabel>(1000));
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
}

TEST(DialogBuilder, SkinnedTemplatesLineUpWithTheirPictures) {
    // The radio's web link covers the maker's badge in the background picture...
    QDialog radio;
    const ui::DialogItems radioItems = BuildDialog(radio, LoadDialogTemplate(102));
    ASSERT_TRUE(radioItems.Item(1000));
    EXPECT_EQ(radioItems.Item(1000)->geometry(), QRect(QPoint(32, 354), QPoint(137, 470)));
    // ...and the about box's close button lies on the round button drawn at (289,10).
    QDialog about;
    const ui::DialogItems aboutItems = BuildDialog(about, LoadDialogTemplate(106));
    ASSERT_TRUE(aboutItems.Item(1007));
    EXPECT_EQ(aboutItems.Item(1007)->pos(), QPoint(289, 10));
    for (QWidget* item : aboutItems.InOrder()) {
        EXPECT_TRUE(QRect(0, 0, 316, 316).contains(item->geometry()))
            << item->property("dialogItemId").toInt();
    }
}

TEST(DialogBuilder, UnknownWindowClassIsAnError) {
    const std::string json =
        R"({"style":[],"x":0,"y":0,"cx":10,"cy":10,"font":{"face":"MS Shell Dlg","points":8},)"
        R"("controls":[{"id":5,"class":"SysListView32","x":0,"y":0,"cx":5,"cy":5}]})";
    QDialog dialog;
    EXPECT_THROW(BuildDialog(dialog, Parse(json)), DialogTemplateError);
}

}  // namespace
