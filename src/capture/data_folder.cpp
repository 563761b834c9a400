// Where a capture finds the show's data files.
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "capture/capture.h"

std::string capture_own_folder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    const std::string self(path, static_cast<size_t>(length));
    return self.substr(0, self.rfind('/'));
}

std::string capture_data_folder(const CaptureOptions& options) {
    if (!options.data_folder.empty()) return options.data_folder;
    const std::string own = capture_own_folder();
    const std::string installed = (std::filesystem::path(own) / TARNOVEX_DATA_FROM_PROGRAMS).lexically_normal();
    std::error_code error;
    return std::filesystem::is_directory(installed, error) ? installed : own;
}
