#pragma once

// A connection to a Firebird database, described by named parameters (the connection settings
// fill them: USER_NAME, PASSWORD, ROLE, SERVER, PORT, PROTOCOL, DATABASE, CharacterSet, ...).
// It opens itself when a query first needs it, and closes on request; a closed connection opens
// again at the next query.
//
// Parameters used when attaching: DATABASE (required), SERVER and PORT (with PROTOCOL TCPIP, or
// no PROTOCOL, they give the address inet://SERVER:PORT/DATABASE; PROTOCOL Local uses DATABASE
// alone), USER_NAME, PASSWORD, ROLE, CharacterSet (the client character set; text of the rows
// arrives in it), LoginTimeout (seconds an attach may wait for the server; default
// kDefaultConnectTimeoutSeconds). Other names (DriverID, PageSize, ...) are kept and not used.
//
// Transactions are read-only: this program never writes to the shop's database. With auto-commit
// off (as the server sets it) one transaction starts with the first query and lasts until
// commit(), rollback() or close(); with auto-commit on, each query's transaction is committed
// when the last open query closes.
//
// Automatic reconnection: when a query meets a dead link (the server was restarted, the network
// dropped; DatabaseError::lostLink), the connection drops the dead attachment; when the query was
// being opened, it attaches again once and runs the query again. A query whose rows were being
// read when the link died fails, and the next query attaches again.
//
// One thread only. Queries must not outlive their connection.

#include "data/DatabaseError.h"

#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace vorn::data {

class Query;

enum class Isolation { ReadCommitted, Snapshot, Serializable };

// How long an attach waits for a server that does not answer, unless LoginTimeout says
// otherwise: long enough for a busy server on a shop's network, short enough that the terminals
// are not left without answers for minutes.
inline constexpr int kDefaultConnectTimeoutSeconds = 5;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // --- Named parameters. Names compare without regard to case; setting a name that is
    // already there replaces its value (the name keeps its first spelling and place).
    void setParam(const QString& name, const QString& value);
    // The value, or an empty text when the name is not set.
    QString param(const QString& name) const;
    bool hasParam(const QString& name) const;
    void removeParam(const QString& name);
    void clearParams();
    // In the order they were first set.
    const std::vector<std::pair<QString, QString>>& params() const;

    // --- Settings; they take effect at the next attach (or the next transaction).
    // The client library file (see FbClient::load); empty for the program folder's or the
    // system's.
    void setVendorLibrary(const QString& path);
    QString vendorLibrary() const;
    void setAutoReconnect(bool on);
    bool autoReconnect() const;
    void setAutoCommit(bool on);
    bool autoCommit() const;
    void setIsolation(Isolation isolation);
    Isolation isolation() const;

    // --- State.
    // Attaches now (queries do it themselves when needed). Throws DatabaseError.
    void open();
    // Closes every open query of the connection, ends the transaction (committing it: nothing
    // was written) and detaches. Never throws: a dead link is simply let go.
    void close();
    bool connected() const;
    bool inTransaction() const;
    void commit();
    void rollback();

    // The address handed to the client library for the current parameters, as in
    // "inet://127.0.0.1:3050//srv/dados/KALUNDRA.FDB". Throws DatabaseError when DATABASE is
    // empty, the port is not a port number or the protocol is unknown.
    QString databaseAddress() const;
    // The client library the connection loaded (empty before the first attach).
    QString clientLibrary() const;

    struct Impl;

private:
    friend class Query;
    std::unique_ptr<Impl> d_;
};

} // namespace vorn::data
