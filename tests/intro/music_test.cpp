// The music: start, per-frame update, reload when the song ends, stop, and
// the messages on standard error. Sound goes to SDL's dummy audio driver.
#include <gtest/gtest.h>

#include <mikmod.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "data_folder.h"
#include "fake_screen.h"
#include "intro/intro.h"

namespace {

using data_test::count_lines;
using data_test::DataFolder;

// Makes the player see the end of the song, as after its last row.
void force_song_end() { music_module->sngpos = music_module->numpos; }

template <typename F>
std::string captured_stderr(F&& f) {
    testing::internal::CaptureStderr();
    f();
    return testing::internal::GetCapturedStderr();
}

TEST(Music, PlaysTheSongQuietlyAndStops) {
    const DataFolder folder;
    const std::string errors = captured_stderr([] {
        music_start();
        ASSERT_NE(music_module, nullptr);
        EXPECT_EQ(music_module->numchn, 4);
        EXPECT_TRUE(Player_Active());
        MODULE* const playing = music_module;
        for (int frame = 0; frame < 10; ++frame) music_update();
        EXPECT_EQ(music_module, playing);
        music_stop();
    });
    EXPECT_EQ(music_module, nullptr);
    EXPECT_EQ(errors, "");
}

TEST(Music, MissingModuleGivesExactlyOneErrorLine) {
    const DataFolder folder("ocean.xm");
    const std::string errors = captured_stderr([] {
        music_start();
        EXPECT_EQ(music_module, nullptr);
        for (int frame = 0; frame < 10; ++frame) music_update();
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(errors.rfind("Error loading: ", 0), 0u) << errors;
    EXPECT_EQ(count_lines(errors), 1) << errors;
}

// A pipe in place of the module never reaches the library, whose reader would
// wait for a writer for good (alarm() ends a test that blocks): start-up
// prints the line of a missing file, and a reload that meets a pipe is as
// silent as one that meets no file.
TEST(Music, ModuleOnAPipeIsRefusedLikeAMissingOne) {
    alarm(20);
    DataFolder folder;
    const std::string errors = captured_stderr([&] {
        music_start();
        ASSERT_NE(music_module, nullptr);
        folder.remove("ocean.xm");
        ASSERT_EQ(mkfifo("ocean.xm", 0600), 0);
        force_song_end();
        music_update();
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(errors, "");

    const std::string start_errors = captured_stderr([] {
        music_start();
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(start_errors, "Error loading: Could not open requested file\n");
    alarm(0);
}

// Standard error of music_start, caught by hand: in a death test's child
// process GoogleTest already holds standard error.
std::string stderr_of_music_start() {
    std::FILE* caught = std::tmpfile();
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(caught), STDERR_FILENO);
    music_start();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string text;
    std::rewind(caught);
    for (int c; (c = std::fgetc(caught)) != EOF;) text += static_cast<char>(c);
    std::fclose(caught);
    return text;
}

// With the library's own choice of output instead of SDL's dummy driver, a
// machine without sound fails to initialise it: the two lines name the
// failure, the module still loads, and the show runs silently on. Where sound
// works there is nothing to report. Runs in a child process, since a failed
// audio start stays with the process.
bool starts_as_documented_with_the_machines_sound() {
    const DataFolder folder;
    unsetenv("SDL_AUDIODRIVER");
    const std::string errors = stderr_of_music_start();
    const bool loaded = music_module != nullptr;
    for (int frame = 0; frame < 10; ++frame) music_update();
    music_stop();
    const std::string report = "Could not initialize sound\nReason: ";
    const size_t failure = errors.find("Could not initialize sound\n");
    if (failure == std::string::npos) return loaded;
    return errors.compare(failure, report.size(), report) == 0 && errors.find("Error loading") == std::string::npos &&
           loaded;
}

TEST(MusicDeathTest, SoundFailureIsReportedAndTheShowRunsSilently) {
    EXPECT_EXIT(std::exit(starts_as_documented_with_the_machines_sound() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

// The first load allows 4 voices, every reload 8: a 10-channel module shows
// the limit in the number of voices the player gives it.
TEST(Music, EndedSongIsReloadedWithEightVoices) {
    DataFolder folder;
    folder.write("ocean.xm", data_test::long_test_module(10));
    const std::string errors = captured_stderr([] {
        music_start();
        ASSERT_NE(music_module, nullptr);
        EXPECT_EQ(music_module->numvoices, 4);
        force_song_end();
        EXPECT_FALSE(Player_Active());
        music_update();
        ASSERT_NE(music_module, nullptr);
        EXPECT_EQ(music_module->numvoices, 8);
        EXPECT_EQ(music_module->sngpos, 0);
        EXPECT_TRUE(Player_Active());
        music_stop();
    });
    EXPECT_EQ(errors, "");
}

TEST(Music, FailedReloadIsSilentAndLeavesTheShowWithoutMusic) {
    DataFolder folder;
    const std::string errors = captured_stderr([&] {
        music_start();
        ASSERT_NE(music_module, nullptr);
        folder.remove("ocean.xm");
        force_song_end();
        music_update();
        EXPECT_EQ(music_module, nullptr);
        for (int frame = 0; frame < 10; ++frame) music_update();
        EXPECT_EQ(music_module, nullptr);
        music_stop();
    });
    EXPECT_EQ(errors, "");
}

// Shutdown stops the music first, so every frame of the fade is silent.
TEST(Music, StopsBeforeTheFadeOut) {
    const DataFolder folder;
    fake_screen::reset();
    testing::internal::CaptureStdout();
    intro_init();
    ASSERT_NE(music_module, nullptr);
    int fade_frames = 0, fade_frames_with_music = 0;
    fake_screen::on_present = [&](const Image*) {
        ++fade_frames;
        if (music_module != nullptr || Player_Active()) ++fade_frames_with_music;
    };
    intro_shutdown();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(fade_frames, 64);
    EXPECT_EQ(fade_frames_with_music, 0);
    EXPECT_EQ(music_module, nullptr);
    for (Image*& strip : roll_images) {
        if (strip) img_destroy(&strip);
    }
    if (scroll_layer) img_destroy(&scroll_layer);
    fake_screen::reset();
}

}  // namespace
