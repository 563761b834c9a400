#include "standard_files/standard_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

void standard_files_ensure_open() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number is taken, and every lower one is open.
        if (open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) != fd) _exit(2);
    }
}
