#include "common/uFuncPubl.h"

#include "platform/DeveloperMarker.h"
#include "platform/MessageBox.h"
#include "platform/ProfileFile.h"
#include "platform/SystemError.h"

#include <QFile>
#include <QRandomGenerator>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

namespace vorn::common {

namespace {

// Creates every missing folder of the file's path. Throws with the system's reason on failure.
void criaPastaDoArquivo(const QString& VArquivo) {
    const qsizetype barra = VArquivo.lastIndexOf(u'/');
    if (barra <= 0)
        return;
    const std::filesystem::path pasta(QFile::encodeName(VArquivo.first(barra)).toStdString());
    std::error_code erro;
    std::filesystem::create_directories(pasta, erro);
    if (erro)
        throw std::runtime_error(platform::systemErrorText(erro.value()).toStdString());
}

void gravaIni(const QString& VArquivo, const QString& VSecao, const QString& VChave,
              const QString& VValor) {
    try {
        criaPastaDoArquivo(VArquivo);
        platform::writeProfileString(VArquivo, VSecao, VChave, VValor);
    } catch (const std::exception& e) {
        MensagemErro(QStringLiteral("O sistema não conseguiu gravar no arquivo ") + VArquivo +
                     QStringLiteral(". Ou esse caminho não existe ou então seu Windows não "
                                    "permitiu a gravação. Solicite ao seu técnico para analisar "
                                    "o que ocorre. O erro gerado: ") +
                     QString::fromUtf8(e.what()));
    }
}

// A whole decimal 32-bit integer with an optional sign, as the boolean rule reads it.
std::optional<std::int32_t> leInteiro(const QString& VTexto) {
    bool ok = false;
    const int valor = VTexto.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return valor;
}

bool ehBase64(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'+' || c == u'/';
}

} // namespace

QString LeIniString(const QString& VArquivo, const QString& VSecao, const QString& VChave,
                    const QString& VPadrao) {
    return platform::readProfileString(VArquivo, VSecao, VChave, VPadrao);
}

bool LeIniBool(const QString& VArquivo, const QString& VSecao, const QString& VChave,
               bool VPadrao) {
    const std::optional<std::int32_t> valor =
        leInteiro(platform::readProfileString(VArquivo, VSecao, VChave, QString()));
    return valor ? *valor != 0 : VPadrao;
}

void GravaIniString(const QString& VArquivo, const QString& VSecao, const QString& VChave,
                    const QString& VValor) {
    gravaIni(VArquivo, VSecao, VChave, VValor);
}

void GravaIniBool(const QString& VArquivo, const QString& VSecao, const QString& VChave,
                  bool VValor) {
    gravaIni(VArquivo, VSecao, VChave, VValor ? QStringLiteral("1") : QStringLiteral("0"));
}

QMessageBox::StandardButton MensagemErro(const QString& VMensagem) {
    platform::showMessageBox(QStringLiteral("Houve um erro"), VMensagem,
                             platform::MessageIcon::Critical);
    return QMessageBox::Ok;
}

QString ZeroLeft(const QString& VTexto, std::int32_t VTamanho) {
    if (VTamanho == 0)
        throw std::runtime_error("O tamanho final informado na função ZeroLeft não pode ser zero. "
                                 "Contate o suporte técnico.");
    // Blanks here are every character up to the space, control characters included.
    qsizetype inicio = 0;
    qsizetype fim = VTexto.size();
    while (inicio < fim && VTexto[inicio].unicode() <= u' ')
        ++inicio;
    while (fim > inicio && VTexto[fim - 1].unicode() <= u' ')
        --fim;
    QString resultado = VTexto.sliced(inicio, fim - inicio);
    if (resultado.size() < VTamanho)
        resultado.prepend(QString(VTamanho - resultado.size(), u'0'));
    return resultado;
}

QString DigitosAleatorios(std::int32_t VQuantidade) {
    // One generator, seeded once by the system, instead of reseeding from the clock on each call:
    // two calls in the same clock tick no longer return the same digits.
    QString digitos;
    if (VQuantidade <= 0)
        return digitos;
    digitos.reserve(VQuantidade);
    for (std::int32_t i = 0; i < VQuantidade; ++i)
        digitos.append(QChar(u'0' + QRandomGenerator::global()->bounded(10)));
    return digitos;
}

QString DecodificaBase64(const QString& VTexto) {
    // MIME line breaks are allowed; every other character must be of the alphabet, the length a
    // multiple of four, and "=" only as one or two final padding characters.
    QString texto = VTexto;
    texto.remove(u'\r');
    texto.remove(u'\n');
    const qsizetype padding = texto.endsWith(QLatin1String("==")) ? 2
                              : texto.endsWith(u'=')              ? 1
                                                                  : 0;
    bool valido = texto.size() % 4 == 0;
    for (qsizetype i = 0; valido && i < texto.size() - padding; ++i)
        valido = ehBase64(texto[i]);
    if (!valido)
        throw std::runtime_error("O texto informado não está codificado em Base64 válido.");
    return QString::fromUtf8(QByteArray::fromBase64(texto.toLatin1()));
}

QString TrocaUltimoCaractere(const QString& VTexto, const QString& VAntigo, const QString& VNovo,
                             bool VSoSeIgual) {
    // A surrogate pair is one character: never split it.
    qsizetype tamanhoUltimo = VTexto.isEmpty() ? 0 : 1;
    if (VTexto.size() >= 2 && VTexto.back().isLowSurrogate() &&
        VTexto[VTexto.size() - 2].isHighSurrogate())
        tamanhoUltimo = 2;
    if (VSoSeIgual && VTexto.last(tamanhoUltimo) != VAntigo)
        return VTexto;
    return VTexto.first(VTexto.size() - tamanhoUltimo) + VNovo;
}

QString CopiaAteOcorrencia(const QString& VTexto, const QString& VCaractere,
                           std::int32_t VOcorrencia) {
    if (VCaractere.size() != 1)
        return VTexto;
    std::int32_t contagem = 0;
    for (qsizetype i = 0; i < VTexto.size(); ++i) {
        if (VTexto[i] == VCaractere.front() && ++contagem == VOcorrencia)
            return VTexto.first(i + 1);
    }
    return VTexto;
}

std::int32_t ContaOcorrencias(const QString& VSubTexto, const QString& VTexto) {
    if (VSubTexto.isEmpty() || VTexto.isEmpty())
        return 0;
    std::int32_t contagem = 0;
    // After a match the search resumes one character after the match's first character, so
    // overlapping occurrences all count.
    for (qsizetype at = VTexto.indexOf(VSubTexto); at >= 0; at = VTexto.indexOf(VSubTexto, at + 1))
        ++contagem;
    return contagem;
}

bool MaquinaDesenvolvimento() {
    // Exact comparison: case and every character count.
    return LeIniString(platform::developerMarkerFile(), QStringLiteral("Geral"),
                       QStringLiteral("chaveIdent"), QString()) == QLatin1String("#904%%Kqz");
}

} // namespace vorn::common
