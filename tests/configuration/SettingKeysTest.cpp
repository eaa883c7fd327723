#include <gtest/gtest.h>

#include "configuration/SettingKeys.h"

namespace nivaro {
namespace {

TEST(SettingKeys, ApplySettingReadsEachKindStrictlyAndKeepsTheTypedText)
{
    SimulationState state;
    PanelTexts panel;
    EXPECT_FALSE(ApplySetting(state, panel, "slits", "5"));
    EXPECT_FALSE(ApplySetting(state, panel, "MASS", "1.674927e-27"));
    EXPECT_FALSE(ApplySetting(state, panel, "slite width", " +2E-9 "));
    EXPECT_FALSE(ApplySetting(state, panel, "Z-scale", "3:2"));
    EXPECT_FALSE(ApplySetting(state, panel, "nx", "-4"));
    EXPECT_FALSE(ApplySetting(state, panel, "z0", "0.5"));
    EXPECT_FALSE(ApplySetting(state, panel, "integrator", " Adaptive"));
    EXPECT_FALSE(ApplySetting(state, panel, "tolerance", "1e-8"));
    EXPECT_EQ(state.parameters.slits, 5);
    EXPECT_EQ(state.parameters.mass, 1.674927e-27);
    EXPECT_EQ(panel.mass, "1.674927e-27") << "written back as typed";
    EXPECT_EQ(state.parameters.slitWidth, 2e-9);
    EXPECT_EQ(panel.slitWidth, " +2E-9 ");
    EXPECT_EQ(state.scaleZ.Text(), "3:1");
    EXPECT_EQ(panel.scaleZ, "3:1");
    EXPECT_EQ(state.grid.nx, -4);
    EXPECT_EQ(state.parameters.z0, 0.5);
    EXPECT_EQ(state.grid.integrator, Integrator::Adaptive);
    EXPECT_EQ(state.grid.tolerance, 1e-8);

    EXPECT_FALSE(ApplySetting(state, panel, " Slit Width ", "3E-9")) << "the caption stands for the key";
    EXPECT_EQ(state.parameters.slitWidth, 3e-9);
    EXPECT_EQ(SettingKeyOf("slit width"), "slite width");
    EXPECT_EQ(SettingCaption("slite width"), "slit width");
    EXPECT_EQ(SettingCaption("sigma0"), "sigma0");
    EXPECT_EQ(SettingKeyOf("slitwidth"), std::nullopt);
}

TEST(SettingKeys, RefusedTextsNameKeyValueAndReasonAndChangeNothing)
{
    SimulationState state;
    PanelTexts panel;
    const std::tuple<const char*, const char*, const char*> refused[] = {
        {"nx", "1.5", "'1.5' is not a valid integer value"},
        {"nx", "", "'' is not a valid integer value"},
        {"slits", "99999999999", "'99999999999' is not a valid integer value"},
        {"lambda", "1e-8x", "'1e-8x' is not a valid floating point value"},
        {"d", "1,5", "'1,5' is not a valid floating point value"},
        {"sigma0", "inf", "'inf' is not a valid floating point value"},
        {"X-scale", "x", "'x' is not a positive ratio p:q"},
        {"P-scale", "0", "'0' is not a positive ratio p:q"},
        {"integrator", "rk4", "'rk4' is not one of euler or adaptive"},
        {"grating", "slit", "'slit' is not one of gaussian, rectangular, phase or file"},
    };
    for (const auto& [key, value, reason] : refused) {
        EXPECT_EQ(ApplySetting(state, panel, key, value).value_or(""), std::string(key) + "=" + value + ": " + reason);
    }
    EXPECT_EQ(ApplySetting(state, panel, "colour", "1").value_or(""), "unknown setting 'colour'");
    EXPECT_EQ(state.parameters.lambda, 1e-8);
    EXPECT_EQ(panel.lambda, "1E-8");
    EXPECT_EQ(state.scaleX.Text(), "1:1");
}

}  // namespace
}  // namespace nivaro
