#include "config/ConexaoBanco.h"

#include "common/uFuncPubl.h"
#include "platform/ProfileFile.h"

namespace vorn::config {

namespace {

const QString kLocalHost = QStringLiteral("127.0.0.1");
const QString kArquivoBanco = QStringLiteral("KALUNDRA.FDB");

} // namespace

TFormaConexao CodigoParaFormaConexao(int VCodigo) {
    if (VCodigo < fcNull || VCodigo > fcEstLocalMulti)
        return fcNull;
    return static_cast<TFormaConexao>(VCodigo);
}

bool LeConexaoIni(TVarConexao& VCon, const QString& VPasta, const QString& VArquivo) {
    const QString arquivo = VPasta + VArquivo;
    auto le = [&](const char* secao, const char* chave, const QString& padrao) {
        return platform::readProfileString(arquivo, QLatin1String(secao), QLatin1String(chave),
                                           padrao);
    };

    VCon.FServer = le("Params", "Server", kLocalHost);

    VCon.FUserMulti.clear();
    for (const QChar c : le("Outros", "UserMulti", QString())) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            VCon.FUserMulti += c;
    }

    const QString tipo = le("Outros", "TipoCon", QString()).toUpper();
    VCon.FPathServer = le("Outros", "PathServer", QStringLiteral("C:\\SistemaVORN\\"));

    // A missing key, a value that is not a decimal integer, and 0 all give 3050.
    bool ok = false;
    const int porta = le("Firebird", "Porta", QString()).toInt(&ok, 10);
    VCon.FPorta = (ok && porta != 0) ? porta : 3050;

    VCon.FUserFB = QStringLiteral("VORNMASTER");
    VCon.FPassUserFB = QStringLiteral("x47#q802");

    // Only the first character of the kind counts: 4, 4-Multi and 47 are all kind 4.
    int codigo = 0;
    if (!tipo.isEmpty() && tipo[0] >= QLatin1Char('0') && tipo[0] <= QLatin1Char('9'))
        codigo = tipo[0].unicode() - '0';
    VCon.FTipoCon = CodigoParaFormaConexao(codigo);

    if (VCon.FTipoCon == fcEstComServerLinuxMulti)
        VCon.FPathServer = common::TrocaUltimoCaractere(VCon.FPathServer, QStringLiteral("\\"),
                                                        QStringLiteral("/"), false);

    if (VCon.FTipoCon == fcNull) {
        common::MensagemErro(QStringLiteral(
            "Não foi possível estabelecer o tipo da conexão. É provável que o arquivo "
            "Conexao.ini tenha sido excluído ou alterado. Revise as configurações de conexão "
            "desta máquina ou entre em contato com seu suporte."));
        return false;
    }

    // The server kinds always connect to this machine, unless the configured address is a
    // piece of "127.0.0.1" (the address is looked for inside that text, not the other way).
    if ((VCon.FTipoCon == fcServidor || VCon.FTipoCon == fcServidorMulti) &&
        (VCon.FServer.isEmpty() || !kLocalHost.contains(VCon.FServer))) {
        VCon.FServer = kLocalHost;
        platform::writeProfileString(arquivo, QStringLiteral("Params"), QStringLiteral("Server"),
                                     kLocalHost);
    }
    return true;
}

QString CaminhoBanco(const TVarConexao& VCon, const QString& VDirApp) {
    switch (VCon.FTipoCon) {
    case fcServidor:
        return VDirApp + QStringLiteral("Dados/") + kArquivoBanco;
    case fcEstLocal:
    case fcEstWeb:
        return VCon.FPathServer + QStringLiteral("Dados\\") + kArquivoBanco;
    case fcServidorMulti:
        return VDirApp + QStringLiteral("Dados/") + VCon.FUserMulti + QStringLiteral("/") +
               kArquivoBanco;
    case fcEstWebMulti:
    case fcEstLocalMulti:
        return VCon.FPathServer + QStringLiteral("Dados\\") + VCon.FUserMulti +
               QStringLiteral("\\") + kArquivoBanco;
    case fcEstComServerLinuxMulti:
        return VCon.FPathServer + QStringLiteral("Dados/") + VCon.FUserMulti + QStringLiteral("/") +
               kArquivoBanco;
    case fcNull:
        break;
    }
    return {};
}

void ConfiguraConexao(data::Connection& FDConexao, const TVarConexao& VCon,
                      const QString& VDirApp) {
    const std::pair<const char*, const char*> desenho[] = {
        {"DriverID", "FB"},
        {"CharacterSet", "WIN1252"},
        {"PageSize", "8192"},
    };
    for (const auto& [nome, valor] : desenho) {
        if (!FDConexao.hasParam(QLatin1String(nome)))
            FDConexao.setParam(QLatin1String(nome), QLatin1String(valor));
    }

    FDConexao.setVendorLibrary(VDirApp + QStringLiteral("libfbclient.so.2"));
    FDConexao.setParam(QStringLiteral("USER_NAME"), VCon.FUserFB);
    FDConexao.setParam(QStringLiteral("PASSWORD"), VCon.FPassUserFB);
    FDConexao.setParam(QStringLiteral("ROLE"), QStringLiteral("RDB$ADMIN"));
    FDConexao.setAutoReconnect(true);
    FDConexao.setAutoCommit(false);
    FDConexao.setIsolation(data::Isolation::ReadCommitted);
    FDConexao.setParam(QStringLiteral("SERVER"), VCon.FServer);
    FDConexao.setParam(QStringLiteral("PORT"), QString::number(VCon.FPorta));
    FDConexao.setParam(QStringLiteral("PROTOCOL"), QStringLiteral("ipTCPIP"));
    if (VCon.FTipoCon != fcNull)
        FDConexao.setParam(QStringLiteral("DATABASE"), CaminhoBanco(VCon, VDirApp));
}

QString TextoTipoConexao(const TVarConexao& VCon) {
    switch (VCon.FTipoCon) {
    case fcServidor:
        return QStringLiteral("Servidor local");
    case fcEstLocal:
        return QStringLiteral("Estação Local - Servidor: ") + VCon.FServer;
    case fcEstWeb:
        return QStringLiteral("Estação Web - Servidor: ") + VCon.FServer;
    case fcServidorMulti:
        return QStringLiteral("Servidor local Multi");
    case fcEstWebMulti:
        return QStringLiteral("Est. Web Multi - Servidor: ") + VCon.FServer;
    case fcEstComServerLinuxMulti:
        return QStringLiteral("Estação Servidor Linux: ") + VCon.FServer;
    case fcEstLocalMulti:
        return QStringLiteral("Est. Local Multi - Servidor: ") + VCon.FServer;
    case fcNull:
        break;
    }
    return {};
}

} // namespace vorn::config
