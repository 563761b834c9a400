// The song text compiler: what a well-formed text becomes, and that every
// mistake is reported with the line it is on.
#include <gtest/gtest.h>

#include <string>

#include "xm/score.h"
#include "xm/song_text.h"
#include "xm/synth.h"

namespace {

const std::string HEADER =
    "title    Test song\n"        // 1
    "tracker  unit test\n"        // 2
    "channels 2\n"                // 3
    "speed    5\n"                // 4
    "bpm      140\n"              // 5
    "order    00 01 00\n"         // 6
    "instrument 01 kick volume 60\n"  // 7
    "instrument 02 lead name \"Lead voice\" panning 200 fadeout 700 ; comment\n"  // 8
    "           envelope 0:0 2:64 10:40 sustain 2\n"  // 9
    "           vibrato sine 24 3 12\n";              // 10

const std::string PATTERNS =
    "pattern 00\n"                                      // 11
    "00 | C-4 01 40 ... | C#4 02 .. A0F\n"              // 12
    "01 | === .. .. ... | B-7 .. 20 F07 ; pedal\n"      // 13
    "pattern 01\n"                                      // 14
    "00 | --- .. .. 037 | C-0 02 00 ...\n";             // 15

std::string error_of(const std::string& text) {
    try {
        xm::parse_song(text);
    } catch (const xm::SongError& error) {
        return error.what();
    }
    return "no error";
}

TEST(SongText, CompilesSettingsInstrumentsAndCells) {
    const xm::Song song = xm::parse_song(HEADER + PATTERNS);
    const xm::Module& m = song.module;
    EXPECT_EQ(m.name, "Test song");
    EXPECT_EQ(m.tracker, "unit test");
    EXPECT_EQ(m.channels, 2);
    EXPECT_EQ(m.speed, 5);
    EXPECT_EQ(m.bpm, 140);
    EXPECT_EQ(m.orders, (std::vector<uint8_t>{0, 1, 0}));
    EXPECT_EQ(song.patches, (std::vector<std::string>{"kick", "lead"}));

    ASSERT_EQ(m.instruments.size(), 2u);
    EXPECT_EQ(m.instruments[0].name, "kick");
    EXPECT_EQ(m.instruments[0].sample.volume, 60);
    const xm::Instrument& lead = m.instruments[1];
    EXPECT_EQ(lead.name, "Lead voice");
    EXPECT_EQ(lead.sample.panning, 200);
    EXPECT_EQ(lead.fadeout, 700);
    EXPECT_EQ(lead.volume_envelope.points,
              (std::vector<xm::EnvelopePoint>{{0, 0}, {2, 64}, {10, 40}}));
    EXPECT_EQ(lead.volume_envelope.sustain, 2);
    EXPECT_EQ(lead.vibrato, (xm::AutoVibrato{0, 24, 3, 12}));

    ASSERT_EQ(m.patterns.size(), 2u);
    const xm::Pattern& p = m.patterns[0];
    EXPECT_EQ(p.rows, 2);
    EXPECT_EQ(p.at(0, 0, 2), (xm::Cell{49, 1, 0x50, 0, 0}));     // C-4, volume 40 hex
    EXPECT_EQ(p.at(0, 1, 2), (xm::Cell{50, 2, 0, 0x0A, 0x0F}));  // C#4, volume slide
    EXPECT_EQ(p.at(1, 0, 2), (xm::Cell{xm::NOTE_KEY_OFF, 0, 0, 0, 0}));
    EXPECT_EQ(p.at(1, 1, 2), (xm::Cell{96, 0, 0x30, 0x0F, 0x07}));  // B-7 is the top note
    EXPECT_EQ(m.patterns[1].at(0, 0, 2), (xm::Cell{0, 0, 0, 0, 0x37}));
    EXPECT_EQ(m.patterns[1].at(0, 1, 2), (xm::Cell{1, 2, 0x10, 0, 0}));  // volume 00 is still set
}

TEST(SongText, ReportsMistakesWithTheirLine) {
    const std::string two_rows = HEADER + "pattern 00\n00 | --- .. .. ... | --- .. .. ...\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {HEADER + "pattern 00\n01 | --- .. .. ... | --- .. .. ...\n", "line 12: expected row 0"},
        {HEADER + "pattern 00\n00 | --- .. .. ...\n", "line 12: expected 2 cells"},
        {HEADER + "pattern 00\n00 | H-4 .. .. ... | --- .. .. ...\n", "line 12: bad note 'H-4'"},
        {HEADER + "pattern 00\n00 | C-8 .. .. ... | --- .. .. ...\n", "line 12: note 'C-8' is outside"},
        {HEADER + "pattern 00\n00 | C-4 03 .. ... | --- .. .. ...\n", "line 12: bad instrument '03'"},
        {HEADER + "pattern 00\n00 | C-4 01 41 ... | --- .. .. ...\n", "line 12: bad volume '41'"},
        {HEADER + "pattern 00\n00 | C-4 01 .. B00 | --- .. .. ...\n", "line 12: jumps (Bxx)"},
        {HEADER + "pattern 00\n00 | C-4 01 .. E62 | --- .. .. ...\n", "line 12: pattern loops"},
        {HEADER + "pattern 00\n00 | C-4 01 .. F00 | --- .. .. ...\n", "line 12: F00"},
        {HEADER + "pattern 00\n00 | C-4 01 .. G01 | --- .. .. ...\n", "line 12: only effects 0 to F"},
        {HEADER + "pattern 01\n00 | --- .. .. ... | --- .. .. ...\n", "line 11: patterns must be numbered"},
        {HEADER + "pattern 00\ntempo 3\n", "line 12: a pattern needs at least one row"},
        {two_rows, "line 6: order names a missing pattern"},  // order 01 has no pattern
        {"instrument 02 kick\n", "line 1: instruments must be numbered"},
        {"instrument 01 kick envelope 0:10 4:80\n", "line 1: bad envelope level '80'"},
        {"instrument 01 kick envelope 5:10 4:20\n", "line 1: envelope ticks must rise"},
        {"instrument 01 kick envelope 0:10 sustain 1\n", "line 1: the sustain point"},
        {"instrument 01 kick loudness 3\n", "line 1: unknown instrument setting 'loudness'"},
        {"title A name longer than twenty\n", "line 1: name 'A name longer than twenty' is longer"},
        {"speed 0\n", "line 1: bad speed '0'"},
        {"swing 3\n", "line 1: unknown setting 'swing'"},
        {"00 | --- .. .. ...\n", "line 1: a row outside a pattern"},
        {HEADER + "pattern 00\n00 | --- .. .. ... | --- .. .. ...\nchannels 3\n",
         "line 13: channels must be set before the first pattern"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(error_of(c.text).find(c.message), std::string::npos)
            << "expected '" << c.message << "', got '" << error_of(c.text) << "'";
    }
}

TEST(SongText, LinesOfAnyWhiteSpaceAreBlank) {
    const xm::Song plain = xm::parse_song(HEADER + PATTERNS);
    const xm::Song spaced = xm::parse_song(HEADER + "\v\f\n \t\r\n" + PATTERNS);
    EXPECT_EQ(spaced.module.orders, plain.module.orders);
    EXPECT_EQ(spaced.patches, plain.patches);
}

TEST(SongText, NeedsOrdersAndInstruments) {
    EXPECT_NE(error_of("title x\n").find("no order list"), std::string::npos);
    EXPECT_NE(error_of("order 00\npattern 00\n00 | --- .. .. ... | --- .. .. ... | --- .. .. ... | --- .. .. ...\n")
                  .find("no instruments"),
              std::string::npos);
}

// The web edition carries the score and synthesises the samples itself: it
// must come to the very file make-song writes.
TEST(SongScore, BecomesTheSameModuleAsTheText) {
    const xm::Song song = xm::parse_song(HEADER + PATTERNS);
    const std::vector<uint8_t> score = xm::write_score(song);
    EXPECT_EQ(xm::write_xm(xm::build_module(xm::read_score(score))), xm::write_xm(xm::build_module(song)));
}

}  // namespace
