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

// The files one at a time, so that the page can take its turn between them:
// indexes 0 to web_data_file_count() - 1.
int web_data_file_count();
DataFile web_data_file(int index);
