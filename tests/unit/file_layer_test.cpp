// The file layer: windowed byte access across window edges, copies to the
// true end of a file, and the safe replacement of a whole file.
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
    fs::path dir_;
};

TEST_F(FileLayer, BytesAndCopiesAcrossWindows)
{
    std::string bytes(3 * File::kWindow + 17, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);   // every byte value, 255 included
    std::ofstream(path("f"), std::ios::binary) << bytes;
    File f;
    ASSERT_TRUE(f.open(path("f"), File::Mode::Update));
    for (long pos : {0L, 65535L, 65536L, 65535L, 196624L, 1L, 131072L})
        EXPECT_EQ(f.getAt(pos), static_cast<unsigned char>(bytes[pos])) << pos;
    EXPECT_EQ(f.getAt(static_cast<long>(bytes.size())), File::kEnd);
    for (long pos : {65535L, 65536L, 3L, static_cast<long>(bytes.size())}) {
        ASSERT_TRUE(f.putAt(pos, '?'));
        bytes.resize(std::max(bytes.size(), static_cast<std::size_t>(pos) + 1));
        bytes[pos] = '?';
    }
    EXPECT_EQ(f.getAt(65535), '?');   // read back before any flush
    ASSERT_TRUE(f.close());
    EXPECT_EQ(slurp(path("f")), bytes);

    File in, out;
    ASSERT_TRUE(in.open(path("f"), File::Mode::Read) && out.open(path("g"), File::Mode::Write));
    in.seek(3);
    ASSERT_TRUE(qv::copyRest(in, out) && out.close());
    EXPECT_EQ(slurp(path("g")), bytes.substr(3));
}

TEST_F(FileLayer, ReplacementKeepsModeAndLinkAndLeavesNoScratch)
{
    std::ofstream(path("real.dat")) << "old";
    ASSERT_EQ(chmod(path("real.dat").c_str(), 0640), 0);
    fs::create_symlink("real.dat", dir_ / "link.dat");
    {
        qv::Replacement dropped(path("link.dat"));
        dropped.out().write("half");
    }
    EXPECT_EQ(slurp(path("real.dat")), "old");
    qv::Replacement next(path("link.dat"));
    next.out().write("new bytes");
    ASSERT_TRUE(next.commit());
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.dat"));
    EXPECT_EQ(slurp(path("real.dat")), "new bytes");
    struct stat st;
    ASSERT_EQ(stat(path("real.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

}  // namespace
