// The folder of the running program's own file.
#pragma once

#include <filesystem>
#include <system_error>

// The folder of the program's file, its symbolic links resolved, however
// long its path. Empty, with `error` set, when the system does not tell.
std::filesystem::path own_folder(std::error_code& error);
