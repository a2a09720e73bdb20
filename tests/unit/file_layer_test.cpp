// The file layer: windowed byte access across window edges, copies to the
// true end of a file, and the commit that replaces a file whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "commit.h"
#include "fileio.h"

namespace fs = std::filesystem;
using qv::File;

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each test runs in a directory of its own, as the program does.
class FileLayer : public testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/quorvane-unit-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        old_ = fs::current_path();
        fs::current_path(name);
    }
    void TearDown() override
    {
        fs::path dir = fs::current_path();
        fs::current_path(old_);
        fs::remove_all(dir);
    }
    static mode_t bits(const char* name)
    {
        struct stat st;
        return stat(name, &st) == 0 ? st.st_mode & 07777 : 0;
    }
    fs::path old_;
};

TEST_F(FileLayer, BytesAndCopiesAcrossWindows)
{
    std::string bytes(3 * File::kWindow + 17, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);   // every byte value, 255 included
    std::ofstream("f", std::ios::binary) << std::string(5 * File::kWindow, 'o');   // old bytes, longer
    File f;
    ASSERT_TRUE(f.open("f", File::Mode::Scratch));
    EXPECT_EQ(f.getAt(0), File::kEnd) << "a scratch file starts empty";
    f.seek(0);
    ASSERT_TRUE(f.write(std::string_view(bytes).substr(0, 100)) && f.write(std::string_view(bytes).substr(100)));
    for (long pos : {65535L, 65536L, 3L, static_cast<long>(bytes.size())}) {
        f.seek(pos);
        ASSERT_TRUE(f.put('?'));
        bytes.resize(std::max(bytes.size(), static_cast<std::size_t>(pos) + 1));
        bytes[pos] = '?';
    }
    for (long pos : {0L, 65535L, 65536L, 196624L, 1L, 131072L})
        EXPECT_EQ(f.getAt(pos), static_cast<unsigned char>(bytes[pos])) << pos;
    EXPECT_EQ(f.getAt(static_cast<long>(bytes.size())), File::kEnd) << "the old bytes behind are not its own";
    ASSERT_TRUE(f.close());
    EXPECT_EQ(slurp("f"), bytes);

    for (long from : {3L, static_cast<long>(bytes.size()) - 100}) {   // through the kernel, through the window
        File in, out;
        ASSERT_TRUE(in.open("f", File::Mode::Read) && out.open("g", File::Mode::Scratch));
        in.seek(from);
        ASSERT_TRUE(qv::copyRest(in, out) && out.close());
        EXPECT_EQ(slurp("g"), bytes.substr(static_cast<std::size_t>(from)));
    }
}

TEST_F(FileLayer, CommitKeepsLinkBitsAndTheOldFileAsBackup)
{
    fs::create_directory("store");
    std::ofstream("store/real") << "old";
    ASSERT_EQ(chmod("store/real", 0640), 0);
    fs::create_symlink("store/real", "data");
    qv::Place place;
    ASSERT_FALSE(qv::resolve("data", place));
    EXPECT_EQ(place.path, "store/real");
    {
        qv::Commit dropped(place, "data");
        dropped.out()->write("half");
    }
    EXPECT_EQ(slurp("store/real"), "old");
    struct stat before;
    ASSERT_EQ(stat("store/real", &before), 0);
    qv::Commit next(place, "data");
    next.out()->write("new bytes");
    ASSERT_FALSE(next.finish("bak"));
    EXPECT_TRUE(fs::is_symlink("data"));
    EXPECT_EQ(slurp("store/real"), "new bytes");
    EXPECT_EQ(bits("store/real"), 0640u);
    struct stat bak;
    ASSERT_EQ(stat("bak", &bak), 0);
    EXPECT_EQ(bak.st_ino, before.st_ino) << "the backup is the old file itself, not a copy";
    EXPECT_EQ(bits("bak"), 0600u & ~umask(022));
    EXPECT_EQ(std::distance(fs::directory_iterator("store"), fs::directory_iterator()), 1);
}

TEST_F(FileLayer, LeftoversOfAKilledProcessGoAtTheNextStart)
{
    std::ofstream("data") << "x";
    std::ofstream(std::string(qv::kTempPrefix) + "4242-0") << "half";
    std::ofstream("keep.tmp") << "mine";
    qv::removeLeftovers("data", "bak");
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 3);   // and the lock file
    EXPECT_TRUE(fs::exists("keep.tmp"));
}

}  // namespace
