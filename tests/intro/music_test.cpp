// The music: start, per-frame update, reload when the song ends, stop, and
// the messages on standard error. Sound goes to SDL's dummy audio driver.
#include <gtest/gtest.h>

#include <mikmod.h>

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
