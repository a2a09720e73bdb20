// The pieces with logic of their own: the two-digit rule, the field check and
// the layout check that guards the rebuilds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "records.h"

namespace fs = std::filesystem;

namespace {

TEST(DecodeTwo, DigitsCountAndAnythingElseIsZero)
{
    EXPECT_EQ(qv::decodeTwo('0', '9'), 9);
    EXPECT_EQ(qv::decodeTwo('1', '0'), 10);
    EXPECT_EQ(qv::decodeTwo('9', '9'), 99);
    EXPECT_EQ(qv::decodeTwo('0', '0'), 0);
    EXPECT_EQ(qv::decodeTwo('0', 'x'), 0);
    EXPECT_EQ(qv::decodeTwo('x', '5'), 5);
    EXPECT_EQ(qv::decodeTwo(qv::File::kEnd, qv::File::kEnd), 0);
}

// Runs each test in a fresh working directory, as the program runs in one.
class InWorkDir : public testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/quorvane-unit-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
        old_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override
    {
        fs::current_path(old_);
        fs::remove_all(dir_);
    }
    bool sound(const std::string& bytes)
    {
        std::ofstream(qv::kDataFile, std::ios::binary) << bytes;
        testing::internal::CaptureStdout();
        bool ok = qv::checkSound();
        testing::internal::GetCapturedStdout();
        return ok;
    }
    fs::path dir_, old_;
};

TEST_F(InWorkDir, FieldCheckFindsEveryReservedCharacter)
{
    for (char c : std::string("()[]*?#"))
        EXPECT_EQ(qv::fieldcheck({"fine", std::string("a") + c}), 1) << c;
    EXPECT_EQ(qv::fieldcheck({"Blanks {braces} <angles> \xff", "SN-1"}), 0);
    EXPECT_EQ(qv::fieldcheck({""}), 0);
    fs::remove(qv::kFormatFile);
    fs::create_directory(qv::kFormatFile);
    testing::internal::CaptureStdout();
    EXPECT_EQ(qv::fieldcheck({"fine"}), -1);   // unchecked text never passes
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Can not create format.dat : Is a directory \n");
}

TEST_F(InWorkDir, LayoutCheckAcceptsOnlyTheSoundLayout)
{
    const std::string head = "Data Total : 02 \n\n";
    const std::string one = "(01)[ Alpha ]*\nA-1 #\n", two = "(02)[  ]*\nB #\n";
    EXPECT_TRUE(sound("Data Total : 00 \n\n"));
    EXPECT_TRUE(sound(head + one + two));
    EXPECT_FALSE(sound("Data Total : 01 \n\n" + one + two));      // total below count
    EXPECT_FALSE(sound("Data Total : 03 \n\n" + one + two));      // total above count
    EXPECT_FALSE(sound(head + two + one));                        // codes out of order
    EXPECT_FALSE(sound(head + one + "(02)[ B#ta ]*\nB #\n"));     // reserved in a name
    EXPECT_FALSE(sound(head + one + "(02)[ B ]*\nB-? #\n"));      // cut mark
    EXPECT_FALSE(sound(head + one + "(02)[ B ]\nB #\n"));         // title without '*'
    EXPECT_FALSE(sound(head + one + "(02)[ B ]*\nB #"));          // last line cut short
    EXPECT_FALSE(sound(head + one + "(02)[ B]*\nB #\n"));         // blank before ']' missing
    EXPECT_FALSE(sound("Data Total : 0x \n\n"));
    EXPECT_FALSE(sound(""));
}

}  // namespace
