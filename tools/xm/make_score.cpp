// make-score SONG_TEXT OUTPUT: compiles the song text into its score, the
// module without sample data that the web edition carries.
#include "xm/score.h"
#include "atomic_file.h"
#include "tool_main.h"

int main(int argc, char** argv) {
    return tool_main(argc, argv, 2, "make-score SONG_TEXT OUTPUT", [](char** args) {
        write_file_atomically(args[2], xm::write_score(xm::parse_song(read_text_file(args[1]))));
    });
}
