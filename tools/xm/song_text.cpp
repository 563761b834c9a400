// Compiles the song text into a module: header settings, order list,
// instrument settings and patterns, checked line by line.
#include "xm/song_text.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace xm {

namespace {

constexpr size_t MAX_NAME = 20;
constexpr size_t MAX_INSTRUMENT_NAME = 22;
constexpr int MAX_VOLUME = 0x40;
constexpr uint8_t VOLUME_COLUMN_SET = 0x10;

struct Line {
    int number = 0;
    std::string text;
};

[[noreturn]] void fail(int line, const std::string& message) {
    throw SongError("line " + std::to_string(line) + ": " + message);
}

std::string strip_comment(const std::string& text) { return text.substr(0, text.find(';')); }

// The pieces between separators, as std::getline reads them: a separator at
// the very end closes the last piece and starts none.
std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find(separator, at), text.size());
        pieces.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return pieces;
}

// Blank means only the characters std::isspace knows, the ones tokens_of
// splits on: every line that is not blank has a first token.
bool is_blank(const std::string& text) {
    return text.find_first_not_of(" \t\n\v\f\r") == std::string::npos;
}

bool starts_indented(const std::string& text) { return !text.empty() && (text[0] == ' ' || text[0] == '\t'); }

bool is_instrument_line(const std::string& text) { return text.rfind("instrument", 0) == 0; }

// Physical lines without comments and blanks; indented lines continue the
// instrument definition above them.
std::vector<Line> logical_lines(const std::string& text) {
    std::vector<Line> lines;
    int number = 0;
    for (const std::string& raw : split(text, '\n')) {
        ++number;
        const std::string content = strip_comment(raw);
        if (is_blank(content)) continue;
        if (starts_indented(content) && !lines.empty() && is_instrument_line(lines.back().text)) {
            lines.back().text += " " + content;
        } else {
            lines.push_back({number, content});
        }
    }
    return lines;
}

// Splits on whitespace; a token in double quotes may hold spaces.
std::vector<std::string> tokens_of(const Line& line) {
    std::vector<std::string> tokens;
    const std::string& text = line.text;
    for (size_t at = 0; at < text.size();) {
        if (std::isspace(static_cast<unsigned char>(text[at]))) {
            ++at;
        } else if (text[at] == '"') {
            const size_t close = text.find('"', at + 1);
            if (close == std::string::npos) fail(line.number, "unclosed quote");
            tokens.push_back(text.substr(at + 1, close - at - 1));
            at = close + 1;
        } else {
            size_t end = at;
            while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
            tokens.push_back(text.substr(at, end - at));
            at = end;
        }
    }
    return tokens;
}

int parse_number(const std::string& token, int base, int low, int high, int line, const char* what) {
    size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(token, &used, base);
    } catch (const std::exception&) {
        used = 0;
    }
    if (token.empty() || used != token.size() || value < low || value > high) {
        fail(line, std::string("bad ") + what + " '" + token + "' (expected " + std::to_string(low) + " to " +
                       std::to_string(high) + ")");
    }
    return value;
}

int parse_decimal(const std::string& token, int low, int high, int line, const char* what) {
    return parse_number(token, 10, low, high, line, what);
}

int parse_hex(const std::string& token, int low, int high, int line, const char* what) {
    return parse_number(token, 16, low, high, line, what);
}

// ---- cells ----

uint8_t parse_note(const std::string& token, int line) {
    if (token == "---") return 0;
    if (token == "===") return NOTE_KEY_OFF;
    static const std::map<char, int> semitones = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5},
                                                  {'G', 7}, {'A', 9}, {'B', 11}};
    const auto letter = token.size() == 3 ? semitones.find(token[0]) : semitones.end();
    const bool octave_digit = token.size() == 3 && std::isdigit(static_cast<unsigned char>(token[2]));
    if (letter == semitones.end() || (token[1] != '-' && token[1] != '#') || !octave_digit) {
        fail(line, "bad note '" + token + "' (expected like C-4, C#4, --- or ===)");
    }
    const int note = (token[2] - '0') * 12 + letter->second + (token[1] == '#' ? 1 : 0) + 1;
    if (note < 1 || note > 96) fail(line, "note '" + token + "' is outside C-0 to B-7");
    return static_cast<uint8_t>(note);
}

uint8_t parse_effect_letter(char letter, int line) {
    if (std::isdigit(static_cast<unsigned char>(letter))) return static_cast<uint8_t>(letter - '0');
    if (letter >= 'A' && letter <= 'Z') return static_cast<uint8_t>(letter - 'A' + 10);
    fail(line, std::string("bad effect '") + letter + "'");
}

// Jumps, pattern loops and row delays are refused: the song plays straight
// through and ends, and its length follows from speeds and breaks alone.
void check_effect(uint8_t effect, uint8_t param, int line) {
    if (effect == 0x0B) fail(line, "jumps (Bxx) are not allowed: the song must end");
    if (effect == 0x0E && ((param >> 4) == 0x6 || (param >> 4) == 0xE)) {
        fail(line, "pattern loops and delays (E6x, EEx) are not allowed");
    }
    if (effect == 0x0F && param == 0) fail(line, "F00 would stop the song");
    if (effect > 0x0F) fail(line, "only effects 0 to F are supported");
}

Cell parse_cell(const std::string& field, int instruments, int line) {
    const std::vector<std::string> parts = tokens_of({line, field});
    if (parts.size() != 4) fail(line, "a cell needs note, instrument, volume and effect: '" + field + "'");
    const std::string &note = parts[0], &instrument = parts[1], &volume = parts[2], &effect = parts[3];
    Cell cell;
    cell.note = parse_note(note, line);
    if (instrument != "..") cell.instrument = static_cast<uint8_t>(parse_hex(instrument, 1, instruments, line, "instrument"));
    if (volume != "..") cell.volume = static_cast<uint8_t>(VOLUME_COLUMN_SET + parse_hex(volume, 0, MAX_VOLUME, line, "volume"));
    if (effect != "...") {
        if (effect.size() != 3) fail(line, "bad effect '" + effect + "'");
        cell.effect = parse_effect_letter(effect[0], line);
        cell.param = static_cast<uint8_t>(parse_hex(effect.substr(1), 0, 255, line, "effect parameter"));
        check_effect(cell.effect, cell.param, line);
    }
    return cell;
}

bool is_row_line(const std::string& text) {
    const size_t bar = text.find('|');
    if (bar == std::string::npos) return false;
    const std::string head = text.substr(0, bar);
    return head.find_first_not_of(" \t0123456789") == std::string::npos && !is_blank(head);
}

void parse_row(const Line& line, Pattern& pattern, int channels, int instruments) {
    const std::vector<std::string> fields = split(line.text, '|');
    const int row = parse_decimal(tokens_of({line.number, fields[0]})[0], 0, 255, line.number, "row number");
    if (row != pattern.rows) fail(line.number, "expected row " + std::to_string(pattern.rows));
    if (static_cast<int>(fields.size()) != channels + 1) {
        fail(line.number, "expected " + std::to_string(channels) + " cells in the row");
    }
    for (int channel = 0; channel < channels; ++channel) {
        pattern.cells.push_back(parse_cell(fields[channel + 1], instruments, line.number));
    }
    ++pattern.rows;
}

// ---- settings ----

std::string expect_one(const std::vector<std::string>& tokens, int line) {
    if (tokens.size() != 2) fail(line, "'" + tokens[0] + "' takes exactly one value");
    return tokens[1];
}

// The rest of the line, so names may hold spaces.
std::string rest_of_line(const std::vector<std::string>& tokens, int line) {
    if (tokens.size() < 2) fail(line, "'" + tokens[0] + "' needs a value");
    std::string text = tokens[1];
    for (size_t i = 2; i < tokens.size(); ++i) text += " " + tokens[i];
    return text;
}

std::string short_name(const std::string& name, size_t limit, int line) {
    if (name.size() > limit) fail(line, "name '" + name + "' is longer than " + std::to_string(limit) + " characters");
    return name;
}

Envelope parse_envelope(const std::vector<std::string>& tokens, size_t& at, int line) {
    Envelope envelope;
    while (at < tokens.size() && tokens[at].find(':') != std::string::npos) {
        const std::string& point = tokens[at++];
        const size_t colon = point.find(':');
        EnvelopePoint parsed;
        parsed.tick = static_cast<uint16_t>(parse_decimal(point.substr(0, colon), 0, 65535, line, "envelope tick"));
        parsed.level = static_cast<uint16_t>(parse_decimal(point.substr(colon + 1), 0, 64, line, "envelope level"));
        if (!envelope.points.empty() && parsed.tick <= envelope.points.back().tick) {
            fail(line, "envelope ticks must rise");
        }
        envelope.points.push_back(parsed);
    }
    if (envelope.points.empty() || envelope.points.size() > 12) fail(line, "an envelope needs 1 to 12 points");
    return envelope;
}

AutoVibrato parse_vibrato(const std::vector<std::string>& tokens, size_t& at, int line) {
    static const std::map<std::string, uint8_t> types = {{"sine", 0}, {"square", 1}, {"rampdown", 2}, {"rampup", 3}};
    if (at + 4 > tokens.size()) fail(line, "vibrato needs type, sweep, depth and rate");
    const auto type = types.find(tokens[at]);
    if (type == types.end()) fail(line, "vibrato type must be sine, square, rampdown or rampup");
    AutoVibrato vibrato;
    vibrato.type = type->second;
    vibrato.sweep = static_cast<uint8_t>(parse_decimal(tokens[at + 1], 0, 255, line, "vibrato sweep"));
    vibrato.depth = static_cast<uint8_t>(parse_decimal(tokens[at + 2], 0, 15, line, "vibrato depth"));
    vibrato.rate = static_cast<uint8_t>(parse_decimal(tokens[at + 3], 0, 63, line, "vibrato rate"));
    at += 4;
    return vibrato;
}

void parse_instrument(const Line& line, const std::vector<std::string>& tokens, Song& song) {
    if (tokens.size() < 3) fail(line.number, "instrument needs a number and a voice");
    const int number = parse_hex(tokens[1], 1, 128, line.number, "instrument number");
    if (number != static_cast<int>(song.module.instruments.size()) + 1) {
        fail(line.number, "instruments must be numbered 01, 02, ... in order");
    }
    Instrument instrument;
    instrument.name = tokens[2];
    song.patches.push_back(tokens[2]);
    for (size_t at = 3; at < tokens.size();) {
        const std::string& key = tokens[at++];
        const auto value = [&]() -> const std::string& {
            if (at >= tokens.size()) fail(line.number, "'" + key + "' needs a value");
            return tokens[at++];
        };
        if (key == "name") {
            instrument.name = short_name(value(), MAX_INSTRUMENT_NAME, line.number);
        } else if (key == "volume") {
            instrument.sample.volume = static_cast<uint8_t>(parse_decimal(value(), 0, 64, line.number, "volume"));
        } else if (key == "panning") {
            instrument.sample.panning = static_cast<uint8_t>(parse_decimal(value(), 0, 255, line.number, "panning"));
        } else if (key == "fadeout") {
            instrument.fadeout = static_cast<uint16_t>(parse_decimal(value(), 0, 4095, line.number, "fadeout"));
        } else if (key == "envelope") {
            instrument.volume_envelope.points = parse_envelope(tokens, at, line.number).points;
        } else if (key == "sustain") {
            instrument.volume_envelope.sustain = parse_decimal(value(), 0, 11, line.number, "sustain point");
        } else if (key == "vibrato") {
            instrument.vibrato = parse_vibrato(tokens, at, line.number);
        } else {
            fail(line.number, "unknown instrument setting '" + key + "'");
        }
    }
    if (instrument.volume_envelope.sustain >= static_cast<int>(instrument.volume_envelope.points.size())) {
        fail(line.number, "the sustain point is not one of the envelope's points");
    }
    song.module.instruments.push_back(instrument);
}

void parse_setting(const Line& line, const std::vector<std::string>& tokens, Song& song,
                   std::vector<int>& order_lines) {
    const std::string& key = tokens[0];
    Module& module = song.module;
    if (key == "title") {
        module.name = short_name(rest_of_line(tokens, line.number), MAX_NAME, line.number);
    } else if (key == "tracker") {
        module.tracker = short_name(rest_of_line(tokens, line.number), MAX_NAME, line.number);
    } else if (key == "channels") {
        if (!module.patterns.empty()) fail(line.number, "channels must be set before the first pattern");
        module.channels = static_cast<uint16_t>(parse_decimal(expect_one(tokens, line.number), 1, 32, line.number, "channel count"));
    } else if (key == "speed") {
        module.speed = static_cast<uint16_t>(parse_decimal(expect_one(tokens, line.number), 1, 31, line.number, "speed"));
    } else if (key == "bpm") {
        module.bpm = static_cast<uint16_t>(parse_decimal(expect_one(tokens, line.number), 32, 255, line.number, "bpm"));
    } else if (key == "order") {
        for (size_t i = 1; i < tokens.size(); ++i) {
            module.orders.push_back(static_cast<uint8_t>(parse_hex(tokens[i], 0, 255, line.number, "pattern number")));
            order_lines.push_back(line.number);
        }
    } else {
        fail(line.number, "unknown setting '" + key + "'");
    }
}

void check_song(const Song& song, const std::vector<int>& order_lines, int last_line) {
    const Module& module = song.module;
    if (module.orders.empty()) fail(last_line, "the song has no order list");
    if (module.orders.size() > 256) fail(order_lines[256], "more than 256 orders");
    if (module.instruments.empty()) fail(last_line, "the song has no instruments");
    for (size_t i = 0; i < module.orders.size(); ++i) {
        if (module.orders[i] >= module.patterns.size()) fail(order_lines[i], "order names a missing pattern");
    }
}

}  // namespace

Song parse_song(const std::string& text) {
    Song song;
    std::vector<int> order_lines;
    Pattern* pattern = nullptr;
    int last_line = 0;
    for (const Line& line : logical_lines(text)) {
        last_line = line.number;
        const std::vector<std::string> tokens = tokens_of(line);
        const std::string& keyword = tokens[0];
        if (is_row_line(line.text)) {
            if (!pattern) fail(line.number, "a row outside a pattern");
            parse_row(line, *pattern, song.module.channels, static_cast<int>(song.module.instruments.size()));
            continue;
        }
        if (pattern && pattern->rows == 0) fail(line.number, "a pattern needs at least one row");
        pattern = nullptr;
        if (keyword == "pattern") {
            const int number = parse_hex(expect_one(tokens, line.number), 0, 255, line.number, "pattern number");
            if (number != static_cast<int>(song.module.patterns.size())) {
                fail(line.number, "patterns must be numbered 00, 01, ... in order");
            }
            song.module.patterns.emplace_back();
            pattern = &song.module.patterns.back();
            pattern->rows = 0;
        } else if (keyword == "instrument") {
            parse_instrument(line, tokens, song);
        } else {
            parse_setting(line, tokens, song, order_lines);
        }
    }
    if (pattern && pattern->rows == 0) fail(last_line, "a pattern needs at least one row");
    check_song(song, order_lines, last_line);
    return song;
}

}  // namespace xm
