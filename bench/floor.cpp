// The floor for the session benchmark: the least a crash-safe change with a
// backup can cost. Each round writes a 4 KB temporary file, syncs it, links
// the old file as the backup, renames the new one in place and syncs the
// directory. Usage: floor DIR ROUNDS
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::string dir = argv[1];
    const int rounds = std::atoi(argv[2]);
    const std::string data = dir + "/data", temp = dir + "/temp", link = dir + "/link", backup = dir + "/backup";
    const std::string bytes(4096, 'x');
    int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < rounds; ++i) {
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || fsync(fd) != 0)
            return 1;
        close(fd);
        if (i > 0 && (::link(data.c_str(), link.c_str()) != 0 || rename(link.c_str(), backup.c_str()) != 0))
            return 1;
        if (rename(temp.c_str(), data.c_str()) != 0 || fsync(dfd) != 0)
            return 1;
    }
    return 0;
}
