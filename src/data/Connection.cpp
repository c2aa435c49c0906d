#include "data/Connection.h"

#include "data/ConnectionImpl.h"
#include "data/FbStatus.h"
#include "data/Query.h"

#include <algorithm>
#include <utility>

namespace vorn::data {

using fb::Status;

namespace {

// Disposes of a parameter-block builder on every way out.
class XpbBuilder {
public:
    XpbBuilder(FbClient& client, unsigned kind) : status_(client) {
        builder_ = client.util()->getXpbBuilder(&status_, kind, nullptr, 0);
        status_.check();
    }
    ~XpbBuilder() { builder_->dispose(); }
    XpbBuilder(const XpbBuilder&) = delete;
    XpbBuilder& operator=(const XpbBuilder&) = delete;

    void tag(unsigned char tag) {
        builder_->insertTag(&status_, tag);
        status_.check();
    }
    void integer(unsigned char tag, int value) {
        builder_->insertInt(&status_, tag, value);
        status_.check();
    }
    void text(unsigned char tag, const QString& value) {
        builder_->insertString(&status_, tag, value.toUtf8().constData());
        status_.check();
    }
    unsigned length() {
        const unsigned n = builder_->getBufferLength(&status_);
        status_.check();
        return n;
    }
    const unsigned char* buffer() {
        const unsigned char* b = builder_->getBuffer(&status_);
        status_.check();
        return b;
    }

private:
    Status status_;
    Firebird::IXpbBuilder* builder_ = nullptr;
};

} // namespace

// --- Impl -------------------------------------------------------------------------------------

std::vector<std::pair<QString, QString>>::iterator
Connection::Impl::findParam(const QString& name) {
    return std::find_if(params.begin(), params.end(), [&](const auto& p) {
        return p.first.compare(name, Qt::CaseInsensitive) == 0;
    });
}

std::vector<std::pair<QString, QString>>::const_iterator
Connection::Impl::findParam(const QString& name) const {
    return std::find_if(params.begin(), params.end(), [&](const auto& p) {
        return p.first.compare(name, Qt::CaseInsensitive) == 0;
    });
}

QString Connection::Impl::param(const QString& name) const {
    auto it = findParam(name);
    return it == params.end() ? QString() : it->second;
}

QString Connection::Impl::address() const {
    QString database = param(QStringLiteral("DATABASE"));
    if (database.isEmpty())
        throw DatabaseError("The connection has no database: parameter DATABASE is empty",
                            ErrorCategory::Usage);
    const QString protocol = param(QStringLiteral("PROTOCOL")).trimmed().toUpper();
    const QString server = param(QStringLiteral("SERVER")).trimmed();
    const QString port = param(QStringLiteral("PORT")).trimmed();

    if (protocol == QLatin1String("LOCAL") || protocol == QLatin1String("IPLOCAL") ||
        (protocol.isEmpty() && server.isEmpty()))
        return database;
    if (!protocol.isEmpty() && protocol != QLatin1String("TCPIP") &&
        protocol != QLatin1String("IPTCPIP"))
        throw DatabaseError("Protocol " + param(QStringLiteral("PROTOCOL")).toStdString() +
                                " is not supported: use TCPIP or Local",
                            ErrorCategory::Usage);

    QString address = QStringLiteral("inet://");
    const QString host = server.isEmpty() ? QStringLiteral("localhost") : server;
    // An IPv6 address goes in brackets, so its colons are not read as the port's.
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
        address += QLatin1Char('[') + host + QLatin1Char(']');
    else
        address += host;
    if (!port.isEmpty()) {
        bool ok = false;
        const int number = port.toInt(&ok, 10);
        if (!ok || number < 1 || number > 65535)
            throw DatabaseError("Parameter PORT is not a port number: " + port.toStdString(),
                                ErrorCategory::Usage);
        address += QLatin1Char(':') + QString::number(number);
    }
    return address + QLatin1Char('/') + database;
}

int Connection::Impl::connectTimeoutSeconds() const {
    const QString text = param(QStringLiteral("LoginTimeout"));
    if (text.isEmpty())
        return kDefaultConnectTimeoutSeconds;
    bool ok = false;
    const int seconds = text.toInt(&ok, 10);
    if (!ok || seconds < 1 || seconds > 3600)
        throw DatabaseError("Parameter LoginTimeout is not a number of seconds from 1 to 3600: " +
                                text.toStdString(),
                            ErrorCategory::Usage);
    return seconds;
}

void Connection::Impl::attach() {
    if (attachment != nullptr)
        return;
    client = &FbClient::load(vendorLibrary);
    const QByteArray target = address().toUtf8();

    XpbBuilder dpb(*client, Firebird::IXpbBuilder::DPB);
    // Every text of the block (the path included) is UTF-8.
    dpb.tag(isc_dpb_utf8_filename);
    dpb.integer(isc_dpb_sql_dialect, 3);
    // A server that accepts the connection but does not answer (frozen, overloaded, a half-open
    // network) would hold the attach for the client's default of three minutes, and with it the
    // thread that answers the terminals. LoginTimeout (seconds) bounds it.
    dpb.integer(isc_dpb_connect_timeout, connectTimeoutSeconds());
    const std::pair<unsigned char, const char*> texts[] = {
        {isc_dpb_user_name, "USER_NAME"},
        {isc_dpb_password, "PASSWORD"},
        {isc_dpb_sql_role_name, "ROLE"},
        {isc_dpb_lc_ctype, "CharacterSet"},
    };
    for (const auto& [tag, name] : texts) {
        const QString value = param(QLatin1String(name));
        if (!value.isEmpty())
            dpb.text(tag, value);
    }
    Status status(*client);
    Firebird::IAttachment* att =
        client->provider()->attachDatabase(&status, target.constData(), dpb.length(), dpb.buffer());
    status.check();
    attachment = att;
}

Firebird::ITransaction* Connection::Impl::transactionForQuery() {
    attach();
    if (transaction != nullptr)
        return transaction;
    XpbBuilder tpb(*client, Firebird::IXpbBuilder::TPB);
    tpb.tag(isc_tpb_read);
    switch (isolation) {
    case Isolation::ReadCommitted:
        tpb.tag(isc_tpb_read_committed);
        tpb.tag(isc_tpb_rec_version);
        break;
    case Isolation::Snapshot:
        tpb.tag(isc_tpb_concurrency);
        break;
    case Isolation::Serializable:
        tpb.tag(isc_tpb_consistency);
        break;
    }
    tpb.tag(isc_tpb_nowait);
    Status status(*client);
    Firebird::ITransaction* tra = attachment->startTransaction(&status, tpb.length(), tpb.buffer());
    status.check();
    transaction = tra;
    return transaction;
}

bool Connection::Impl::anyQueryActive() const {
    return std::any_of(queries.begin(), queries.end(), [](const Query* q) { return q->active(); });
}

void Connection::Impl::closeQueries() noexcept {
    for (Query* q : queries)
        q->close();
}

void Connection::Impl::endTransaction(bool commit, bool quiet) {
    if (transaction == nullptr)
        return;
    Firebird::ITransaction* tra = transaction;
    transaction = nullptr;
    Status status(*client);
    if (commit)
        tra->commit(&status);
    else
        tra->rollback(&status);
    if (!status.failed())
        return; // commit and rollback release the interface themselves
    tra->release();
    if (!quiet)
        throw status.error();
}

void Connection::Impl::queryClosed() noexcept {
    if (autoCommit && !anyQueryActive()) {
        try {
            endTransaction(true, true);
        } catch (...) {
        }
    }
}

void Connection::Impl::detach() noexcept {
    if (attachment == nullptr)
        return;
    Firebird::IAttachment* att = attachment;
    attachment = nullptr;
    try {
        Status status(*client);
        att->detach(&status);
        if (status.failed())
            att->release();
    } catch (...) {
        att->release();
    }
}

void Connection::Impl::dropLink() noexcept {
    // The server is gone: let go of every handle without talking to it (a detach would only
    // fail again and leave a complaint in the client's log).
    for (Query* q : queries)
        q->close();
    if (transaction != nullptr)
        std::exchange(transaction, nullptr)->release();
    if (attachment != nullptr)
        std::exchange(attachment, nullptr)->release();
}

// --- Connection ---------------------------------------------------------------------------------

Connection::Connection() : d_(std::make_unique<Impl>()) {}

Connection::~Connection() {
    close();
    for (Query* q : d_->queries)
        q->detachFromConnection();
}

void Connection::setParam(const QString& name, const QString& value) {
    auto it = d_->findParam(name);
    if (it != d_->params.end())
        it->second = value;
    else
        d_->params.emplace_back(name, value);
}

QString Connection::param(const QString& name) const {
    return d_->param(name);
}

bool Connection::hasParam(const QString& name) const {
    return d_->findParam(name) != d_->params.end();
}

void Connection::removeParam(const QString& name) {
    auto it = d_->findParam(name);
    if (it != d_->params.end())
        d_->params.erase(it);
}

void Connection::clearParams() {
    d_->params.clear();
}

const std::vector<std::pair<QString, QString>>& Connection::params() const {
    return d_->params;
}

void Connection::setVendorLibrary(const QString& path) {
    d_->vendorLibrary = path;
}
QString Connection::vendorLibrary() const {
    return d_->vendorLibrary;
}
void Connection::setAutoReconnect(bool on) {
    d_->autoReconnect = on;
}
bool Connection::autoReconnect() const {
    return d_->autoReconnect;
}
void Connection::setAutoCommit(bool on) {
    d_->autoCommit = on;
}
bool Connection::autoCommit() const {
    return d_->autoCommit;
}
void Connection::setIsolation(Isolation isolation) {
    d_->isolation = isolation;
}
Isolation Connection::isolation() const {
    return d_->isolation;
}

void Connection::open() {
    d_->attach();
}

void Connection::close() {
    d_->closeQueries();
    try {
        d_->endTransaction(true, true);
    } catch (...) {
    }
    d_->detach();
}

bool Connection::connected() const {
    return d_->attachment != nullptr;
}
bool Connection::inTransaction() const {
    return d_->transaction != nullptr;
}

void Connection::commit() {
    d_->closeQueries();
    try {
        d_->endTransaction(true, false);
    } catch (const DatabaseError& e) {
        if (e.lostLink())
            d_->dropLink();
        throw;
    }
}

void Connection::rollback() {
    d_->closeQueries();
    try {
        d_->endTransaction(false, false);
    } catch (const DatabaseError& e) {
        if (e.lostLink())
            d_->dropLink();
        throw;
    }
}

QString Connection::databaseAddress() const {
    return d_->address();
}

QString Connection::clientLibrary() const {
    return d_->client != nullptr ? d_->client->path() : QString();
}

} // namespace vorn::data
