#include "common/SealedRecord.h"

#include "common/ApiChilKat.h"
#include "common/uFuncPubl.h"

namespace vorn::common {

namespace {

std::int32_t inteiroOuZero(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

} // namespace

QString MontaRegistroFilialTabela(std::int32_t codFilial, std::int32_t codTabela) {
    return DigitosAleatorios(5) + ZeroLeft(QString::number(codFilial), 3) +
           ZeroLeft(QString::number(codTabela), 3) + ZeroLeft(QString::number(codTabela), 4);
}

QString SelaRegistro(const QString& plain) {
    TChilKat chilkat;
    return chilkat.EncriptaDecritaRC2(true, plain, QString::fromLatin1(kRecordSealIv),
                                      QString::fromLatin1(kRecordSealKey));
}

QString AbreRegistro(const QString& sealed) {
    TChilKat chilkat;
    return chilkat.EncriptaDecritaRC2(false, sealed, QString::fromLatin1(kRecordSealIv),
                                      QString::fromLatin1(kRecordSealKey));
}

CodigosFilialTabela LeCodigosRegistro(const QString& plain) {
    return {inteiroOuZero(plain.mid(5, 3)), inteiroOuZero(plain.mid(8, 3))};
}

} // namespace vorn::common
