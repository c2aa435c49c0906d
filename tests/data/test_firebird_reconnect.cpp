// A lost link to the server: each test stops and starts a private server of its own, never the
// shared one.

#include "data/AbreConsulta.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "support/FirebirdServer.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>

using namespace vorn::data;

namespace {

const QString kBranch1 = QStringLiteral("SELECT NOME_CURTO FROM DIVERSOS WHERE FILIAL=1");
const QString kBranch2 = QStringLiteral("SELECT NOME_CURTO FROM DIVERSOS WHERE FILIAL=2");

class FirebirdReconnection : public ::testing::Test {
protected:
    void SetUp() override {
        server.start();
        const std::string database = server.createDatabase("fixture.fdb", "fixture");
        // As the server program sets it up: automatic reconnection on, auto-commit off, so
        // the first query's transaction is still open on the link that dies.
        vorn::test::configureConnection(connection, server.port(), database);
        AbreConsulta(query, kBranch1);
        ASSERT_EQ(query.asQString("NOME_CURTO"), QStringLiteral("MATRIZ"));
        ASSERT_TRUE(connection.inTransaction());
    }

    vorn::test::TempDir temp;
    vorn::test::PrivateFirebird server{temp.path() / "firebird"};
    Connection connection;
    Query query{connection};
};

TEST_F(FirebirdReconnection, QuerySucceedsAfterTheServerRestartedBetweenTwoQueries) {
    server.stop();
    server.start();

    AbreConsulta(query, kBranch2);
    EXPECT_EQ(query.asQString("NOME_CURTO"), QStringLiteral("LOJA CENTRO"));
    EXPECT_TRUE(connection.connected());
}

TEST_F(FirebirdReconnection,
       WithoutAutomaticReconnectionTheLostLinkIsReportedAndTheNextQueryAttaches) {
    connection.setAutoReconnect(false);
    server.stop();
    server.start();

    try {
        AbreConsulta(query, kBranch2);
        FAIL() << "a query ran on a dead link";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.lostLink()) << e.what();
        EXPECT_EQ(e.category(), ErrorCategory::ConnectionLost);
        EXPECT_NE(std::string(e.what()).find("connection"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(connection.connected());
    EXPECT_FALSE(query.active());

    AbreConsulta(query, kBranch2);
    EXPECT_EQ(query.asQString("NOME_CURTO"), QStringLiteral("LOJA CENTRO"));
}

TEST_F(FirebirdReconnection, ServerStillDownGivesTheNetworkErrorAndAQueryAfterItsReturnSucceeds) {
    server.stop();

    try {
        AbreConsulta(query, kBranch2);
        FAIL() << "a query ran with the server down";
    } catch (const DatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("Unable to complete network request to host"),
                  std::string::npos)
            << e.what();
        EXPECT_EQ(e.category(), ErrorCategory::ConnectionLost);
    }
    EXPECT_FALSE(connection.connected());

    server.start();
    AbreConsulta(query, kBranch2);
    EXPECT_EQ(query.asQString("NOME_CURTO"), QStringLiteral("LOJA CENTRO"));
}

} // namespace

TEST_F(FirebirdReconnection, AFrozenServerHoldsAnAttachOnlyForTheConnectTimeout) {
    // A server that accepts connections but does not answer (frozen here with SIGSTOP) must not
    // hold the attach for the client's default of three minutes: the window answers the
    // terminals on the thread that waits. The reload fails, and the one after the thaw works.
    connection.close();
    connection.setParam(QStringLiteral("LoginTimeout"), QStringLiteral("2"));
    const int pid = server.pid();
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    struct Thaw {
        int pid;
        ~Thaw() { ::kill(pid, SIGCONT); }
    } thaw{pid};
    const auto start = std::chrono::steady_clock::now();
    try {
        AbreConsulta(query, kBranch2);
        FAIL() << "a query ran on a frozen server";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.category(), ErrorCategory::ConnectionLost) << e.what();
    }
    // A bound, not a timing: without the limit the attach waits 180 s.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    ::kill(pid, SIGCONT);

    AbreConsulta(query, kBranch2);
    EXPECT_EQ(query.asQString("NOME_CURTO"), QStringLiteral("LOJA CENTRO"));
}

TEST(ConnectTimeout, ABadLoginTimeoutIsAUsageError) {
    Connection connection;
    connection.setParam(QStringLiteral("DATABASE"), QStringLiteral("/nada.fdb"));
    connection.setParam(QStringLiteral("SERVER"), QStringLiteral("127.0.0.1"));
    for (const char* bad : {"x", "0", "-3", "3601"}) {
        SCOPED_TRACE(bad);
        connection.setParam(QStringLiteral("LoginTimeout"), QString::fromLatin1(bad));
        Query query(connection);
        try {
            AbreConsulta(query, kBranch1);
            FAIL() << "attached with LoginTimeout " << bad;
        } catch (const DatabaseError& e) {
            EXPECT_EQ(e.category(), ErrorCategory::Usage) << e.what();
        }
    }
}
