#pragma once

// TDMP: the data module created at start-up right after the progress window. It holds the
// settings of an HTTP client and of its TLS layer; no operation of the server uses them, and
// nothing here opens a connection. Should a later operation use them, the TLS layer asks for
// TLS 1.2 or newer and verifies the peer: an unverified, outdated channel is not offered.

#include <QObject>
#include <QString>

namespace vorn::ui {

struct ConfiguracaoHttp {
    QString accept =
        QStringLiteral("text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
    bool codificaParametros = true; // request parameters are URL-encoded
};

struct ConfiguracaoTls {
    QString versaoMinima = QStringLiteral("TLSv1.2");
    bool verificaPar = true;
};

class TDMP : public QObject {
    Q_OBJECT
public:
    explicit TDMP(QObject* parent = nullptr) : QObject(parent) {
        setObjectName(QStringLiteral("DMP"));
    }

    const ConfiguracaoHttp IdHTTP1;
    const ConfiguracaoTls IdSSL;
};

} // namespace vorn::ui
