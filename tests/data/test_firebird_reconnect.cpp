// A lost link to the server: each test stops and starts a private server of its own, never the
// shared one.

#include "data/AbreConsulta.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "support/FirebirdServer.h"
#include "support/TempDir.h"

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
