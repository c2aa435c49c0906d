#include "common/ErroLongo.h"

#include "common/uFuncDirsArqs.h"

#include <QDir>
#include <stdexcept>

namespace vorn::common {

QString NomeArquivoErroLongo(const QString& pastaPrograma, const QDate& dia, const QLocale& local) {
    QString digitos;
    for (const QChar c : local.toString(dia, QLocale::ShortFormat))
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digitos += c;
    return pastaPrograma + QStringLiteral("Temp/LongErr") + digitos + QStringLiteral(".txt");
}

QString GravaErroLongo(const QString& pastaPrograma, const QString& mensagem, const QDate& dia,
                       const QLocale& local) {
    const QString pasta = pastaPrograma + QStringLiteral("Temp");
    if (!QDir().mkpath(pasta))
        throw std::runtime_error(
            (QStringLiteral("Não foi possível criar a pasta ") + pasta).toStdString());
    QString arquivo = NomeArquivoErroLongo(pastaPrograma, dia, local);
    TFuncDirArq::GravaArquivoTxt(mensagem, arquivo);
    return arquivo;
}

} // namespace vorn::common
