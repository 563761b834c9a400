// Renders songs and measures recorded sound for the sound server test. The
// sound is raw 16-bit little-endian stereo at 44.1 kHz, libmikmod's default
// output and the format the test records in. Times are in seconds; sound is
// looked at in 10 ms blocks, and a block whose loudest sample is at most
// SILENCE is silent.
//   sound_check render SONG          libmikmod's own render of one play of SONG
//                                    into music.raw in the current folder
//   sound_check song FILE            prints the song's first sound, the end of
//                                    its last sound, and its longest inner rest
//   sound_check first FILE FROM      prints when sound is first heard from FROM
//                                    on, or "none"
//   sound_check gap FILE FROM TO     prints the longest silence in FROM ... TO
//   sound_check peak FILE FROM TO    prints the loudest sample in FROM ... TO
#include <mikmod.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int RATE = 44100;
constexpr int BLOCK = RATE / 100;
constexpr double BLOCK_SECONDS = 0.01;
constexpr int SILENCE = 64;

// The raw driver writes its default file: libmikmod 3.3.12 and later garble
// a "file=" name.
int render(const char* song) {
    MikMod_RegisterAllDrivers();
    MikMod_RegisterAllLoaders();
    md_device = MikMod_DriverFromAlias(const_cast<char*>("raw"));
    md_mode |= DMODE_SOFT_MUSIC;
    if (md_device == 0 || MikMod_Init("") != 0) {
        std::fprintf(stderr, "no raw output: %s\n", MikMod_strerror(MikMod_errno));
        return 1;
    }
    MODULE* module = Player_Load(song, 4, 0);
    if (!module) {
        std::fprintf(stderr, "cannot load %s: %s\n", song, MikMod_strerror(MikMod_errno));
        MikMod_Exit();
        return 1;
    }
    Player_Start(module);
    while (Player_Active()) MikMod_Update();
    Player_Stop();
    Player_Free(module);
    MikMod_Exit();
    return 0;
}

// The loudest sample of each 10 ms block of the file.
std::vector<int> block_peaks(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    std::vector<int> peaks;
    for (size_t at = 0; at + 2 * BLOCK <= samples.size(); at += 2 * BLOCK) {
        int peak = 0;
        for (size_t i = at; i < at + 2 * BLOCK; ++i) peak = std::max(peak, std::abs(int{samples[i]}));
        peaks.push_back(peak);
    }
    return peaks;
}

size_t block_at(const char* seconds, size_t count) {
    const double at = std::max(0.0, std::atof(seconds));
    return std::min(count, static_cast<size_t>(at / BLOCK_SECONDS));
}

bool heard(int peak) { return peak > SILENCE; }

// The longest run of silent blocks in [from, to), in seconds.
double longest_silence(const std::vector<int>& peaks, size_t from, size_t to) {
    size_t longest = 0, run = 0;
    for (size_t i = from; i < to; ++i) {
        run = heard(peaks[i]) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest * BLOCK_SECONDS;
}

int song(const std::vector<int>& peaks) {
    const auto first = std::find_if(peaks.begin(), peaks.end(), heard);
    if (first == peaks.end()) {
        std::printf("none\n");
        return 1;
    }
    const auto last = std::find_if(peaks.rbegin(), peaks.rend(), heard).base();
    std::printf("%.2f %.2f %.2f\n", (first - peaks.begin()) * BLOCK_SECONDS, (last - peaks.begin()) * BLOCK_SECONDS,
                longest_silence(peaks, first - peaks.begin(), last - peaks.begin()));
    return 0;
}

int usage() {
    std::fprintf(stderr, "usage: sound_check render SONG | song FILE | first FILE FROM | gap FILE FROM TO | "
                         "peak FILE FROM TO\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "render" && argc == 3) return render(argv[2]);
    if (argc < 3) return usage();
    const std::vector<int> peaks = block_peaks(argv[2]);
    if (command == "song" && argc == 3) return song(peaks);
    if (command == "first" && argc == 4) {
        const auto from = peaks.begin() + block_at(argv[3], peaks.size());
        const auto first = std::find_if(from, peaks.end(), heard);
        if (first == peaks.end()) {
            std::printf("none\n");
        } else {
            std::printf("%.2f\n", (first - peaks.begin()) * BLOCK_SECONDS);
        }
        return 0;
    }
    if (argc != 5) return usage();
    const size_t from = block_at(argv[3], peaks.size()), to = std::max(from, block_at(argv[4], peaks.size()));
    if (command == "gap") {
        std::printf("%.2f\n", longest_silence(peaks, from, to));
    } else if (command == "peak") {
        std::printf("%d\n", from == to ? 0 : *std::max_element(peaks.begin() + from, peaks.begin() + to));
    } else {
        return usage();
    }
    return 0;
}
