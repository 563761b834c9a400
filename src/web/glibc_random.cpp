// rand() and random() with glibc's default generator (the additive feedback
// generator of TYPE_3, 31 words of state), sharing one state as in glibc, so
// that the show and libmikmod's player draw the numbers they draw on the
// desktop. Unseeded it behaves as if seeded with 1.
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int STATE_WORDS = 31;
constexpr int SEPARATION = 3;  // distance of the front and rear taps
constexpr int DISCARDED = 10 * STATE_WORDS;

struct Generator {
    int32_t state[STATE_WORDS];
    int front;
    int rear;
};

int32_t next_value(Generator* g) {
    g->state[g->front] = static_cast<int32_t>(static_cast<uint32_t>(g->state[g->front]) +
                                              static_cast<uint32_t>(g->state[g->rear]));
    const int32_t result = static_cast<int32_t>(static_cast<uint32_t>(g->state[g->front]) >> 1);
    g->front = (g->front + 1) % STATE_WORDS;
    g->rear = (g->rear + 1) % STATE_WORDS;
    return result;
}

// The state is filled by a Park-Miller generator (Schrage's method), then
// the first outputs are thrown away.
void seed(Generator* g, uint32_t value) {
    int32_t word = value == 0 ? 1 : static_cast<int32_t>(value);
    g->state[0] = word;
    for (int i = 1; i < STATE_WORDS; ++i) {
        const int32_t hi = word / 127773;
        const int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        g->state[i] = word;
    }
    g->front = SEPARATION;
    g->rear = 0;
    for (int i = 0; i < DISCARDED; ++i) next_value(g);
}

Generator& generator() {
    static Generator g = [] {
        Generator seeded{};
        seed(&seeded, 1);
        return seeded;
    }();
    return g;
}

}  // namespace

extern "C" {

void srandom(unsigned int value) { seed(&generator(), value); }
long random(void) { return next_value(&generator()); }
void srand(unsigned int value) { srandom(value); }
int rand(void) { return next_value(&generator()); }

}
