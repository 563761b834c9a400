// Where a capture finds the show's data files.
#include <filesystem>

#include "capture/capture.h"
#include "own_folder/own_folder.h"

std::string capture_own_folder() {
    std::error_code error;
    const std::filesystem::path folder = own_folder(error);
    return error ? "." : folder.string();
}

std::string capture_data_folder(const CaptureOptions& options) {
    if (!options.data_folder.empty()) return options.data_folder;
    const std::string own = capture_own_folder();
    const std::string installed = (std::filesystem::path(own) / TARNOVEX_DATA_FROM_PROGRAMS).lexically_normal();
    std::error_code error;
    return std::filesystem::is_directory(installed, error) ? installed : own;
}
