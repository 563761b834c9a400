// The C library of emscripten asks its host for every file operation through
// a few system calls; defining them here answers them from memory, so no
// file system goes into the page's JavaScript.
#include "web/memory_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <wasi/api.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

struct MemoryFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

struct OpenFile {
    const MemoryFile* file = nullptr;
    uint64_t position = 0;
};

constexpr int FIRST_FD = 3;  // after standard input, output and error

std::vector<MemoryFile>& files() {
    static std::vector<MemoryFile> all;
    return all;
}

std::vector<OpenFile>& open_files() {
    static std::vector<OpenFile> all;
    return all;
}

const MemoryFile* find(const char* name) {
    for (const MemoryFile& file : files()) {
        if (file.name == name) return &file;
    }
    return nullptr;
}

OpenFile* opened(long fd) {
    auto& all = open_files();
    if (fd < FIRST_FD || fd - FIRST_FD >= static_cast<long>(all.size())) return nullptr;
    OpenFile& open = all[static_cast<size_t>(fd - FIRST_FD)];
    return open.file ? &open : nullptr;
}

long describe(const MemoryFile& file, long buffer) {
    auto* info = reinterpret_cast<struct stat*>(buffer);
    std::memset(info, 0, sizeof *info);
    info->st_mode = S_IFREG | 0444;
    info->st_nlink = 1;
    info->st_size = static_cast<off_t>(file.bytes.size());
    return 0;
}

// Copies from `position` into the buffers; returns the bytes copied.
size_t copy_out(const MemoryFile& file, uint64_t position, const __wasi_iovec_t* buffers, size_t count) {
    size_t done = 0;
    for (size_t i = 0; i < count && position + done < file.bytes.size(); ++i) {
        const size_t n = std::min<uint64_t>(buffers[i].buf_len, file.bytes.size() - position - done);
        std::memcpy(buffers[i].buf, file.bytes.data() + position + done, n);
        done += n;
    }
    return done;
}

}  // namespace

void memory_file_add(std::string name, std::vector<uint8_t> bytes) {
    files().push_back({std::move(name), std::move(bytes)});
}

extern "C" {

long __syscall_open(long path, long flags, ...) {
    if ((flags & O_ACCMODE) != O_RDONLY) return -EROFS;
    const MemoryFile* file = find(reinterpret_cast<const char*>(path));
    if (!file) return -ENOENT;
    auto& all = open_files();
    auto free_slot = std::find_if(all.begin(), all.end(), [](const OpenFile& open) { return !open.file; });
    if (free_slot == all.end()) free_slot = all.insert(all.end(), OpenFile{});
    *free_slot = {file, 0};
    return FIRST_FD + (free_slot - all.begin());
}

long __syscall_fstat64(long fd, long buffer) {
    const OpenFile* open = opened(fd);
    return open ? describe(*open->file, buffer) : -EBADF;
}

long __syscall_fstatat64(long, long path, long buffer, long) {
    const MemoryFile* file = find(reinterpret_cast<const char*>(path));
    return file ? describe(*file, buffer) : -ENOENT;
}

// Close-on-exec and the status flags mean nothing here.
long __syscall_fcntl64(long fd, long, ...) { return opened(fd) ? 0 : -EBADF; }

__wasi_errno_t __wasi_fd_read(__wasi_fd_t fd, const __wasi_iovec_t* buffers, size_t count, __wasi_size_t* done) {
    OpenFile* open = opened(fd);
    if (!open) return __WASI_ERRNO_BADF;
    *done = copy_out(*open->file, open->position, buffers, count);
    open->position += *done;
    return 0;
}

__wasi_errno_t __wasi_fd_pread(__wasi_fd_t fd, const __wasi_iovec_t* buffers, size_t count,
                               __wasi_filesize_t offset, __wasi_size_t* done) {
    const OpenFile* open = opened(fd);
    if (!open) return __WASI_ERRNO_BADF;
    *done = copy_out(*open->file, offset, buffers, count);
    return 0;
}

__wasi_errno_t __wasi_fd_seek(__wasi_fd_t fd, __wasi_filedelta_t offset, __wasi_whence_t whence,
                              __wasi_filesize_t* position) {
    OpenFile* open = opened(fd);
    if (!open) return __WASI_ERRNO_SPIPE;
    const int64_t base = whence == __WASI_WHENCE_SET   ? 0
                         : whence == __WASI_WHENCE_CUR ? static_cast<int64_t>(open->position)
                                                       : static_cast<int64_t>(open->file->bytes.size());
    if (base + offset < 0) return __WASI_ERRNO_INVAL;
    open->position = static_cast<uint64_t>(base + offset);
    *position = open->position;
    return 0;
}

__wasi_errno_t __wasi_fd_close(__wasi_fd_t fd) {
    OpenFile* open = opened(fd);
    if (!open) return __WASI_ERRNO_BADF;
    *open = {};
    return 0;
}

}  // extern "C"
