#include "app/print_goals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/fakes.h"
#include "tests/common/utf16_bytes.h"
#include "tests/unit/temp_folder.h"

namespace kestrival {
namespace {

class PrintGoalsTest : public ::testing::Test {
protected:
    PrintGoalsTest() : clock_({{2026, 12, 10}, 9, 30, 0, 0}) {
        environment_.separator = u'/';
        environment_.documents = folder_.Path(u"Documents");
        environment_.programPath = folder_.Path(u"bin/Kestrival.exe");
    }
    static constexpr const char16_t* kSettingPath = u"Documents/ZKFILES/Kestrival/ZKQV_set.txt";

    TempFolder folder_;
    FakeEnvironment environment_;
    FixedClock clock_;
};

// One line per goal with the panel's own figures, choices and days off included; the file is only
// read, even though it is not in the form a save would give it.
TEST_F(PrintGoalsTest, EachGoalAsThePanelShowsIt) {
    const std::string file = Utf16File(
        u"OFFDAYS=12/07\r\nITEM1=試験,2026/12/01,2026/12/31\r\nCNT1=TW\r\nITEM2=誕生日,2000/05/10,2000/05/10\r\n"
        u"CNT2=Y\r\nITEM3=開始のみ,2026/12/01,\r\nITEM4=tab\there,,2026/12/20\r\nITEM5=bad,2026/13/01,\r\n");
    folder_.Write(kSettingPath, file);
    const PrintOutcome outcome = PrintGoals(environment_, clock_);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.error, u"");
    EXPECT_EQ(outcome.output,
              u"試験\t2026/12/01\t2026/12/31\t7\t15\n"     // working days and today, 7 Dec off
              u"誕生日\t2026/12/10\t2027/05/10\t0\t150\n"  // the yearly date moved on
              u"開始のみ\t2026/12/01\t2026/12/10\t9\t\n"   // no end: no remaining number
              u"tab here\t2026/12/10\t2026/12/20\t\t9\n"   // no start: no elapsed number
              u"bad\t2026/12/10\t2026/13/01\t\t\n");       // dates that do not read: no numbers
    EXPECT_EQ(folder_.Read(kSettingPath), file);
}

// Far dates with every choice print like near ones: September 5088 has Respect for the Aged Day on
// the 17th and the autumn equinox on Saturday the 22nd; a span of millennia counts its working days.
TEST_F(PrintGoalsTest, FarDatesPrintWithTheirCounts) {
    const FixedClock far({{5088, 9, 15}, 9, 30, 0, 0});
    folder_.Write(kSettingPath,
                  Utf16File(u"OFFDAYS=12/29-01/03 02/29\r\nITEM1=秋分,5088/09/01,5088/09/30\r\nCNT1=TW\r\n"
                            u"ITEM2=最後,2026/01/01,9999/12/31\r\nCNT2=W\r\nITEM3=閏日,2024/02/29,2024/02/29\r\n"
                            u"CNT3=YW\r\nITEM4=暦,2026/01/01,9999/12/31\r\n"));
    const PrintOutcome outcome = PrintGoals(environment_, far);
    ASSERT_EQ(outcome.status, 0);
    std::vector<std::u16string> lines;
    for (std::u16string rest = outcome.output; !rest.empty();) {
        lines.push_back(rest.substr(0, rest.find(u'\n')));
        rest.erase(0, lines.back().size() + 1);
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], u"秋分\t5088/09/01\t5088/09/30\t10\t9");
    EXPECT_EQ(lines[2], u"閏日\t5088/09/15\t5089/02/28\t0\t109");  // moved to a common year's 28 February
    EXPECT_EQ(lines[3], u"暦\t2026/01/01\t9999/12/31\t1118630\t1793811");
    // Working days: about five in seven days, less holidays and days off.
    const std::u16string prefix = u"最後\t2026/01/01\t9999/12/31\t";
    ASSERT_EQ(lines[1].substr(0, prefix.size()), prefix);
    const std::string numbers(lines[1].begin() + static_cast<std::ptrdiff_t>(prefix.size()), lines[1].end());
    const std::size_t tab = numbers.find('\t');
    const double elapsed = std::stod(numbers.substr(0, tab)), remaining = std::stod(numbers.substr(tab + 1));
    EXPECT_GT(elapsed, 1118630 * 0.64);
    EXPECT_LT(elapsed, 1118630 * 5.0 / 7);
    EXPECT_GT(remaining, 1793811 * 0.64);
    EXPECT_LT(remaining, 1793811 * 5.0 / 7);
}

TEST_F(PrintGoalsTest, AMissingFileGivesTheDefaultGoalAndCreatesNothing) {
    const PrintOutcome outcome = PrintGoals(environment_, clock_);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.output, u"2027年まで\t2026/01/01\t2027/01/01\t343\t21\n");
    EXPECT_FALSE(folder_.Exists(u"Documents"));
}

TEST_F(PrintGoalsTest, AnUnreadableFileEndsWithStatusOne) {
    folder_.Write(u"Documents/ZKFILES/Kestrival/ZKQV_set.txt/keep", "x");
    const PrintOutcome outcome = PrintGoals(environment_, clock_);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.output, u"");
    EXPECT_NE(outcome.error.find(folder_.Path(kSettingPath)), std::u16string::npos);
}

TEST_F(PrintGoalsTest, LocalReadsTheFileBesideTheProgram) {
    environment_.arguments = {u"--print", u"local"};
    folder_.Write(u"bin/Kestrival_set.txt", Utf16File(u"ITEM1=here,2026/12/01,2026/12/31\r\n"));
    EXPECT_EQ(PrintGoals(environment_, clock_).output, u"here\t2026/12/01\t2026/12/31\t9\t20\n");
}

}  // namespace
}  // namespace kestrival
