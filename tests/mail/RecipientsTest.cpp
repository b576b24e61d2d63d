#include "mail/Recipients.h"

#include <gtest/gtest.h>

using mail::CommasToSemicolons;
using mail::FindUnsafeRecipient;
using mail::RecipientsLookSendable;
using mail::SplitRecipients;
using Strings = std::vector<std::string>;

TEST(RecipientsTest, SplitsAtSemicolonsUntilTheFirstEmptyField) {
    EXPECT_EQ(SplitRecipients("anna@x.de"), Strings{"anna@x.de"});
    EXPECT_EQ(SplitRecipients("anna@x.de;ben@y.de;"), (Strings{"anna@x.de", "ben@y.de"}));
    EXPECT_EQ(SplitRecipients("anna@x.de;;ben@y.de"), Strings{"anna@x.de"});
    EXPECT_EQ(SplitRecipients(";anna@x.de"), Strings{});
    EXPECT_EQ(SplitRecipients(""), Strings{});
    // Blanks around an address belong to the separator, as in the dialog's own example.
    EXPECT_EQ(SplitRecipients(" anna@x.de ;  ;\tben@y.de"), (Strings{"anna@x.de", "ben@y.de"}));
}

TEST(RecipientsTest, CommasSeparateToo) {
    EXPECT_EQ(CommasToSemicolons("anna@x.de,ben@y.de, carl@z.de"), "anna@x.de;ben@y.de; carl@z.de");
    EXPECT_EQ(SplitRecipients(CommasToSemicolons("anna@x.de,,ben@y.de")), Strings{"anna@x.de"});
}

TEST(RecipientsTest, SendableNeedsAnAtSignAndAFullStopAnywhere) {
    EXPECT_FALSE(RecipientsLookSendable(""));
    EXPECT_FALSE(RecipientsLookSendable("anna@x"));
    EXPECT_FALSE(RecipientsLookSendable("anna.x.de"));
    EXPECT_TRUE(RecipientsLookSendable("anna@x.de"));
    EXPECT_TRUE(RecipientsLookSendable(".anna@x"));
}

TEST(RecipientsTest, FindsTheAddressThatCouldInjectOptionsOrHeaders) {
    EXPECT_EQ(FindUnsafeRecipient("anna@x.de; ben@y.de"), std::nullopt);
    EXPECT_EQ(FindUnsafeRecipient("anna@x.de,--attach=/etc/passwd"), "--attach=/etc/passwd");
    EXPECT_EQ(FindUnsafeRecipient("anna@x.de?attach=/etc/passwd"), "anna@x.de?attach=/etc/passwd");
    EXPECT_EQ(FindUnsafeRecipient("a@x.de;anna b@x.de"), "anna b@x.de");
    EXPECT_EQ(FindUnsafeRecipient("a@x.de&cc=spam@y.de"), "a@x.de&cc=spam@y.de");
    // Only what is sent counts: the list ends at the first empty field.
    EXPECT_EQ(FindUnsafeRecipient("a@x.de;;-x"), std::nullopt);
}
