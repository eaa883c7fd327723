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

}  // namespace
}  // namespace nivaro
