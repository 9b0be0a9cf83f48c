// Start-up: the manifest step, the file check with its animation, and the
// road to the intro and main windows.
#include "shell/running_mark.h"
#include "tests/tarrow/tarrow_fixture.h"

namespace tarrow {
namespace {

using testing::TarrowFixture;

class Startup : public TarrowFixture {};

TEST_F(Startup, FirstStartWritesTheManifestRestartsAndShowsNothing) {
    InstallImages();
    std::filesystem::create_directories(emulated.hostPath("C:\\Program Files\\Tarrow"));
    emulated.setCommandLine("\"C:\\Program Files\\Tarrow\\Tarrow.exe\"");
    app->Start();

    const std::string manifest = "C:\\Program Files\\Tarrow\\Tarrow.exe.manifest";
    const auto attributes = p.GetFileAttributesA(manifest);
    ASSERT_NE(attributes, platform::kInvalidFileAttributes);
    EXPECT_EQ(attributes & (platform::kFileAttributeHidden | platform::kFileAttributeSystem),
              platform::kFileAttributeHidden | platform::kFileAttributeSystem);
    ASSERT_EQ(emulated.startedProcesses().size(), 1u);
    EXPECT_EQ(emulated.startedProcesses()[0].commandLine,
              "\"C:\\Program Files\\Tarrow\\Tarrow.exe\" ");
    EXPECT_TRUE(driver.programEnded());
    EXPECT_TRUE(driver.createdForms().empty()) << "no window of the first instance appears";
}

TEST_F(Startup, TarrowIsKnownToRunFromItsMakingToItsEnd) {
    EXPECT_TRUE(shell::TarrowRuns(p)) << "before any window";
    app.reset();
    EXPECT_FALSE(shell::TarrowRuns(p));
}

TEST_F(Startup, TheRestartedInstanceFindsTheManifestAndChecksItsFiles) {
    InstallImages();
    PlaceManifest();
    app->Start();
    EXPECT_TRUE(emulated.startedProcesses().empty());
    EXPECT_FALSE(driver.programEnded());
    EXPECT_TRUE(app->Check().visible());
    ASSERT_NE(app->Check().picture(), nullptr);
    EXPECT_TRUE(app->Check().Timer1.enabled());
    EXPECT_FALSE(app->Filee().loaded()) << "the missing-files window waits until a file is missing";
}

TEST_F(Startup, ACompleteFolderLeadsThroughSixteenStepsToTheIntroWindow) {
    InstallImages();
    PlaceManifest();
    app->Start();
    CheckForm& check = app->Check();
    std::vector<std::string> captions;
    for (int tick = 0; tick < 16; ++tick) {
        driver.fireTimer(check.Timer1);
        captions.push_back(check.Label1.caption());
    }
    EXPECT_EQ(check.PB1.value(), 16.0f);
    EXPECT_EQ(captions.back(), "") << "the sixteenth step shows the empty slot";
    EXPECT_FALSE(app->Form1().loaded());

    driver.fireTimer(check.Timer1);
    EXPECT_FALSE(check.visible());
    EXPECT_TRUE(check.loaded());
    EXPECT_TRUE(app->Form1().visible());
    EXPECT_NE(app->Form1().picture(), nullptr) << "main(With).jpg, found whatever its case";
    EXPECT_FALSE(check.Timer1.enabled());
    EXPECT_FALSE(app->Filee().visible());
    for (std::size_t i = 0; i < kExpectedCount; ++i) {
        EXPECT_EQ(check.FileMarks()[i], "Yes") << kExpectedFiles[i];
    }
    EXPECT_TRUE(driver.messages().empty());
    // Start-up touches no registry value: the markers' key was never made.
    EXPECT_EQ(modregistry::GetValue(p, RegistryRoot::CurrentUser, "Consol", "Change", "absent"),
              "absent");
}

TEST_F(Startup, AMissingOrMisspelledFileShowsFileeAndStopsThere) {
    struct Case {
        const char* name;
        std::function<void(testing::TarrowWorld&)> prepare;
    };
    const Case cases[] = {
        {"one missing", [](testing::TarrowWorld& f) { f.InstallImages("Slow.jpg"); }},
        {"other letter case",
         [](testing::TarrowWorld& f) {
             f.InstallImages("main(with).jpg");
             f.AddFile("Main(with).jpg");
         }},
        {"no images folder", [](testing::TarrowWorld&) {}},
        {"seventeen files, a listed one last",
         [](testing::TarrowWorld& f) {
             f.InstallImages();
             f.AddFile("aa1.txt");
             f.AddFile("aa2.txt");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TarrowWorld fresh;
        c.prepare(fresh);
        fresh.StartAndCheck();
        EXPECT_TRUE(fresh.app->Filee().visible());
        const bool hasPicture = fresh.p.GetFileAttributesA(fresh.Images() + "\\exist.jpg") !=
                                platform::kInvalidFileAttributes;
        EXPECT_EQ(fresh.app->Filee().picture() != nullptr, hasPicture);
        EXPECT_TRUE(fresh.app->Check().visible());
        EXPECT_FALSE(fresh.app->Form1().loaded());
        EXPECT_FALSE(fresh.app->Check().Timer1.enabled());

        fresh.driver.clickAt(fresh.app->Filee(), {2000, 2000});
        EXPECT_TRUE(fresh.driver.programEnded()) << "a click on Filee ends the program";
    }
}

} // namespace
} // namespace tarrow

namespace tarrow {
namespace {

using testing::TarrowFixture;

class FileCheck : public TarrowFixture {};

TEST_F(FileCheck, FindsFilesInSubFoldersAfterTheFolderItself) {
    InstallImages("Star.jpg");
    AddFile("Star.jpg", "more");
    StartAndCheck();
    const Slots& found = app->Check().FoundFiles();
    EXPECT_EQ(found[14], "Star.jpg") << "the sub-folder's file comes after the folder's own";
    EXPECT_TRUE(app->Form1().visible());
}

// A link to another folder (a junction or a symbolic link) is not followed:
// the check counts what lies in the images folder itself, and a link
// cannot lead it round in circles or out to folders elsewhere.
TEST_F(FileCheck, FolderLinksAreNotFollowed) {
    InstallImages("Star.jpg");
    const std::string elsewhere = "C:\\Elsewhere";
    std::filesystem::create_directories(emulated.hostPath(elsewhere));
    ASSERT_TRUE(platform::WriteWholeFile(p, elsewhere + "\\Star.jpg", testing::kJpegBytes));
    std::filesystem::create_directory_symlink(emulated.hostPath(elsewhere),
                                              emulated.hostPath(Images()) + "/linked");
    std::filesystem::create_directory_symlink(emulated.hostPath(Images()),
                                              emulated.hostPath(Images()) + "/loop");
    StartAndCheck();
    EXPECT_EQ(app->Check().FoundFiles()[14], "") << "nothing was found through a link";
    EXPECT_TRUE(app->Filee().visible()) << "Star.jpg lies only behind the link";
    EXPECT_TRUE(driver.messages().empty());
}

TEST_F(FileCheck, SixteenFilesAreAllShownAndTicked) {
    InstallImages();
    AddFile("zz-extra.txt");
    StartAndCheck();
    EXPECT_EQ(app->Check().FoundFiles()[15], "zz-extra.txt");
    EXPECT_TRUE(app->Form1().visible());
    EXPECT_FALSE(app->Filee().visible());
}

TEST_F(FileCheck, EighteenFilesReportTheOverflowOnceBeforeTheWindowShows) {
    InstallImages();
    AddFile("aa1.txt");
    AddFile("aa2.txt");
    AddFile("aa3.txt");
    PlaceManifest();
    app->Check().load();
    ASSERT_EQ(driver.messages().size(), 1u);
    EXPECT_EQ(driver.messages()[0].text, "Error: 9 - Subscript out of range");
    EXPECT_EQ(driver.messages()[0].title, "Unexpected Error");
    EXPECT_EQ(driver.messages()[0].style, ui::mb::kOkOnly);
    EXPECT_FALSE(app->Check().visible());
    EXPECT_EQ(app->Check().FoundFiles()[16], "Star.jpg") << "names found before stay";
    // The box's message loop ran, but the animation waits for the search.
    EXPECT_EQ(app->Check().PB1.value(), 0.0f);
    EXPECT_FALSE(app->Form1().loaded());

    app->Check().show();
    driver.runTimers(100);
    EXPECT_TRUE(app->Filee().visible()) << "Working.jpg did not fit";
    EXPECT_EQ(driver.messages().size(), 1u);
}

TEST_F(FileCheck, HiddenAndSystemFilesCountButFoldersDoNot) {
    InstallImages();
    const std::string manifest = Images() + "\\rollback.exe.manifest";
    ASSERT_TRUE(p.SetFileAttributesA(manifest, platform::kFileAttributeHidden |
                                                   platform::kFileAttributeSystem));
    MakeImagesFolder("empty folder");
    StartAndCheck();
    EXPECT_TRUE(app->Form1().visible());
    for (const std::string& name : app->Check().FoundFiles()) {
        EXPECT_NE(name, "empty folder");
    }
}

TEST_F(FileCheck, FindFilesTakesAFolderWithOrWithoutItsBackslashAndCountsWhatItStored) {
    InstallImages();
    AddFile("Star.jpg", "more");
    EXPECT_EQ(app->Check().FindFiles(Images(), "*.*"), kExpectedCount + 1);
    EXPECT_EQ(app->Check().FoundFiles()[0], "exist.jpg");
    EXPECT_EQ(app->Check().FindFiles(Images() + "\\more\\", "*.*"), 1u) << "the same with it";
    EXPECT_EQ(app->Check().FoundFiles()[16], "Star.jpg");
}

TEST_F(FileCheck, AnUnexaminableSysEntryIsPassedOverAndAnyOtherIsReported) {
    struct Case {
        const char* name;
        bool reported;
    };
    for (const Case c : {Case{"pagefile.sys", false}, Case{"PAGEFILE.SYS", true}}) {
        SCOPED_TRACE(c.name);
        testing::TarrowWorld fresh;
        fresh.InstallImages();
        fresh.AddFile(c.name);
        fresh.emulated.lockAgainstExamination(fresh.Images() + "\\" + c.name);
        fresh.StartAndCheck();
        if (c.reported) {
            ASSERT_EQ(fresh.driver.messages().size(), 1u);
            EXPECT_EQ(fresh.driver.messages()[0].title, "Unexpected Error");
            EXPECT_EQ(fresh.driver.messages()[0].text.rfind("Error: ", 0), 0u);
            EXPECT_EQ(fresh.app->Check().FoundFiles()[0], "") << "the folder's search ended";
            EXPECT_TRUE(fresh.app->Filee().visible());
        } else {
            EXPECT_TRUE(fresh.driver.messages().empty());
            EXPECT_TRUE(fresh.app->Form1().visible()) << "the listed files are all ticked off";
        }
    }
}

TEST_F(FileCheck, MissingPicturesLeaveTheWindowsBlankButTheCheckRuns) {
    InstallImages();
    ASSERT_TRUE(p.DeleteFileA(Images() + "\\search.jpg"));
    ASSERT_TRUE(p.DeleteFileA(Images() + "\\exist.jpg"));
    StartAndCheck();
    EXPECT_EQ(app->Check().picture(), nullptr);
    EXPECT_TRUE(app->Filee().visible());
    EXPECT_EQ(app->Filee().picture(), nullptr);
}

} // namespace
} // namespace tarrow
