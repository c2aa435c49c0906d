// Connection parameters, attaching, transactions, errors and the client library, against the
// real server.

#include "data/AbreConsulta.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "support/FirebirdServer.h"
#include "support/FreePort.h"
#include "support/TempDir.h"

#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <link.h>

using namespace vorn::data;
using vorn::test::configureConnection;
using vorn::test::connectToFixture;
using vorn::test::firebirdEnv;

namespace {

TEST(FirebirdConnection, ParameterNamesIgnoreCaseAndASetReplacesTheValue) {
    Connection connection;
    connection.setParam(QStringLiteral("DriverID"), QStringLiteral("FB"));
    connection.setParam(QStringLiteral("User_Name"), QStringLiteral("SYSDBA"));
    connection.setParam(QStringLiteral("USER_NAME"), QStringLiteral("VORNMASTER"));
    connection.setParam(QStringLiteral("server"), QStringLiteral("10.0.0.1"));
    connection.setParam(QStringLiteral("SERVER"), QStringLiteral("127.0.0.1"));

    ASSERT_EQ(connection.params().size(), 3u);
    EXPECT_EQ(connection.param(QStringLiteral("user_name")), QStringLiteral("VORNMASTER"));
    EXPECT_EQ(connection.param(QStringLiteral("Server")), QStringLiteral("127.0.0.1"));
    // The first spelling and place stay.
    EXPECT_EQ(connection.params()[1].first, QStringLiteral("User_Name"));
    EXPECT_EQ(connection.params()[2].first, QStringLiteral("server"));

    connection.removeParam(QStringLiteral("driverid"));
    EXPECT_FALSE(connection.hasParam(QStringLiteral("DriverID")));
    EXPECT_EQ(connection.param(QStringLiteral("DriverID")), QString());
    EXPECT_EQ(connection.params().size(), 2u);
}

TEST(FirebirdConnection, DatabaseAddressFollowsServerPortProtocolAndDatabase) {
    struct Case {
        const char* server;
        const char* port;
        const char* protocol;
        const char* database;
        const char* address; // nullptr: the parameters are refused
    };
    const Case cases[] = {
        {"127.0.0.1", "3050", "ipTCPIP", "/srv/vorn/Dados/KALUNDRA.FDB",
         "inet://127.0.0.1:3050//srv/vorn/Dados/KALUNDRA.FDB"},
        // A folder on a Windows server keeps its backslashes.
        {"192.168.0.5", "3051", "TCPIP", "C:\\SistemaVORN\\Dados\\KALUNDRA.FDB",
         "inet://192.168.0.5:3051/C:\\SistemaVORN\\Dados\\KALUNDRA.FDB"},
        {"servidor", "", "ipTCPIP", "/d/k.fdb", "inet://servidor//d/k.fdb"},
        {"::1", "3050", "ipTCPIP", "/d/k.fdb", "inet://[::1]:3050//d/k.fdb"},
        {"", "", "", "/d/k.fdb", "/d/k.fdb"},
        {"127.0.0.1", "3050", "Local", "/d/k.fdb", "/d/k.fdb"},
        {"127.0.0.1", "3050", "NetBEUI", "/d/k.fdb", nullptr},
        {"127.0.0.1", "abc", "ipTCPIP", "/d/k.fdb", nullptr},
        {"127.0.0.1", "0", "ipTCPIP", "/d/k.fdb", nullptr},
        {"127.0.0.1", "65536", "ipTCPIP", "/d/k.fdb", nullptr},
        {"127.0.0.1", "3050", "ipTCPIP", "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.server) + " " + c.port + " " + c.protocol + " " + c.database);
        Connection connection;
        connection.setParam(QStringLiteral("SERVER"), QString::fromLatin1(c.server));
        connection.setParam(QStringLiteral("PORT"), QString::fromLatin1(c.port));
        connection.setParam(QStringLiteral("PROTOCOL"), QString::fromLatin1(c.protocol));
        connection.setParam(QStringLiteral("DATABASE"), QString::fromLatin1(c.database));
        if (c.address != nullptr) {
            EXPECT_EQ(connection.databaseAddress(), QString::fromLatin1(c.address));
        } else {
            EXPECT_THROW(connection.databaseAddress(), DatabaseError);
            // Refused parameters never reach the server: attaching fails the same way.
            EXPECT_THROW(connection.open(), DatabaseError);
            EXPECT_FALSE(connection.connected());
        }
    }
}

TEST(FirebirdConnection, OpensAtTheFirstQueryAndClosesOnRequestWithItsQueries) {
    Connection connection;
    connectToFixture(connection);
    EXPECT_FALSE(connection.connected());

    Query query(connection);
    AbreConsulta(query,
                 QStringLiteral("SELECT CURRENT_USER AS U, CURRENT_ROLE AS R FROM RDB$DATABASE"));
    EXPECT_TRUE(connection.connected());
    EXPECT_EQ(query.asQString("U"), QStringLiteral("VORNMASTER"));
    EXPECT_EQ(query.asQString("R"), QStringLiteral("RDB$ADMIN"));

    connection.close();
    EXPECT_FALSE(connection.connected());
    EXPECT_FALSE(connection.inTransaction());
    EXPECT_FALSE(query.active());

    // The next query opens it again.
    AbreConsulta(query, QStringLiteral("SELECT 1 AS UM FROM RDB$DATABASE"));
    EXPECT_TRUE(connection.connected());
    EXPECT_EQ(query.asInteger("UM"), 1);
}

TEST(FirebirdConnection, TransactionsAreReadOnlyWithTheChosenIsolation) {
    struct Case {
        Isolation isolation;
        int monIsolationMode; // MON$TRANSACTIONS: 0 consistency, 1 concurrency, 2 read committed
                              // record version
    };
    const Case cases[] = {
        {Isolation::ReadCommitted, 2},
        {Isolation::Snapshot, 1},
        {Isolation::Serializable, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.monIsolationMode);
        Connection connection;
        connectToFixture(connection);
        connection.setIsolation(c.isolation);
        Query query(connection);
        AbreConsulta(query, QStringLiteral("SELECT MON$READ_ONLY AS RO, MON$ISOLATION_MODE AS ISO "
                                           "FROM MON$TRANSACTIONS WHERE MON$TRANSACTION_ID = "
                                           "CURRENT_TRANSACTION"));
        ASSERT_FALSE(query.eof());
        EXPECT_EQ(query.asInteger("RO"), 1);
        EXPECT_EQ(query.asInteger("ISO"), c.monIsolationMode);
    }
}

TEST(FirebirdConnection, AutoCommitOffKeepsOneTransactionUntilCommitOrClose) {
    const QString sql = QStringLiteral("SELECT CURRENT_TRANSACTION AS T FROM RDB$DATABASE");
    for (bool autoCommit : {false, true}) {
        SCOPED_TRACE(autoCommit ? "auto-commit on" : "auto-commit off");
        Connection connection;
        connectToFixture(connection);
        connection.setAutoCommit(autoCommit);
        Query query(connection);
        AbreConsulta(query, sql);
        const std::int64_t first = query.asInteger("T");
        AbreConsulta(query, sql);
        const std::int64_t second = query.asInteger("T");
        query.close();
        EXPECT_EQ(connection.inTransaction(), !autoCommit);
        if (autoCommit)
            EXPECT_NE(first, second);
        else
            EXPECT_EQ(first, second);

        if (!autoCommit) {
            connection.commit();
            EXPECT_FALSE(connection.inTransaction());
            AbreConsulta(query, sql);
            EXPECT_NE(query.asInteger("T"), second);
        }
    }
}

// Each failure is reported with the text the server (or the client library) gives for it, lines
// after the first marked with "-" as Firebird's own tools show them, and a category that tells
// a caller whether to try again; after a failed attachment the connection stays closed.
TEST(FirebirdConnection, FailuresCarryTheServersOwnMessageAndTheirCategory) {
    const auto& env = firebirdEnv();
    vorn::test::TempDir temp;
    const std::string missing = (temp.path() / "NAO_EXISTE.FDB").string();
    const QString kSelect = QStringLiteral("SELECT 1 FROM RDB$DATABASE");
    struct Case {
        const char* what;
        int port;
        std::string database;
        QString password;
        QString sql;
        std::string message; // the start of the message
        ErrorCategory category;
    };
    const Case cases[] = {
        {"wrong password", env.port, env.fixture, QStringLiteral("senha-errada"), kSelect,
         "Your user name and password are not defined. Ask your database administrator to set "
         "up a Firebird login.",
         ErrorCategory::Authentication},
        {"wrong database path", env.port, missing, QStringLiteral("x47#q802"), kSelect,
         "I/O error during \"open\" operation for file \"" + missing +
             "\"\n-Error while trying to open file\n-No such file or directory",
         ErrorCategory::DatabaseMissing},
        {"server down", vorn::test::freeTcpPort(), env.fixture, QStringLiteral("x47#q802"), kSelect,
         "Unable to complete network request to host \"127.0.0.1\".\n-Failed to establish a "
         "connection.",
         ErrorCategory::ConnectionLost},
        {"unknown table", env.port, env.fixture, QStringLiteral("x47#q802"),
         QStringLiteral("SELECT X FROM TABELA_QUE_NAO_EXISTE"),
         "Dynamic SQL Error\n-SQL error code = -204\n-Table unknown\n-TABELA_QUE_NAO_EXISTE",
         ErrorCategory::Statement},
        {"bad syntax", env.port, env.fixture, QStringLiteral("x47#q802"),
         QStringLiteral("SELEC 1 FROM RDB$DATABASE"), "Dynamic SQL Error\n-SQL error code = -104",
         ErrorCategory::Statement},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connection connection;
        configureConnection(connection, c.port, c.database);
        connection.setParam(QStringLiteral("password"), c.password);
        Query query(connection);
        try {
            AbreConsulta(query, c.sql);
            ADD_FAILURE() << "the query opened";
        } catch (const DatabaseError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, c.message.size()), c.message) << e.what();
            EXPECT_NE(e.gdsCode(), 0);
            EXPECT_EQ(e.category(), c.category) << categoryName(e.category());
            EXPECT_EQ(e.lostLink(), c.category == ErrorCategory::ConnectionLost);
            EXPECT_EQ(e.retryable(), c.category == ErrorCategory::ConnectionLost);
            // One base class for every error of the data layer.
            const DataError& base = e;
            EXPECT_EQ(base.category(), c.category);
        }
        if (c.category != ErrorCategory::Statement) {
            EXPECT_FALSE(connection.connected());
        }
        EXPECT_FALSE(query.active());
    }
}

// The path of the system's libfbclient.so.2, as the loader finds it.
std::filesystem::path systemClientPath() {
    void* handle = dlopen("libfbclient.so.2", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        return {};
    link_map* map = nullptr;
    std::filesystem::path path;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr)
        path = std::filesystem::canonical(map->l_name);
    dlclose(handle);
    return path;
}

TEST(FirebirdConnection, VendorLibraryIsUsedWhenItExistsElseTheSystemsOne) {
    vorn::test::TempDir temp;
    const auto system = systemClientPath();
    ASSERT_FALSE(system.empty()) << "libfbclient.so.2 is not installed";

    struct Case {
        const char* what;
        QString vendor;
        QString loaded; // empty: loading fails
    };
    const QString copy = QString::fromStdString((temp.path() / "libfbclient.so.2").string());
    const QString notALibrary = QString::fromStdString((temp.path() / "texto.so").string());
    std::filesystem::copy_file(system, copy.toStdString());
    vorn::test::writeFile(notALibrary.toStdString(), "isto nao e uma biblioteca\n");
    const Case cases[] = {
        {"missing file", QString::fromStdString((temp.path() / "nada/libfbclient.so.2").string()),
         QStringLiteral("libfbclient.so.2")},
        {"a copy in the program folder", copy, copy},
        {"not a library", notALibrary, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connection connection;
        connectToFixture(connection);
        connection.setVendorLibrary(c.vendor);
        Query query(connection);
        if (c.loaded.isEmpty()) {
            try {
                AbreConsulta(query, QStringLiteral("SELECT 1 AS UM FROM RDB$DATABASE"));
                ADD_FAILURE() << "a text file was loaded as the client library";
            } catch (const DatabaseError& e) {
                EXPECT_NE(std::string(e.what()).find(notALibrary.toStdString()), std::string::npos)
                    << e.what();
                EXPECT_EQ(e.gdsCode(), 0);
                EXPECT_EQ(e.category(), ErrorCategory::Usage);
            }
            continue;
        }
        AbreConsulta(query, QStringLiteral("SELECT 1 AS UM FROM RDB$DATABASE"));
        EXPECT_EQ(query.asInteger("UM"), 1);
        EXPECT_EQ(connection.clientLibrary(), c.loaded);
    }
}

} // namespace
