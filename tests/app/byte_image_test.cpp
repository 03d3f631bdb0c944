// Byte images are described by the library but not converted: the run ends
// with its message and leaves nothing behind.
#include "run_support.h"

#include "support/samples.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace rastrify::testing {
namespace {

using gridlib::testing::gdal_sample;
using gridlib::testing::TempDir;

TEST(ByteImageRun, IsRefusedWithItsMessage) {
    TempDir dir;
    const RunResult bil = run_rastrify(dir.path(), {gdal_sample("ehdr.bil"), "scene.bmp"});
    EXPECT_EQ(bil.status, 1);
    EXPECT_NE(bil.err.find("PCIDSK, BIL and BIP byte images are not converted"), std::string::npos) << bil.err;
    EXPECT_TRUE(files_in(dir.path()).empty());

    // GDAL's PCIDSK files lack the locked georeferencing segment the header reader takes.
    const RunResult pix = run_rastrify(dir.path(), {gdal_sample("pcidsk_band.pix"), "scene.bmp"});
    EXPECT_EQ(pix.status, 1);
    EXPECT_NE(pix.err.find("could not be determined : -2008"), std::string::npos) << pix.err;
    EXPECT_TRUE(files_in(dir.path()).empty());
}

}  // namespace
}  // namespace rastrify::testing
