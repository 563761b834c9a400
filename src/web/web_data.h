// The intro's data files, made in the browser by the data tools' own
// generators from the same sources: the bytes the native build writes to
// its run folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DataFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

std::vector<DataFile> web_data_files();
