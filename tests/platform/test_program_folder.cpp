#include "platform/ProgramFolder.h"

#include "platform/EntryProbe.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

using vorn::test::EntryProbe;
using vorn::test::TempDir;
namespace fs = std::filesystem;

namespace {

// A copy of the probe at `file`, as a shop would install the program.
void installProbeAt(const fs::path& file) {
    fs::create_directories(file.parent_path());
    fs::copy_file(VORN_ENTRY_PROBE, file, fs::copy_options::overwrite_existing);
}

QString qpath(const fs::path& p) {
    return QString::fromStdString(p.string());
}

struct Where {
    QString file;
    QString folder;
};

Where askWhere(EntryProbe& probe) {
    probe.writeLine("where");
    Where where;
    where.file = probe.readLine();
    where.folder = probe.readLine();
    return where;
}

} // namespace

TEST(ProgramFolder, IsTheFolderOfTheProgramFileEndingInASlash) {
    TempDir root;
    const fs::path program = root / "Sistema VORN/Lojas ção/bpvorn";
    installProbeAt(program);

    EntryProbe probe({"where"}, qpath(program));
    const Where where = askWhere(probe);
    EXPECT_EQ(where.file, qpath(program));
    EXPECT_EQ(where.folder, qpath(program.parent_path()) + "/");
}

TEST(ProgramFolder, AProgramStartedThroughASymbolicLinkKeepsItsOwnFolder) {
    TempDir root;
    const fs::path program = root / "SistemaVORN/bpvorn";
    installProbeAt(program);
    fs::create_directories(root / "bin");
    fs::create_symlink(program, root / "bin/bpvorn");

    EntryProbe probe({"where"}, qpath(root / "bin/bpvorn"));
    EXPECT_EQ(askWhere(probe).folder, qpath(program.parent_path()) + "/");
}

TEST(ProgramFolder, AProgramFileReplacedOrRemovedWhileItRunsKeepsItsPath) {
    TempDir root;
    const fs::path program = root / "SistemaVORN/bpvorn";
    for (const bool replaced : {true, false}) {
        SCOPED_TRACE(replaced ? "replaced by a new version" : "removed");
        installProbeAt(program);
        EntryProbe probe({"where"}, qpath(program));
        ASSERT_TRUE(probe.started());
        fs::remove(program);
        if (replaced)
            installProbeAt(program);

        const Where where = askWhere(probe);
        EXPECT_EQ(where.file, qpath(program));
        EXPECT_EQ(where.folder, qpath(program.parent_path()) + "/");
    }
}
