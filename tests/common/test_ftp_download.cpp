#include "common/uFuncDirsArqs.h"

#include "FtpTestServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <random>
#include <stdexcept>

using vorn::common::TFuncDirArq;
using vorn::test::FtpTestServer;
using vorn::test::q;
using vorn::test::readFile;
using vorn::test::TempDir;
using vorn::test::writeFile;
namespace fs = std::filesystem;

namespace {

// A password that would break an address if it were written into one.
const QString kUser = QStringLiteral("loja");
const QString kPassword = QStringLiteral("s3nh@:/ #?x");

struct FtpFixture : testing::Test {
    void SetUp() override {
        fs::create_directories(home / "pasta");
        writeFile(home / "pasta" / "nota fiscal ç.xml", "<nfe>1</nfe>");
        std::mt19937 random(7);
        big.resize(3 * 1024 * 1024 + 17);
        for (char& c : big)
            c = static_cast<char>(random());
        writeFile(home / "big.bin", big);
        fs::create_directory(dest.path() / "saída");
        server = std::make_unique<FtpTestServer>(q(home.path()), kUser, kPassword);
        ASSERT_NE(server->port(), 0) << "the FTP server did not start";
    }

    // Files other than `name` in the destination folder: a partial download must leave none.
    std::vector<std::string> strays(const std::string& name) {
        std::vector<std::string> found;
        for (const auto& e : fs::directory_iterator(dest.path() / "saída"))
            if (e.path().filename() != name)
                found.push_back(e.path().filename().string());
        return found;
    }

    TempDir home;
    TempDir dest;
    std::string big;
    std::unique_ptr<FtpTestServer> server;
};

TEST_F(FtpFixture, DownloadsWholeFilesAndReplacesTheDestination) {
    const QString folder = q(dest.path() / "saída") + "/";
    writeFile(dest.path() / "saída" / "nota.xml", "an older and much longer file");

    EXPECT_TRUE(TFuncDirArq::DownlArqFTPAcbr(server->host(), kUser, kPassword,
                                             QStringLiteral("pasta/nota fiscal ç.xml"), folder,
                                             QStringLiteral("nota.xml")));
    EXPECT_EQ(readFile(dest.path() / "saída" / "nota.xml"), "<nfe>1</nfe>");

    // A binary file of some megabytes, to a folder given without its final "/", by an absolute
    // remote path.
    EXPECT_TRUE(TFuncDirArq::DownlArqFTPAcbr(server->host(), kUser, kPassword,
                                             QStringLiteral("/big.bin"), folder.chopped(1),
                                             QStringLiteral("big.bin")));
    EXPECT_TRUE(readFile(dest.path() / "saída" / "big.bin") == big);
}

TEST_F(FtpFixture, RefusedLoginOrMissingFileThrowsAndLeavesNoFile) {
    const QString folder = q(dest.path() / "saída") + "/";
    const struct {
        const char* what;
        QString password;
        QString remote;
    } cases[] = {
        {"wrong password", QStringLiteral("wrong"), QStringLiteral("pasta/nota fiscal ç.xml")},
        {"missing file", kPassword, QStringLiteral("pasta/none.xml")},
        {"folder instead of file", kPassword, QStringLiteral("pasta")},
    };
    for (const auto& c : cases) {
        // An older file of that name goes first, so a failure leaves no stale file that could
        // pass for the download.
        writeFile(dest.path() / "saída" / "nota.xml", "old");
        try {
            TFuncDirArq::DownlArqFTPAcbr(server->host(), kUser, c.password, c.remote, folder,
                                         QStringLiteral("nota.xml"));
            ADD_FAILURE() << c.what << ": no error";
        } catch (const std::runtime_error& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(c.remote)) << e.what();
        }
        EXPECT_FALSE(fs::exists(dest.path() / "saída" / "nota.xml")) << c.what;
        EXPECT_TRUE(strays("nota.xml").empty()) << c.what;
    }
}

TEST_F(FtpFixture, NoServerOrNoDestinationFolderThrows) {
    const QString folder = q(dest.path() / "saída") + "/";
    const std::uint16_t port = server->port();
    server.reset(); // nothing listens there now
    EXPECT_THROW(TFuncDirArq::DownlArqFTPAcbr(QStringLiteral("127.0.0.1:%1").arg(port), kUser,
                                              kPassword, QStringLiteral("big.bin"), folder,
                                              QStringLiteral("big.bin")),
                 std::runtime_error);
    EXPECT_TRUE(strays("").empty());
    EXPECT_THROW(TFuncDirArq::DownlArqFTPAcbr(QString(), kUser, kPassword,
                                              QStringLiteral("big.bin"), folder,
                                              QStringLiteral("big.bin")),
                 std::runtime_error);
    EXPECT_THROW(TFuncDirArq::DownlArqFTPAcbr(QStringLiteral("127.0.0.1:1"), kUser, kPassword,
                                              QStringLiteral("big.bin"), folder + "missing/",
                                              QStringLiteral("big.bin")),
                 std::runtime_error);
}

} // namespace
