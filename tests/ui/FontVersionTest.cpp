#include "ui/AppFont.h"
#include "ui/VersionCode.h"

#include <gtest/gtest.h>

TEST(AppFont, SettersReportThePreviousState) {
    ui::CAppFont font;
    EXPECT_EQ(font.FaceName(), "Times New Roman");
    EXPECT_EQ(font.Height(), -12);
    EXPECT_EQ(font.SetHeight(-10), -12);
    EXPECT_EQ(font.Font().pixelSize(), 10);
    EXPECT_FALSE(font.SetBold(true));
    EXPECT_TRUE(font.SetBold(false));
    EXPECT_EQ(font.Weight(), 400);
    font.SetFaceName("Verdana");
    EXPECT_EQ(font.Font().family(), "Verdana");
}

TEST(VersionCode, LevelsAndThresholds) {
    using P = ui::SystemVersion::Platform;
    EXPECT_EQ(ui::VersionCodeFor({P::Legacy, 4, 0, 950}), 1);
    EXPECT_EQ(ui::VersionCodeFor({P::Legacy, 4, 10, 2221}), 3);
    EXPECT_EQ(ui::VersionCodeFor({P::Legacy, 4, 10, 2222}), 4);
    EXPECT_EQ(ui::VersionCodeFor({P::Legacy, 4, 90, 3000}), 5);
    EXPECT_EQ(ui::VersionCodeFor({P::Modern, 4, 0, 1381}), 2);
    EXPECT_EQ(ui::VersionCodeFor({P::Modern, 5, 0, 2195}), 6);
    EXPECT_EQ(ui::VersionCodeFor({P::Modern, 5, 1, 2600}), 7);
    EXPECT_EQ(ui::VersionCodeFor({P::Modern, 6, 0, 6000}), 8);
    EXPECT_EQ(ui::VersionCodeFor({P::Other, 1, 0, 0}), 0);
    EXPECT_EQ(ui::GetOSVersionCode(), 8);
    EXPECT_TRUE(ui::CanBlendWindows() && ui::CanUseDropShadow() && ui::CanAnimateWindows());
}
