#include <gtest/gtest.h>

#include "ArrayFiles.h"
#include "TestFiles.h"
#include "engine/DensityGrid.h"
#include "output/ArrayOutput.h"

namespace nivaro {
namespace {

// A grid computed and written whole, and the same grid computed and written
// a block of columns at a time (the last block narrower than the others):
// the files hold the same values, bit for bit.
TEST(StreamedArrays, ABlockAtATimeWritesWhatTheWholeGridWrites)
{
    ScratchFolder folder;
    SimulationState whole;
    whole.grid.nx = 101;
    whole.grid.nz = 70;
    whole.parameters.slits = 3;
    SilentProgress silent;
    ComputeDensityGrid(whole, silent, PsiKept::Whole);

    for (const std::string extension : {".npy", ".h5"}) {
        SCOPED_TRACE(extension);
        const auto path = [&folder, &extension](const std::string& name) { return folder / (name + extension); };
        {
            ArrayOutput density(path("density").string(), {});
            density.WriteReal(whole.densityField, "density", "1", "% .4f");
            ArrayOutput psi(path("psi").string(), {});
            psi.WriteComplex(whole.psiField, "psi", "1");
        }
        SimulationState streamed;
        streamed.grid = whole.grid;
        streamed.parameters = whole.parameters;
        ArrayOutput density(path("density-streamed").string(), {});
        ArrayOutput psi(path("psi-streamed").string(), {});
        density.BeginColumns(false, "density", 101, 70, 32, "1");
        psi.BeginColumns(true, "psi", 101, 70, 32, "1");
        std::vector<int> blocks;
        StreamDensityGrid(streamed, silent, PsiKept::Whole, 32,
                          [&](int first, const GridView<const double>& values, const GridView<const Complex>& psiValues) {
                              blocks.push_back(first);
                              density.WriteColumns(first, values);
                              psi.WriteColumns(first, psiValues);
                          });
        density.FinishColumns();
        psi.FinishColumns();
        EXPECT_EQ(blocks, (std::vector<int>{0, 32, 64}));
        EXPECT_EQ(streamed.densityField.Rows(), 0) << "the state holds no grid";
        if (extension == ".npy") {
            EXPECT_EQ(ReadWholeFile(path("density-streamed")), ReadWholeFile(path("density")));
            EXPECT_EQ(ReadWholeFile(path("psi-streamed")), ReadWholeFile(path("psi")));
            continue;
        }
        const hid_t complex = H5Tcreate(H5T_COMPOUND, 16);
        H5Tinsert(complex, "r", 0, H5T_NATIVE_DOUBLE);
        H5Tinsert(complex, "i", 8, H5T_NATIVE_DOUBLE);
        for (const std::string name : {"density", "psi"}) {
            const hid_t one = H5Fopen(path(name).c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
            const hid_t other = H5Fopen(path(name + "-streamed").c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
            const bool isPsi = name == "psi";
            const hid_t type = isPsi ? complex : H5T_NATIVE_DOUBLE;
            EXPECT_EQ(Hdf5Values(one, name.c_str(), type, isPsi ? 2 : 1), Hdf5Values(other, name.c_str(), type, isPsi ? 2 : 1))
                << name;
            H5Fclose(one);
            H5Fclose(other);
        }
        H5Tclose(complex);
    }
}

}  // namespace
}  // namespace nivaro
