#include "intro/music_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "img/img.h"

namespace {

// The music code registers every loader of libmikmod, so that any module the
// library can play serves as the tune. Some of those loaders read past their
// buffers on a hostile file, so a file one of them would take is refused
// before the library sees it, told by the bytes the loader's own test looks
// at near the start.
constexpr size_t HEAD_BYTES = 512;
using Head = std::array<unsigned char, HEAD_BYTES>;

bool has_text(const Head& head, size_t at, std::string_view text) {
    return std::memcmp(head.data() + at, text.data(), text.size()) == 0;
}

unsigned le16(const Head& head, size_t at) { return head[at] | head[at + 1] << 8; }

// The Asylum loader indexes a 96-entry period table with a note up to 255,
// the MultiTracker loader a 16-entry finetune table with a value up to 255.
bool is_asylum_or_multitracker(const Head& head) {
    return has_text(head, 0, "ASYLUM Music Format V1.0") || has_text(head, 0, "MTM");
}

// The DSIK loader copies as many orders as the song says, up to 65535, out
// of a table of 128.
bool is_dsik(const Head& head) { return has_text(head, 0, "RIFF") && has_text(head, 8, "DSMF"); }

// An Impulse Tracker module may embed a MIDI configuration (from format
// 2.16 on, flagged in its header); the loader reads each of its 32-byte
// strings as if it ended in a zero and runs past the end when it does not.
bool is_impulse_tracker_with_midi(const Head& head) {
    constexpr size_t FORMAT_AT = 0x2A, SPECIAL_AT = 0x2E;
    constexpr unsigned MIDI_FORMAT = 0x216, MIDI_EMBEDDED = 8;
    return has_text(head, 0, "IMPM") && le16(head, FORMAT_AT) >= MIDI_FORMAT &&
           (le16(head, SPECIAL_AT) & MIDI_EMBEDDED) != 0;
}

// Reads `count` bytes (at most 4) at `at` in the file as a little-endian
// number; 0 where the file ends before them.
uint32_t le_at(std::FILE* file, long at, size_t count) {
    std::array<unsigned char, 4> bytes{};
    if (std::fseek(file, at, SEEK_SET) != 0 || std::fread(bytes.data(), 1, count, file) != count) return 0;
    uint32_t value = 0;
    for (size_t i = count; i-- > 0;) value = value << 8 | bytes[i];
    return value;
}

// The Impulse Tracker loader reads a pattern into a table of 200 rows, the
// format's most, yet takes up to 256 and converts them all out of that
// table, reading past its end. The pattern pointers follow the orders and
// the instruments' and samples' pointers; a pattern starts with its length
// and then its rows.
bool is_impulse_tracker_with_long_pattern(const Head& head, std::FILE* file) {
    constexpr long ORDERS_AT = 0xC0;
    constexpr uint32_t MOST_ROWS = 200;
    if (!has_text(head, 0, "IMPM")) return false;
    const long pointers_at = ORDERS_AT + le16(head, 0x20) + 4L * (le16(head, 0x22) + le16(head, 0x24));
    for (unsigned pattern = 0; pattern < le16(head, 0x26); ++pattern) {
        const uint32_t at = le_at(file, pointers_at + 4L * pattern, 4);
        if (at != 0 && le_at(file, static_cast<long>(at) + 2, 2) > MOST_ROWS) return true;
    }
    return false;
}

// Composer 669: the player slides a note's pitch up without a bound, until
// the mixer steps past the end of a looped sample. The library's first
// loader takes any file that passes these checks of its header.
bool is_composer_669(const Head& head) {
    constexpr size_t COUNTS_AT = 110, ORDERS_AT = 113, TEMPOS_AT = ORDERS_AT + 128, BREAKS_AT = TEMPOS_AT + 128;
    if (!has_text(head, 0, "if") && !has_text(head, 0, "JN")) return false;
    if (head[COUNTS_AT] > 64 || head[COUNTS_AT + 1] > 128 || head[COUNTS_AT + 2] > 127) return false;
    for (size_t i = 0; i < 128; ++i) {
        if (head[ORDERS_AT + i] >= 0x80 && head[ORDERS_AT + i] != 0xFF) return false;
        if (head[TEMPOS_AT + i] == 0 || head[TEMPOS_AT + i] > 32) return false;
        if (head[BREAKS_AT + i] > 0x3F) return false;
    }
    return true;
}

// A Scream Tracker Music Interface Kit module without patterns: the loader
// reads the first pattern's pointer one entry past the end of its table.
bool is_stmik_without_patterns(const Head& head) {
    constexpr size_t TRACKER_AT = 0x14, PATTERNS_AT = 0x30, SIGNATURE_AT = 0x3C;
    if (!has_text(head, SIGNATURE_AT, "SCRM") || le16(head, PATTERNS_AT) != 0) return false;
    for (std::string_view tracker : {"!Scream!", "BMOD2STM", "WUZAMOD!"}) {
        if (has_text(head, TRACKER_AT, tracker)) return true;
    }
    return false;
}

// The Oktalyzer loader steps from chunk to chunk by a length it adds in 32
// bits: a length of almost 4 GiB sends it back to the same chunk for ever.
bool is_oktalyzer(const Head& head) { return has_text(head, 0, "OKTASONG"); }

// The General DigiMusic loader reads a note's effects for as long as each
// says another follows; past the end of the file every byte it reads says
// so, and it never stops.
bool is_general_digimusic(const Head& head) { return has_text(head, 0, "GDM\xFE") && has_text(head, 71, "GMFS"); }

// libmikmod's own UniMod format: the loader reads as many channels' panning
// as the header says, up to 255, into a table of 64.
bool is_unimod(const Head& head) {
    return (has_text(head, 0, "UN0") && head[3] >= '4' && head[3] <= '6') || has_text(head, 0, "APUN\x01");
}

// Containers the library opens before its loaders look: a module packed by
// MMCMP, PowerPacker, XPK or StoneCracker (S404) is unpacked and handed to
// every loader, an Unreal package's music to the loader of its format. Any
// of them would carry a module refused above past these checks.
bool is_container(const Head& head) {
    for (std::string_view packer : {"ziRCONia", "PP20", "XPKF", "S404"}) {
        if (has_text(head, 0, packer)) return true;
    }
    return has_text(head, 0, "\xC1\x83\x2A\x9E");
}

// A build that registers only the XM loader (the web edition) has none of
// the loaders above to keep from a file.
#ifdef TARNOVEX_XM_ONLY
constexpr bool EVERY_LOADER = false;
#else
constexpr bool EVERY_LOADER = true;
#endif

bool is_refused(std::FILE* file) {
    if (!EVERY_LOADER) return false;
    Head head{};
    std::fread(head.data(), 1, head.size(), file);
    const bool refused = is_asylum_or_multitracker(head) || is_dsik(head) || is_impulse_tracker_with_midi(head) ||
                         is_impulse_tracker_with_long_pattern(head, file) || is_composer_669(head) ||
                         is_stmik_without_patterns(head) || is_oktalyzer(head) || is_general_digimusic(head) ||
                         is_unimod(head) || is_container(head);
    std::rewind(file);
    return refused;
}

// A song without a position to play ends as soon as it starts, and the show
// would then read the file again on every frame. The player trusts every
// position to name one of the song's patterns, which some loaders (STMIK's,
// UltraTracker's) leave unchecked, and reads past its pattern tables when
// one does not.
bool is_playable(const MODULE& module) {
    if (module.numpos == 0) return false;
    for (int position = 0; position < module.numpos; ++position) {
        if (module.positions[position] >= module.numpat) return false;
    }
    return true;
}

// A position jump names any position up to 255, also past the song's end,
// and a pattern break in the same row then makes the player look that
// position up in the song's table, as does its look one position ahead.
// The table is extended so that every position it can be sent to reads as
// the library's end-of-song mark, and the song ends there.
bool extend_positions(MODULE& module) {
    constexpr int REACHABLE_POSITIONS = 256 + 1;
    constexpr UWORD END_OF_SONG = 0xFFFF;
    if (module.numpos >= REACHABLE_POSITIONS) return true;
    void* extended = MikMod_realloc(module.positions, REACHABLE_POSITIONS * sizeof(UWORD));
    if (!extended) return false;
    module.positions = static_cast<UWORD*>(extended);
    std::fill(module.positions + module.numpos, module.positions + REACHABLE_POSITIONS, END_OF_SONG);
    return true;
}

// An effect may switch on an instrument's envelope that has no points, and
// a channel may keep the envelopes of its last instrument when a note of
// another one is skipped; the player then reads point 65535 of an empty
// envelope. An empty envelope is given one point of the value the player
// uses when the envelope is off, so that reading it changes nothing.
void give_empty_envelopes_a_neutral_point(MODULE& module) {
    constexpr SWORD FULL_VOLUME = 256, CENTRE = 128, NO_PITCH_CHANGE = 32;
    const auto neutral = [](ENVPT* points, UBYTE& count, SWORD value) {
        if (count > 0) return;
        points[0] = ENVPT{0, value};
        count = 1;
    };
    if (!module.instruments) return;
    for (int index = 0; index < module.numins; ++index) {
        INSTRUMENT& instrument = module.instruments[index];
        neutral(instrument.volenv, instrument.volpts, FULL_VOLUME);
        neutral(instrument.panenv, instrument.panpts, CENTRE);
        neutral(instrument.pitenv, instrument.pitpts, NO_PITCH_CHANGE);
    }
}

MODULE* refuse() {
    MikMod_errno = MMERR_OPENING_FILE;
    return nullptr;
}

}  // namespace

MODULE* music_load_file(const char* path, int voices) {
    std::FILE* file = img_open_data_file(path);
    if (!file) return refuse();
    if (is_refused(file)) {
        std::fclose(file);
        return refuse();
    }
    MODULE* module = Player_LoadFP(file, voices, 0);
    std::fclose(file);
    if (module && !(is_playable(*module) && extend_positions(*module))) {
        Player_Free(module);
        return refuse();
    }
    if (module) give_empty_envelopes_a_neutral_point(*module);
    return module;
}
