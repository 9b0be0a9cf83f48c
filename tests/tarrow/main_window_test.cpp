// The main window: which hot areas the markers offer, and where each hot
// area leads.
#include "shutdown/timeout_places.h"
#include "tests/tarrow/tarrow_fixture.h"

namespace tarrow {
namespace {

using testing::TarrowFixture;

class MainWindow : public TarrowFixture {
protected:
    MainForm& form2() { return app->Form2(); }
    void SetMarker(const Marker& marker, const std::string& text) {
        ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, RegistryRoot::CurrentUser,
                                          std::string(marker.keyPath),
                                          std::string(marker.valueName), text));
    }
};

TEST_F(MainWindow, TheMarkersDecideWhichHotAreasItOffers) {
    struct Case {
        const char* saved; // nullptr: never written
        const char* change;
        bool label6, label7, label5;
    };
    const Case cases[] = {
        {nullptr, nullptr, true, false, false}, {"1", "0", false, true, false},
        {"0", "1", true, false, true},          {"1", "1", false, true, true},
        {"1\r\n", " 1 ", false, true, true},    {"yes", "2", true, false, false},
        {"", "   ", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.saved ? c.saved : "-") + "/" + (c.change ? c.change : "-"));
        testing::TarrowWorld world;
        if (c.saved != nullptr) {
            modregistry::SetValue(world.p, ValueKind::Text, RegistryRoot::CurrentUser,
                                  "Control Panel\\Desktop", "Beforce", c.saved);
        }
        if (c.change != nullptr) {
            modregistry::SetValue(world.p, ValueKind::Text, RegistryRoot::CurrentUser, "Consol",
                                  "Change", c.change);
        }
        world.StartToMainWindow();
        MainForm& main = world.app->Form2();
        ASSERT_TRUE(main.visible());
        EXPECT_EQ(main.Label6.visible(), c.label6);
        EXPECT_EQ(main.Label7.visible(), c.label7);
        EXPECT_EQ(main.Label5.visible(), c.label5);
        EXPECT_FALSE(main.PB1.visible());
    }
}

TEST_F(MainWindow, TheIntroHotAreaHidesTheIntroAndShowsTheMenu) {
    InstallImages();
    StartAndCheck();
    driver.click(app->Form1().Label1);
    EXPECT_FALSE(app->Form1().visible());
    EXPECT_TRUE(app->Form1().loaded());
    EXPECT_TRUE(form2().visible());
    EXPECT_NE(form2().picture(), nullptr);
}

TEST_F(MainWindow, PicturesGoneAfterTheCheckLeaveWindowsBlankButWorking) {
    InstallImages();
    PlaceManifest();
    app->Start();
    // The search has seen every file; the pictures disappear before the
    // intro and main windows load theirs.
    ASSERT_TRUE(p.DeleteFileA(Images() + "\\main(with).jpg"));
    ASSERT_TRUE(p.DeleteFileA(Images() + "\\manu 2.jpg"));
    driver.runTimers(100);
    ASSERT_TRUE(app->Form1().visible());
    EXPECT_EQ(app->Form1().picture(), nullptr);
    driver.click(app->Form1().Label1);
    ASSERT_TRUE(form2().visible());
    EXPECT_EQ(form2().picture(), nullptr);
    driver.click(form2().Label8);
    EXPECT_TRUE(app->Form7().visible()) << "the hot areas still work";
}

TEST_F(MainWindow, WithTheSpeedUpInForceTheSettingsPlaceOpensTheNotice) {
    SetMarker(kSavedMarker, "1");
    SetMarker(kChangeMarker, "0");
    StartToMainWindow();
    driver.clickAt(form2(), form2().Label6.rect().center());
    EXPECT_TRUE(app->Form6().visible());
    EXPECT_FALSE(form2().enabled());

    // Its upper label does nothing; anywhere else closes it.
    driver.click(*app->Form6().label());
    EXPECT_TRUE(app->Form6().visible());
    driver.clickAt(app->Form6(), {2000, 3000});
    EXPECT_FALSE(app->Form6().visible());
    EXPECT_TRUE(form2().enabled());
}

TEST_F(MainWindow, HelpClosesOnlyFromItsLowerLeftCorner) {
    StartToMainWindow();
    driver.click(form2().Label8);
    PictureWindow& help = app->Form7();
    ASSERT_TRUE(help.visible());
    EXPECT_FALSE(form2().enabled());
    EXPECT_NE(help.picture(), nullptr) << "recomend.jpg, found whatever its case";

    driver.clickAt(help, {3000, 3000});
    driver.clickAt(help, {7000, 300});
    EXPECT_TRUE(help.visible());
    EXPECT_FALSE(driver.drag(help, {3000, 3000}, static_cast<int>(ui::MouseButton::Left)))
        << "help does not drag";
    // Closing enables the intro window as well (hidden, it shows no change).
    app->Form1().setEnabled(false);
    driver.click(*help.label());
    EXPECT_FALSE(help.visible());
    EXPECT_TRUE(form2().enabled());
    EXPECT_TRUE(app->Form1().enabled());
}

TEST_F(MainWindow, InformationClosesOnlyFromItsUpperRightCornerAndCanBeDragged) {
    StartToMainWindow();
    driver.click(form2().Label2);
    PictureWindow& info = app->Form3();
    ASSERT_TRUE(info.visible());
    EXPECT_EQ(info.owner(), &form2()) << "placed centred on the main window";

    EXPECT_TRUE(driver.drag(info, {1000, 2000}, static_cast<int>(ui::MouseButton::Left)));
    driver.clickAt(info, {1000, 2000});
    EXPECT_TRUE(info.visible());
    app->Form1().setEnabled(false);
    driver.click(*info.label());
    EXPECT_FALSE(info.visible());
    EXPECT_TRUE(form2().enabled());
    EXPECT_TRUE(app->Form1().enabled());
}

TEST_F(MainWindow, ADisabledMainWindowTakesNoClicksAndNoDrags) {
    StartToMainWindow();
    driver.click(form2().Label8);
    ASSERT_FALSE(form2().enabled());
    driver.click(form2().Label2);
    EXPECT_FALSE(app->Form3().loaded());
    EXPECT_FALSE(driver.drag(form2(), {3000, 1000}, static_cast<int>(ui::MouseButton::Left)));
    driver.click(form2().Label1);
    EXPECT_FALSE(driver.programEnded());
}

TEST_F(MainWindow, OnlyALeftButtonMoveOnTheSurfaceDragsIt) {
    StartToMainWindow();
    const int left = static_cast<int>(ui::MouseButton::Left);
    const int right = static_cast<int>(ui::MouseButton::Right);
    EXPECT_TRUE(driver.drag(form2(), {3000, 1000}, left));
    EXPECT_FALSE(driver.drag(form2(), {3000, 1000}, right));
    EXPECT_FALSE(driver.drag(form2(), {3000, 1000}, left | right));
    EXPECT_FALSE(driver.drag(form2(), form2().Label3.rect().center(), left))
        << "a press on a hot area belongs to the hot area";
}

TEST_F(MainWindow, TheIntroWindowDragsWithTheLeftButtonOnly) {
    InstallImages();
    StartAndCheck();
    IntroForm& intro = app->Form1();
    ASSERT_TRUE(intro.visible());
    EXPECT_FALSE(driver.drag(intro, {1000, 1000}, static_cast<int>(ui::MouseButton::Right)));
    EXPECT_TRUE(driver.drag(intro, {1000, 1000}, static_cast<int>(ui::MouseButton::Left)));
    EXPECT_TRUE(intro.visible()) << "a drag is not a click on the hot area";
}

TEST_F(MainWindow, HiddenHotAreasTakeNoClicksAndExitEndsTheProgram) {
    StartToMainWindow();
    ASSERT_FALSE(form2().Label7.visible());
    // Label6 lies under the hidden Label7: the click opens the settings.
    driver.clickAt(form2(), form2().Label7.rect().center());
    EXPECT_FALSE(app->Form6().loaded());
    EXPECT_TRUE(app->Working().visible());
    driver.click(app->Working().Command2);
    EXPECT_TRUE(form2().enabled());

    driver.click(form2().Label1);
    EXPECT_TRUE(driver.programEnded());
    driver.click(form2().Label8);
    EXPECT_FALSE(app->Form7().loaded()) << "nothing runs after the end";
}

TEST_F(MainWindow, RatingWindowsCloseAnywhereAndKeepTheirPicture) {
    StartToMainWindow();
    for (PictureWindow* rating : {&app->Star(), &app->Fast(), &app->Normal(), &app->Slow()}) {
        SCOPED_TRACE(rating->name());
        form2().setEnabled(false);
        rating->show(&form2());
        const ui::Picture* first = rating->picture().get();
        ASSERT_NE(first, nullptr);
        driver.clickAt(*rating, {100, 100});
        EXPECT_FALSE(rating->visible());
        EXPECT_TRUE(form2().enabled());
        rating->show(&form2());
        EXPECT_EQ(rating->picture().get(), first) << "loaded once, shown again";
        rating->hide();
    }
}

} // namespace
} // namespace tarrow
