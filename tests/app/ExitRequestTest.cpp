#include "app/ExitRequest.h"

#include <gtest/gtest.h>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <string>
#include <vector>

// A dialog open over the radio (a favourite being edited, a message) is cancelled first;
// its loop returns into the radio's handler, and then the radio ends as by Exit.
TEST(ExitRequest, DialogsOverTheRadioCloseFirstThenTheRadio) {
    QDialog radio;
    std::vector<std::string> order;
    QObject::connect(&radio, &QDialog::rejected, [&] { order.push_back("radio"); });
    QTimer::singleShot(0, &radio, [&] {
        QDialog editor(&radio);
        QTimer::singleShot(50, &radio, [&] { app::CloseLikeExit(radio); });
        const int answer = editor.exec();
        order.push_back(answer == QDialog::Rejected ? "editor cancelled" : "editor accepted");
    });
    QTimer::singleShot(5000, &radio, [&] { radio.accept(); });  // never hang the test
    radio.exec();
    EXPECT_EQ(order, (std::vector<std::string>{"editor cancelled", "radio"}));
    EXPECT_EQ(radio.result(), QDialog::Rejected);
}
