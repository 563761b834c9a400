// How long a module plays: the sum of its row durations in playing order.
#include "xm/xm_module.h"

namespace xm {

namespace {

constexpr uint8_t EFFECT_JUMP = 0x0B;
constexpr uint8_t EFFECT_BREAK = 0x0D;
constexpr uint8_t EFFECT_SPEED = 0x0F;
constexpr uint8_t FIRST_TEMPO = 0x20;  // Fxx below this sets ticks per row, from it the tempo

struct PlayState {
    uint16_t speed;
    uint16_t bpm;
    bool breaks = false;
    int break_row = 0;
};

// Applies the row's timing effects: Fxx and Dxx (whose parameter is the
// target row in decimal digits, as trackers show it).
void apply_row_effects(const Module& module, const Pattern& pattern, int row, PlayState& state) {
    state.breaks = false;
    for (int channel = 0; channel < module.channels; ++channel) {
        const Cell& cell = pattern.at(row, channel, module.channels);
        if (cell.effect == EFFECT_JUMP) throw FormatError("the song jumps (Bxx), so its length is open");
        if (cell.effect == EFFECT_SPEED && cell.param != 0) {
            if (cell.param < FIRST_TEMPO) {
                state.speed = cell.param;
            } else {
                state.bpm = cell.param;
            }
        }
        if (cell.effect == EFFECT_BREAK) {
            state.breaks = true;
            state.break_row = (cell.param >> 4) * 10 + (cell.param & 0x0F);
        }
    }
}

}  // namespace

double song_seconds(const Module& module) {
    PlayState state{module.speed, module.bpm};
    double seconds = 0;
    int row = 0;
    for (size_t order = 0; order < module.orders.size();) {
        const Pattern& pattern = module.patterns.at(module.orders[order]);
        if (row >= pattern.rows) row = 0;
        apply_row_effects(module, pattern, row, state);
        seconds += state.speed * 2.5 / state.bpm;
        if (state.breaks) {
            ++order;
            row = state.break_row;
        } else if (++row == pattern.rows) {
            ++order;
            row = 0;
        }
    }
    return seconds;
}

}  // namespace xm
