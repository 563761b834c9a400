#include "own_folder/own_folder.h"

std::filesystem::path own_folder(std::error_code& error) {
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}
