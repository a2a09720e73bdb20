// The file layer: windowed byte access, streaming copies, reported failures
// and the safe replacement of a whole file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "fileio.h"

namespace fs = std::filesystem;
using qv::File;

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileLayer : public testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/quorvane-unit-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    void put(const char* name, const std::string& bytes) const
    {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    fs::path dir_;
};

// Every byte value, over several windows, so that window edges are crossed.
std::string pattern(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return s;
}

TEST_F(FileLayer, PositionedBytesAcrossWindows)
{
    const std::string bytes = pattern(3 * File::kWindow + 17);
    put("f", bytes);
    File f;
    ASSERT_TRUE(f.open(path("f"), File::Mode::Update));
    for (long pos : {0L, 65535L, 65536L, 65535L, 196624L, 1L, 131072L})
        EXPECT_EQ(f.getAt(pos), static_cast<unsigned char>(bytes[pos])) << pos;
    EXPECT_EQ(f.getAt(static_cast<long>(bytes.size())), File::kEnd);
    EXPECT_FALSE(f.failed());

    std::string want = bytes;
    for (long pos : {65535L, 65536L, 3L, 196624L}) {
        ASSERT_TRUE(f.putAt(pos, '?'));
        want[pos] = '?';
    }
    EXPECT_EQ(f.getAt(65535), '?');   // a written byte reads back before any flush
    ASSERT_TRUE(f.putAt(static_cast<long>(bytes.size()), '!'));
    want += '!';
    ASSERT_TRUE(f.close());
    EXPECT_EQ(slurp(dir_ / "f"), want);
}

TEST_F(FileLayer, CopyRunsToTheTrueEnd)
{
    const std::string bytes = pattern(2 * File::kWindow + 5) + "\xff\xff";
    put("in", bytes);
    File in, out;
    ASSERT_TRUE(in.open(path("in"), File::Mode::Read));
    ASSERT_TRUE(out.open(path("out"), File::Mode::Write));
    in.seek(3);
    ASSERT_TRUE(qv::copyRest(in, out));
    ASSERT_TRUE(out.close());
    EXPECT_EQ(slurp(dir_ / "out"), bytes.substr(3));
}

TEST_F(FileLayer, FailuresAreReportedWithFileAndReason)
{
    File full;
    ASSERT_TRUE(full.open("/dev/full", File::Mode::Write));
    full.write("lost");
    EXPECT_FALSE(full.close());
    EXPECT_EQ(full.failure(), "Can not write /dev/full : No space left on device ");

    File dir;
    ASSERT_TRUE(dir.open(dir_.string(), File::Mode::Read));
    EXPECT_EQ(dir.get(), File::kEnd);
    EXPECT_TRUE(dir.failed());
    EXPECT_EQ(dir.failure(), "Can not read " + dir_.string() + " : Is a directory ");

    File missing;
    EXPECT_FALSE(missing.open(path("nothing"), File::Mode::Update));
    EXPECT_EQ(missing.failure(), "Can not open " + path("nothing") + " : No such file or directory ");
}

TEST_F(FileLayer, ReplacementKeepsModeAndLink)
{
    put("real.dat", "old");
    ASSERT_EQ(chmod(path("real.dat").c_str(), 0640), 0);
    fs::create_symlink("real.dat", dir_ / "link.dat");
    {
        qv::Replacement next(path("link.dat"));
        ASSERT_TRUE(next.ok());
        next.out().write("new bytes");
        ASSERT_TRUE(next.commit());
    }
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.dat"));
    EXPECT_EQ(slurp(dir_ / "real.dat"), "new bytes");
    struct stat st;
    ASSERT_EQ(stat(path("real.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(FileLayer, FailedOrDroppedReplacementLeavesTheOldFile)
{
    put("keep.dat", "old");
    {
        qv::Replacement dropped(path("keep.dat"));
        dropped.out().write("half");
    }
    fs::create_directories(dir_ / "busy" / "inside");
    {
        qv::Replacement blocked(path("busy"));
        blocked.out().write("new");
        EXPECT_FALSE(blocked.commit());
        EXPECT_NE(blocked.failure().find("Can not write " + path("busy") + " : "), std::string::npos);
    }
    EXPECT_EQ(slurp(dir_ / "keep.dat"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

}  // namespace
