#include <gtest/gtest.h>

#include "TestFiles.h"
#include "configuration/Configuration.h"

namespace nivaro {
namespace {

IniFile ProfileOf(const std::string& text)
{
    const ScratchFolder folder;
    const auto path = folder / "nivaro.ini";
    std::ofstream(path) << text;
    return IniFile::Load(path.string());
}

std::string SavedText(const IniFile& file)
{
    const ScratchFolder folder;
    const auto path = folder / "nivaro.ini";
    file.Save(path.string());
    return ReadWholeFile(path);
}

TEST(Configuration, NoFileGivesTheDefaults)
{
    SimulationState state;
    const LoadedConfiguration loaded = LoadConfiguration(IniFile{}, state);
    const PanelTexts& panel = loaded.panel;
    EXPECT_EQ(panel.slits, "2");
    EXPECT_EQ(panel.mass, "9.1095E-31");
    EXPECT_EQ(panel.lambda, "1E-8");
    EXPECT_EQ(panel.d, "1E-8");
    EXPECT_EQ(panel.slitWidth, "1E-8");
    EXPECT_EQ(panel.sigma0, "2E-9");
    EXPECT_EQ(panel.scaleX, "1:1");
    EXPECT_EQ(panel.scaleP, "1:1");
    EXPECT_EQ(state.grid.nx, 300);
    EXPECT_EQ(state.grid.nz, 300);
    EXPECT_EQ(state.grid.nxb, 150);
    EXPECT_EQ(state.grid.dxb, 0.5);
    EXPECT_EQ(state.grid.step, 1.0) << "the file's default, not the built-in 0.5";
    EXPECT_EQ(state.parameters.z0, 0.0);
    EXPECT_EQ(state.grid.decimationX, 4);
    EXPECT_TRUE(loaded.replacedValues.empty());
}

TEST(Configuration, ValuesAreReadWholeAndShownInGeneralFormat)
{
    SimulationState state;
    const IniFile file = ProfileOf(
        "[parameters]\nMASS = 1.674927e-27\n"
        "slite width=1.6749271234567890123456789012345678901E-27\n"
        "[Axis]\nX-scale=3:2\nz0=1\n[2D]\nnx=640\n");
    const LoadedConfiguration loaded = LoadConfiguration(file, state);
    EXPECT_TRUE(loaded.replacedValues.empty());
    EXPECT_EQ(loaded.panel.mass, "1.674927E-27");
    EXPECT_DOUBLE_EQ(state.parameters.slitWidth, 1.6749271234567890e-27) << "read whole, exponent included";
    EXPECT_EQ(loaded.panel.scaleX, "3:1");
    EXPECT_EQ(state.scaleX.Factor(), 3.0);
    EXPECT_EQ(state.parameters.z0, 1.0);
    EXPECT_EQ(state.grid.nx, 640);
    EXPECT_EQ(state.grid.decimationX, 10);
    EXPECT_EQ(state.grid.decimationZ, 4);
}

TEST(Configuration, ValuesThePanelWouldRefuseAreReplacedWithAMessageQuotingTheFile)
{
    SimulationState state;
    const IniFile file = ProfileOf(
        "[parameters]\nmass=1,5E-30\nlambda=1.5e\nslits=3abc\nsigma0=abc\n"
        "[Axis]\nZ-scale=letters\nX-scale=-3\nz0=1e308\n");
    const LoadedConfiguration loaded = LoadConfiguration(file, state);
    EXPECT_EQ(state.parameters.mass, 9.1095e-31) << "not 1 kg";
    EXPECT_EQ(state.parameters.lambda, 1e-8);
    EXPECT_EQ(state.parameters.slits, 2);
    EXPECT_EQ(loaded.panel.sigma0, "2E-9");
    EXPECT_EQ(loaded.panel.scaleZ, "1:1") << "the field shows the scale in effect";
    EXPECT_EQ(loaded.panel.scaleX, "1:1");
    EXPECT_EQ(state.parameters.z0, 0.0) << "z0 is no panel field: an unusable value is replaced";
    const std::vector<std::string> quoted = {"slits=3abc", "mass=1,5E-30", "lambda=1.5e", "sigma0=abc",
                                             "X-scale=-3", "Z-scale=letters", "z0=1e308"};
    ASSERT_EQ(loaded.replacedValues.size(), quoted.size());
    for (std::size_t k = 0; k < quoted.size(); ++k) {
        EXPECT_NE(loaded.replacedValues[k].find(quoted[k]), std::string::npos) << loaded.replacedValues[k];
    }
    EXPECT_NE(loaded.replacedValues[1].find("'1,5E-30' is not a valid floating point value"), std::string::npos);
}

TEST(Configuration, UnusableGridValuesAreReplacedByTheirDefaults)
{
    SimulationState state;
    state.gridMemoryLimit = 1ULL << 30;
    const IniFile file =
        ProfileOf("[2D]\nnx=0\nnz=300\nnxb=900\ndxb=-1\nstep=0\nintegrator=rk4\ntolerance=1e-13\n");
    const LoadedConfiguration loaded = LoadConfiguration(file, state);
    EXPECT_EQ(state.grid.nx, 300);
    EXPECT_EQ(state.grid.nxb, 150);
    EXPECT_EQ(state.grid.dxb, 0.5);
    EXPECT_EQ(state.grid.step, 1.0);
    EXPECT_EQ(state.grid.integrator, Integrator::Euler);
    EXPECT_EQ(state.grid.tolerance, 1e-6);
    ASSERT_EQ(loaded.replacedValues.size(), 6u);
    EXPECT_EQ(loaded.replacedValues[0],
              "The configuration value integrator=rk4 cannot be used (not one of euler or adaptive); euler is "
              "used instead.");
    EXPECT_EQ(loaded.replacedValues[1],
              "The configuration value nx=0 cannot be used; 300 is used instead.");

    SimulationState huge;
    huge.gridMemoryLimit = 1ULL << 30;
    LoadConfiguration(ProfileOf("[2D]\nnx=100000\nnz=100000\nnxb=10\n"), huge);
    EXPECT_EQ(huge.grid.nx, 300);
    EXPECT_EQ(huge.grid.nz, 300);
    EXPECT_EQ(huge.grid.nxb, 10);

    // The file's own text is quoted, and a default the grid forces along is
    // no bad value of the file.
    SimulationState small;
    const LoadedConfiguration quoted = LoadConfiguration(ProfileOf("[2D]\nnx=abc\n"), small);
    ASSERT_EQ(quoted.replacedValues.size(), 1u);
    EXPECT_EQ(quoted.replacedValues[0], "The configuration value nx=abc cannot be used; 300 is used instead.");
    SimulationState narrow;
    EXPECT_TRUE(LoadConfiguration(ProfileOf("[2D]\nnx=40\n"), narrow).replacedValues.empty());
    EXPECT_EQ(narrow.grid.nxb, 20);
}

// nxb follows nx wherever nx changes, unless it was set to something else,
// and one beyond nx is refused in the panel's words.
TEST(Configuration, NxbFollowsNxInTheFileAndInOverrides)
{
    const struct {
        const char* file;
        SettingOverrides overrides;
        int nxb;
        const char* refusal;
    } cases[] = {
        {"[2D]\nnx=2000\n", {}, 1000, nullptr},
        {"[2D]\nnx=2000\nnxb=150\n", {}, 150, nullptr},
        {"", {{"nx", "2000"}}, 1000, nullptr},
        {"[2D]\nnx=300\nnxb=150\n", {{"nx", "2000"}}, 1000, nullptr},
        {"[2D]\nnx=300\nnxb=100\n", {{"nx", "2000"}}, 100, nullptr},
        {"", {{"nxb", "40"}, {"nx", "2000"}}, 40, nullptr},
        {"", {{"nx", "2000"}, {"nxb", "40"}}, 40, nullptr},
        {"", {{"nxb", "500"}}, 0, "nxb=500: must lie between 0 and nx (300)"},
        {"[2D]\nnx=300\nnxb=200\n", {{"nx", "100"}}, 0, "nxb=200: must lie between 0 and nx (100)"},
    };
    for (const auto& c : cases) {
        SimulationState state;
        const OverriddenConfiguration loaded = LoadConfiguration(ProfileOf(c.file), c.overrides, state);
        EXPECT_TRUE(loaded.loaded.replacedValues.empty()) << c.file;
        if (c.refusal != nullptr) {
            EXPECT_EQ(loaded.refusal, c.refusal) << c.file;
        } else {
            EXPECT_EQ(loaded.refusal, std::nullopt) << c.file;
            EXPECT_EQ(state.grid.nxb, c.nxb) << c.file;
        }
    }
    SimulationState state;
    const LoadedConfiguration beyond = LoadConfiguration(ProfileOf("[2D]\nnx=300\nnxb=500\n"), state);
    EXPECT_EQ(state.grid.nxb, 150);
    ASSERT_EQ(beyond.replacedValues.size(), 1u);
    EXPECT_EQ(beyond.replacedValues[0], "The configuration value nxb=500 cannot be used (must lie between 0 and nx "
                                        "(300)); 150 is used instead.");
}

TEST(Configuration, WriteBackKeepsOtherKeysAndAppendsNewOnesInOrder)
{
    IniFile file = ProfileOf("; comment\n[AXIS]\nz0=1\nX-scale=3:2\n\n[Other]\nkeep=me\n[2D]\ndzb=\n");
    PanelTexts panel;
    panel.mass = "1.674927e-27";
    panel.scaleX = "3:1";
    SimulationState state;
    state.grid.step = 0.25;
    state.parameters.z0 = 1.0;
    WriteBackConfiguration(file, panel, state);
    EXPECT_EQ(SavedText(file),
              "; comment\n[AXIS]\nz0=1\nX-scale=3:1\nZ-scale=1:1\nP-scale=1:1\n\n[Other]\nkeep=me\n"
              "[2D]\ndzb=\nnx=300\nnz=300\nnxb=150\ndxb=0.5\nstep=0.25\n"
              "[PARAMETERS]\nslits=2\nmass=1.674927e-27\nlambda=1E-8\nd=1E-8\nslite width=1E-8\nsigma0=2E-9\n");
}

TEST(Configuration, AFreshFileHoldsEveryKeyButZ0DzbAndTheIntegratorsDefaults)
{
    IniFile file;
    WriteBackConfiguration(file, PanelTexts{}, SimulationState{});
    EXPECT_EQ(SavedText(file),
              "[PARAMETERS]\nslits=2\nmass=9.1095E-31\nlambda=1E-8\nd=1E-8\nslite width=1E-8\nsigma0=2E-9\n"
              "[AXIS]\nX-scale=1:1\nZ-scale=1:1\nP-scale=1:1\n"
              "[2D]\nnx=300\nnz=300\nnxb=150\ndxb=0.5\nstep=0.5\n");

    // The integrator's keys join a file once they differ from the defaults,
    // and stay in it from then on.
    SimulationState adaptive;
    adaptive.grid.integrator = Integrator::Adaptive;
    WriteBackConfiguration(file, PanelTexts{}, adaptive);
    EXPECT_NE(SavedText(file).find("step=0.5\nintegrator=adaptive\n"), std::string::npos);
    WriteBackConfiguration(file, PanelTexts{}, SimulationState{});
    EXPECT_NE(SavedText(file).find("step=0.5\nintegrator=euler\n"), std::string::npos);
    EXPECT_EQ(SavedText(file).find("tolerance"), std::string::npos);
    SimulationState read;
    read.grid.integrator = Integrator::Adaptive;
    EXPECT_TRUE(LoadConfiguration(file, read).replacedValues.empty());
    EXPECT_EQ(read.grid.integrator, Integrator::Euler);
}

// z0 is written back as it is in effect: a value of the file that could not
// be used is replaced, so that it is not reported again on every run.
TEST(Configuration, AReplacedZ0IsWrittenBackAsTheValueInEffect)
{
    for (const auto& [text, written] : std::vector<std::pair<std::string, std::string>>{
             {"[AXIS]\nz0=1e308\n", "z0=0"}, {"[AXIS]\nz0=abc\n", "z0=0"}, {"[AXIS]\nz0=2.5E-9\n", "z0=2.5E-9"}}) {
        IniFile file = ProfileOf(text);
        SimulationState state;
        LoadConfiguration(file, state);
        WriteBackConfiguration(file, PanelTexts{}, state);
        EXPECT_NE(SavedText(file).find("\n" + written + "\n"), std::string::npos) << text << SavedText(file);
        SimulationState again;
        EXPECT_TRUE(LoadConfiguration(file, again).replacedValues.empty()) << text;
    }
}

TEST(Configuration, TheModelSectionIsReadCheckedAndWrittenOnlyWhenUsed)
{
    SimulationState state;
    IniFile file = ProfileOf("[MODEL]\nmodel=Wave\ngrating=phase\npropagator=sideways\nedge width=-1\nphase depth=2.5\n"
                             "lambda spread=0.02\nsource width=0.5\ncoherence samples=7\n");
    const LoadedConfiguration loaded = LoadConfiguration(file, state);
    const WaveSettings& wave = state.parameters.wave;
    EXPECT_EQ(wave.model, FieldModel::Wave);
    EXPECT_EQ(wave.grating, GratingKind::Phase);
    EXPECT_EQ(wave.propagator, Propagator::Paraxial);
    EXPECT_EQ(wave.edgeWidth, 0.0);
    EXPECT_EQ(wave.phaseDepth, 2.5);
    EXPECT_EQ(wave.lambdaSpread, 0.02);
    EXPECT_EQ(wave.sourceWidth, 0.0);
    EXPECT_EQ(wave.coherenceSamples, 7);
    ASSERT_EQ(loaded.replacedValues.size(), 3u);
    EXPECT_EQ(loaded.replacedValues[0], "The configuration value propagator=sideways cannot be used (not one of "
                                        "paraxial or exact); paraxial is used instead.");
    WriteBackConfiguration(file, PanelTexts{}, state);
    EXPECT_NE(SavedText(file).find("[MODEL]\nmodel=wave\ngrating=phase\npropagator=paraxial\nedge width=0\n"
                                   "phase depth=2.5\nlambda spread=0.02\nsource width=0\ncoherence samples=7\n"),
              std::string::npos)
        << SavedText(file);
    IniFile fresh;
    WriteBackConfiguration(fresh, PanelTexts{}, SimulationState{});
    EXPECT_EQ(SavedText(fresh).find("MODEL"), std::string::npos);
}

TEST(Configuration, LegendEchoListsParametersThenAxis)
{
    const IniFile file = ProfileOf(
        "[AXIS]\nX-scale=1:1\nz0=0\n[2D]\nnx=300\n[PARAMETERS]\nslits=2\nmass=9.1095E-31\nslite width=1E-8\n");
    EXPECT_EQ(LegendEcho(file), (std::vector<std::string>{"slits=2", "mass=9.1095E-31", "slit width=1E-8", "X-scale=1:1",
                                                          "z0=0"}))
        << "the slit width as the user reads it, not as the file's key spells it";
}

TEST(Configuration, ObsoleteDzbIsDetectedOnlyWithAValue)
{
    EXPECT_FALSE(HasObsoleteDzb(ProfileOf("[2D]\ndzb=\n")));
    EXPECT_FALSE(HasObsoleteDzb(IniFile{}));
    EXPECT_TRUE(HasObsoleteDzb(ProfileOf("[2d]\nDZB=5\n")));
}

}  // namespace
}  // namespace nivaro
