// The layout check that guards every change, and the field check that must
// never pass a text it could not check.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fieldcheck.h"
#include "layout.h"

namespace fs = std::filesystem;

namespace {

class InWorkDir : public testing::Test {
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
    bool sound(const std::string& bytes)
    {
        std::ofstream(qv::kDataFile, std::ios::binary) << bytes;
        qv::File data;
        return !qv::openSound(data);
    }
    fs::path old_;
};

TEST_F(InWorkDir, LayoutCheckAcceptsOnlyTheSoundLayout)
{
    const std::string head = "Data Total : 02 \n\n", one = "(01)[ Alpha ]*\nA-1 #\n";
    EXPECT_TRUE(sound("Data Total : 00 \n\n"));
    EXPECT_TRUE(sound(head + one + "(02)[  ]*\nB #\n"));
    EXPECT_FALSE(sound("Data Total : 03 \n\n" + one + "(02)[ B ]*\nB #\n"));   // total above count
    EXPECT_FALSE(sound(head + "(02)[ B ]*\nB #\n" + one));                     // codes out of order
    EXPECT_FALSE(sound(head + one + "(02)[ B ]*\nB-? #\n"));                   // cut mark
    EXPECT_FALSE(sound(head + one + "(02)[ B ]\nB #\n"));                      // title without '*'
    EXPECT_FALSE(sound(head + one + "(02)[ B ]*\nB #"));                       // last line cut short
    EXPECT_FALSE(sound(head + one + "(02)[ B]*\nB #\n"));                      // blank before ']' missing
    EXPECT_FALSE(sound(""));
}

TEST_F(InWorkDir, FieldCheckNamesTheFirstBadRecordAndPassesNothingUnchecked)
{
    std::vector<qv::NewRecord> records{{"Blanks {braces} \xff", "SN-1"}, {"fine", "a)"}, {"x", "two words"}};
    qv::Fault f = qv::checkRecords(records);
    EXPECT_EQ(f.kind, qv::Fault::Reserved);
    EXPECT_EQ(f.line, 2);
    records[1].serial = "ok";
    EXPECT_EQ(qv::checkRecords(records).kind, qv::Fault::NotOneWord);
    fs::remove(qv::kFormatFile);
    fs::create_directory(qv::kFormatFile);
    EXPECT_EQ(qv::checkRecords(records).kind, qv::Fault::File);
}

}  // namespace
