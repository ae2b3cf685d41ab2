// Preloaded into a copy of the program, makes every flock() fail as it does in
// a folder whose file system cannot lock.

#include <cerrno>

extern "C" int flock(int, int)
{
    errno = ENOLCK;
    return -1;
}
