// Every system call of the POSIX backend goes through these wrappers, which
// consult the fault-injection seam before calling the system.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

namespace platform::posix {

int CallOpen(const char* name, int flags, mode_t mode);
ssize_t CallRead(int fd, void* buffer, std::size_t count);
ssize_t CallWrite(int fd, const void* buffer, std::size_t count);
int CallClose(int fd);
int CallFstat(int fd, struct stat* info);
// Takes a lock of the given type (F_RDLCK, F_WRLCK) on the whole file for the
// open file description, without waiting.
int CallLock(int fd, short type);

// errno values mapped onto the layer's I/O error numbers.
enum class Direction { Read, Write, Other };
unsigned short MapErrno(int error, Direction direction);

}  // namespace platform::posix
