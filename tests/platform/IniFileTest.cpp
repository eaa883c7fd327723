#include <gtest/gtest.h>

#include "TestFiles.h"
#include "platform/FileError.h"
#include "platform/IniFile.h"

namespace nivaro {
namespace {

class IniFileTest : public testing::Test {
protected:
    IniFile Load(const std::string& text)
    {
        std::ofstream(path) << text;
        return IniFile::Load(path.string());
    }

    ScratchFolder folder;
    std::filesystem::path path = folder / "nivaro.ini";
};

TEST_F(IniFileTest, NamesMatchWithoutRegardToCaseAndValuesAreTrimmed)
{
    const IniFile file = Load("[Parameters]\r\n  Mass = 9.1095E-31 \r\n;slits=7\r\n[2D]\r\nnx=640\r\n");
    EXPECT_EQ(file.GetString("PARAMETERS", "mass", "x"), "9.1095E-31");
    EXPECT_EQ(file.GetString("parameters", "slits", "2"), "2") << "comments are not entries";
    EXPECT_EQ(file.GetString("2d", "NX", ""), "640");
    EXPECT_EQ(file.GetString("AXIS", "z0", "0"), "0");
    EXPECT_EQ(file.SectionEntries("parameters"), std::vector<std::string>{"Mass=9.1095E-31"});
}

TEST_F(IniFileTest, SettingReplacesInPlaceAppendsToTheSectionOrAddsTheSection)
{
    IniFile file = Load("[A]\nx=1\ny=2\n\n[B]\nz=3\n");
    file.SetString("a", "X", "10");
    file.SetString("A", "w", "4");
    file.SetString("C", "v", "5");
    file.Save(path.string());
    EXPECT_EQ(ReadWholeFile(path), "[A]\nx=10\ny=2\nw=4\n\n[B]\nz=3\n[C]\nv=5\n");
}

TEST_F(IniFileTest, AMissingFileIsEmptyAndSavingCreatesIt)
{
    IniFile file = IniFile::Load((folder / "none.ini").string());
    EXPECT_EQ(file.GetString("A", "x", "default"), "default");
    file.SetString("A", "x", "1");
    file.Save(path.string());
    EXPECT_EQ(ReadWholeFile(path), "[A]\nx=1\n");
    EXPECT_THROW(file.Save((folder / "missing" / "x.ini").string()), FileError);
}

TEST_F(IniFileTest, RewritingKeepsEveryByteItDoesNotChange)
{
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"CRLF line ends, line by line", "[A]\r\nx=1\r\ny=2\n", "[A]\r\nx=7\r\ny=2\n"},
        {"a comment after the value", "[A]\nx = 1 ; metres\n", "[A]\nx = 7 ; metres\n"},
        {"a NUL byte on another line", std::string("[A]\nx=1\nnote=a\0b\n", 17), std::string("[A]\nx=7\nnote=a\0b\n", 17)},
        {"a byte-order mark before the first section", "\xEF\xBB\xBF[A]\nx=1\n", "\xEF\xBB\xBF[A]\nx=7\n"},
        {"no line end after the last line", "[A]\ny=2", "[A]\ny=2\nx=7\n"},
        {"a new key in a CRLF file", "[A]\r\ny=2\r\n", "[A]\r\ny=2\r\nx=7\r\n"},
    };
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::binary) << c.before;
        IniFile file = IniFile::Load(path.string());
        EXPECT_FALSE(file.UnwritableEncoding().has_value()) << c.name;
        file.SetString("A", "x", "7");
        file.Save(path.string());
        EXPECT_EQ(ReadWholeFile(path), c.after) << c.name;
    }
    std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBF[PARAMETERS]\nslits=5\n";
    EXPECT_EQ(IniFile::Load(path.string()).GetString("PARAMETERS", "slits", "2"), "5")
        << "the first section is found after a byte-order mark";
}

TEST_F(IniFileTest, TextThatIsNeitherAsciiNorUtf8IsReadAsFarAsPossibleAndNeverRewritten)
{
    const std::string utf16 = std::string("\xFF\xFE[\0A\0]\0\n\0x\0=\0""5\0\n\0", 18);
    // Latin-1, a surrogate in UTF-8 form (ED BB BF: no byte-order mark), an
    // overlong slash: the section around them still reads.
    for (const std::string& bytes : {utf16, std::string("[A]\nname=caf\xE9\nx=5\n"), std::string("\xED\xBB\xBF[A]\nx=5\n"),
                                     std::string("[A]\npath=\xC0\xAF\nx=5\n")}) {
        std::ofstream(path, std::ios::binary) << bytes;
        IniFile file = IniFile::Load(path.string());
        EXPECT_EQ(file.GetString("A", "x", ""), "5") << bytes;
        EXPECT_TRUE(file.UnwritableEncoding().has_value()) << bytes;
        file.SetString("A", "x", "7");
        EXPECT_THROW(file.Save(path.string()), FileError);
        EXPECT_EQ(ReadWholeFile(path), bytes) << "the file is left as it was";
    }
    // A value with such bytes keeps its length rather than naming another file.
    EXPECT_EQ(IniFile::Parse("[A]\npath=/d/\xE9t\xE9.dat\n").GetString("A", "path", ""), "/d/?t?.dat");
    EXPECT_TRUE(IniFile::Parse("[A]\nx=\xF4\x90\x80\x80\n").UnwritableEncoding()) << "beyond U+10FFFF";
    EXPECT_TRUE(IniFile::Parse("[A]\nx=\xE2\x82").UnwritableEncoding()) << "cut off at the end";
}

}  // namespace
}  // namespace nivaro
