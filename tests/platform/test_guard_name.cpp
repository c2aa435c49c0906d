#include "platform/DeveloperMarker.h"
#include "platform/GuardName.h"

#include <gtest/gtest.h>

using namespace vorn::platform;

TEST(GuardName, IsTheFileNameWithOnlyAsciiLettersUpperCased) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"Abc.exe", "ABC.EXE"},
        {"/opt/SistemaVORN/BPVORN", "BPVORN"},
        {"/home/loja/bpVorn", "BPVORN"},         // another folder, same guard
        {"/pasta.d/preço-é.exe", "PREçO-é.EXE"}, // accented letters keep their case
        {"/pasta/PREÇO-É.EXE", "PREÇO-É.EXE"},   // ... so these two names differ
        {"/x/a_b-1.z9", "A_B-1.Z9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(guardNameOf(QString::fromUtf8(c.path)), QString::fromUtf8(c.name)) << c.path;
}

TEST(GuardName, OfTheRunningProgramIsItsOwnFileName) {
    // This test program runs as .../tests/test_platform.
    EXPECT_TRUE(runningProgramPath().endsWith(QLatin1String("/test_platform")))
        << runningProgramPath().toStdString();
    EXPECT_EQ(guardName(), QLatin1String("TEST_PLATFORM"));
}

TEST(DeveloperMarker, IsTheFixedLinuxPathUnlessATestPointsItElsewhere) {
    EXPECT_EQ(developerMarkerFile(), QLatin1String("/opt/DevTaluma/MicroDesenvolvimento.ini"));
    {
        ScopedDeveloperMarkerFile outer("/tmp/outer.ini");
        EXPECT_EQ(developerMarkerFile(), QLatin1String("/tmp/outer.ini"));
        {
            ScopedDeveloperMarkerFile inner("/tmp/inner.ini");
            EXPECT_EQ(developerMarkerFile(), QLatin1String("/tmp/inner.ini"));
        }
        EXPECT_EQ(developerMarkerFile(), QLatin1String("/tmp/outer.ini"));
    }
    EXPECT_EQ(developerMarkerFile(), QLatin1String("/opt/DevTaluma/MicroDesenvolvimento.ini"));
}
