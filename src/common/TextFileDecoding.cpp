#include "common/TextFileDecoding.h"

#include "platform/Codepage.h"

#include <QStringDecoder>

namespace vorn::common {

QString decodificaTexto(const QByteArray& bytes) {
    const auto decodifica = [&](QStringConverter::Encoding codificacao, qsizetype marca) {
        QStringDecoder decoder(codificacao, QStringConverter::Flag::Stateless |
                                                QStringConverter::Flag::ConvertInitialBom);
        return QString(decoder(QByteArrayView(bytes).sliced(marca)));
    };
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodifica(QStringConverter::Utf8, 3);
    if (bytes.startsWith("\xFF\xFE"))
        return decodifica(QStringConverter::Utf16LE, 2);
    if (bytes.startsWith("\xFE\xFF"))
        return decodifica(QStringConverter::Utf16BE, 2);

    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString texto = utf8(bytes);
    if (!utf8.hasError())
        return texto;
    return platform::fromAnsi(bytes);
}

} // namespace vorn::common
