#pragma once

// Internal to the data layer: the state a Connection shares with its queries.

#include "data/Connection.h"
#include "data/FbClient.h"

#include <firebird/Interface.h>
#include <vector>

namespace vorn::data {

struct Connection::Impl {
    std::vector<std::pair<QString, QString>> params;
    QString vendorLibrary;
    bool autoReconnect = false;
    bool autoCommit = true;
    Isolation isolation = Isolation::ReadCommitted;

    FbClient* client = nullptr;
    Firebird::IAttachment* attachment = nullptr;
    Firebird::ITransaction* transaction = nullptr;
    // Every query made on this connection, open or not.
    std::vector<Query*> queries;

    std::vector<std::pair<QString, QString>>::iterator findParam(const QString& name);
    std::vector<std::pair<QString, QString>>::const_iterator findParam(const QString& name) const;
    QString param(const QString& name) const;
    QString address() const;

    // Attaches when not attached. Throws DatabaseError.
    void attach();
    // The attach time limit, from LoginTimeout; throws DatabaseError (Usage) for a bad value.
    int connectTimeoutSeconds() const;
    // The transaction the queries run in, started when there is none. Throws DatabaseError.
    Firebird::ITransaction* transactionForQuery();
    // Closes every open query (without ending the transaction).
    void closeQueries() noexcept;
    // Ends the transaction; a failure to commit (or roll back) releases it all the same and is
    // reported as the DatabaseError it was unless `quiet`.
    void endTransaction(bool commit, bool quiet);
    // Forgets a dead attachment: closes the queries and lets go of every handle.
    void dropLink() noexcept;
    // Called when a query closes: with auto-commit, commits once no query is open any more.
    void queryClosed() noexcept;
    void detach() noexcept;
    bool anyQueryActive() const;
};

} // namespace vorn::data
