// The piece with logic of its own that the end-to-end cases cannot reach:
// the file layer's window and copies across window bounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "catalog/layout.h"

namespace fs = std::filesystem;
using qv::File;

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each test runs in a directory of its own, as the program does.
class InDir : public testing::Test {
protected:
    void SetUp() override { fs::current_path(fs::path(mkdtemp(name_))); }
    void TearDown() override { fs::current_path(old_), fs::remove_all(name_); }
    fs::path old_ = fs::current_path();
    char name_[32] = "/tmp/quorvane-unit-XXXXXX";
};

TEST_F(InDir, BytesAndCopiesAcrossWindows)
{
    std::string bytes(3 * File::kWindow + 17, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);  // every byte value, 255 included
    std::ofstream("f") << std::string(5 * File::kWindow, 'o');   // old bytes, longer
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
    for (long from : {3L, static_cast<long>(bytes.size()) - 100}) {  // in the kernel, through the window
        File in, out;
        ASSERT_TRUE(in.open("f", File::Mode::Read) && out.open("g", File::Mode::Scratch));
        in.seek(from);
        ASSERT_TRUE(qv::copyRest(in, out) && out.close());
        EXPECT_EQ(slurp("g"), bytes.substr(static_cast<std::size_t>(from)));
    }
}

}  // namespace
