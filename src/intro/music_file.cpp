#include "intro/music_file.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "img/img.h"

namespace {

// The music code registers every loader of libmikmod, so that any module the
// library can play serves as the tune. Two of those loaders index fixed
// tables with bytes of the file unchecked: the Asylum loader a 96-entry
// period table with a note up to 255, the MultiTracker loader a 16-entry
// finetune table with a value up to 255. A hostile file makes them read
// past the tables, so a file either of them would take (the signatures their
// tests look for at the start) is refused before the library sees it.
constexpr std::string_view UNSAFE_SIGNATURES[] = {"ASYLUM Music Format V1.0", "MTM"};

bool starts_with_unsafe_signature(std::FILE* file) {
    char start[32] = {};
    const size_t got = std::fread(start, 1, sizeof start, file);
    std::rewind(file);
    for (std::string_view signature : UNSAFE_SIGNATURES) {
        if (got >= signature.size() && std::memcmp(start, signature.data(), signature.size()) == 0) return true;
    }
    return false;
}

MODULE* refuse() {
    MikMod_errno = MMERR_OPENING_FILE;
    return nullptr;
}

}  // namespace

MODULE* music_load_file(const char* path, int voices) {
    std::FILE* file = img_open_data_file(path);
    if (!file) return refuse();
    if (starts_with_unsafe_signature(file)) {
        std::fclose(file);
        return refuse();
    }
    MODULE* module = Player_LoadFP(file, voices, 0);
    std::fclose(file);
    // A song without a position to play ends as soon as it starts, and the
    // show would then read the file again on every frame.
    if (module && module->numpos == 0) {
        Player_Free(module);
        return refuse();
    }
    return module;
}
