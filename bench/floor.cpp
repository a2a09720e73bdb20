// The floors for the session benchmark. The commit floor is the least a
// crash-safe change with a backup can cost: each commit writes a 4 KB
// temporary file, syncs it, links the old file as the backup, renames the
// new one in place and syncs the directory. The dialogue floor adds the
// scratch files the menu's dialogue must leave (format.dat, seach.log,
// velk2.dat, velk3.dat), spread between the commits, each written the
// cheapest way: one write over the old bytes and a cut to length (a file
// truncated to nothing first is written out at its close by ext4).
// Usage: floor DIR COMMITS [SCRATCH_WRITES]
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool writeWhole(const std::string& name, const std::string& bytes)
{
    int fd = open(name.c_str(), O_WRONLY | O_CREAT, 0600);
    bool ok = fd >= 0 && pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size())
        && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0;
    return close(fd) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const std::string dir = argv[1];
    const int commits = std::atoi(argv[2]), scratch = argc > 3 ? std::atoi(argv[3]) : 0;
    const std::string data = dir + "/data", temp = dir + "/temp", link = dir + "/link", backup = dir + "/backup";
    const std::string bytes(4096, 'x'), small(1024, 's');
    const char* scratchNames[] = {"format.dat", "seach.log", "velk2.dat", "velk3.dat"};
    int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0, written = 0; i < commits; ++i) {
        for (; written < scratch * (i + 1) / commits; ++written)
            if (!writeWhole(dir + "/" + scratchNames[written % 4], small))
                return 1;
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
