#include <gtest/gtest.h>

#include <clocale>

#include "TestFiles.h"
#include "carpet/DataFile.h"

namespace nivaro {
namespace {

std::vector<DataFileRecord> ReadText(const std::string& text)
{
    const ScratchFolder folder;
    const auto path = folder / "nivaro.dat";
    std::ofstream(path) << text;
    return ReadDataFile(path.string()).value();
}

TEST(DataFile, RecordsHaveAPositionAndAnUpperCaseLetter)
{
    const std::vector<DataFileRecord> records = ReadText("1.5 r\n1.5R\n0.25 Q\n0.25\n2e-1 G\n  -3\tb trailing\r\n+0.5\n");
    ASSERT_EQ(records.size(), 7u);
    const std::pair<double, char> expected[] = {{1.5, 'R'}, {1.5, 'R'}, {0.25, 'Q'}, {0.25, 'M'},
                                                {0.2, 'G'}, {-3.0, 'B'}, {0.5, 'M'}};
    for (std::size_t k = 0; k < 7; ++k) {
        EXPECT_EQ(records[k].position, expected[k].first) << k;
        EXPECT_EQ(records[k].letter, expected[k].second) << k;
    }
}

TEST(DataFile, ReadingEndsAtTheFirstLineThatIsNotANumber)
{
    EXPECT_EQ(ReadText("0.5\nend\n0.7\n").size(), 1u);
    EXPECT_TRUE(ReadText("word\n0.5\n").empty());
    EXPECT_TRUE(ReadText("").empty());
    EXPECT_TRUE(ReadText("+-1\n").empty());
    EXPECT_FALSE(ReadDataFile("/nonexistent/nivaro.dat"));
    const ScratchFolder folder;
    EXPECT_FALSE(ReadDataFile(folder.Path().string())) << "a folder is no data file";
}

TEST(DataFile, BlankLinesAreSkippedAndLongLinesReadWhole)
{
    const std::vector<DataFileRecord> records = ReadText("\n0.5 G\n   \n" + std::string(300, ' ') + "0.75 y\n0.1");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].letter, 'G');
    EXPECT_EQ(records[1].position, 0.75);
    EXPECT_EQ(records[1].letter, 'Y');
    EXPECT_EQ(records[2].position, 0.1);
}

TEST(DataFile, AppendWritesSixDecimalsWhateverTheLocaleAndDeleteRemoves)
{
    const ScratchFolder folder;
    const std::string path = (folder / "nivaro.dat").string();
    EXPECT_FALSE(DataFileIsWritable(path));
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the set-up script generates this locale";
    ASSERT_TRUE(AppendToDataFile(path, -1.5));
    ASSERT_TRUE(AppendToDataFile(path, 0.125));
    EXPECT_EQ(ReadDataFile(path)->at(1).position, 0.125);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(ReadWholeFile(path), "-1.500000\n0.125000\n");
    EXPECT_TRUE(DataFileIsWritable(path));
    DeleteDataFile(path);
    EXPECT_FALSE(std::filesystem::exists(path));
    DeleteDataFile(path);  // a missing file is no error
    EXPECT_FALSE(AppendToDataFile((folder / "missing" / "nivaro.dat").string(), 1.0));
}

}  // namespace
}  // namespace nivaro
