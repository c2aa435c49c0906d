#include "common/uFuncDirsArqs.h"

#include "common/DirectorySearch.h"
#include "common/FileInUse.h"
#include "common/FolderRemoval.h"
#include "common/FtpDownload.h"
#include "common/PeImage.h"
#include "common/TextFileDecoding.h"
#include "common/WindowsAttributes.h"
#include "common/uFuncPubl.h"
#include "platform/Codepage.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <gnu/libc-version.h>
#include <stdexcept>
#include <sys/stat.h>

namespace vorn::common {

namespace {

// Blanks and control characters off both ends, then a final "/" unless empty or present.
QString formaDePasta(const QString& texto) {
    qsizetype inicio = 0;
    qsizetype fim = texto.size();
    while (inicio < fim && texto[inicio] <= u' ')
        ++inicio;
    while (fim > inicio && texto[fim - 1] <= u' ')
        --fim;
    QString pasta = texto.mid(inicio, fim - inicio);
    if (!pasta.isEmpty() && !pasta.endsWith(u'/'))
        pasta += u'/';
    return pasta;
}

// The folder joined with a name, with exactly the separator the folder lacks.
QString junta(const QString& pasta, const QString& nome) {
    return pasta.endsWith(u'/') ? pasta + nome : pasta + u'/' + nome;
}

QWidget* janelaDe(std::uint64_t hHandle) {
    return hHandle == 0 ? nullptr : QWidget::find(static_cast<WId>(hHandle));
}

// Replaces `destino` with a copy of `origem`: the copy is written beside the destination under a
// temporary name and renamed over it only when complete.
bool copiaSubstituindo(const QString& origem, const QString& destino) {
    QFile entrada(origem);
    if (!entrada.open(QIODevice::ReadOnly))
        return false;
    QSaveFile saida(destino);
    if (!saida.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 lidos = entrada.read(buffer, sizeof buffer);
        if (lidos < 0) {
            saida.cancelWriting();
            return false;
        }
        if (lidos == 0)
            break;
        if (saida.write(buffer, lidos) != lidos) {
            saida.cancelWriting();
            return false;
        }
    }
    if (!saida.commit())
        return false;
    QFile::setPermissions(destino, entrada.permissions());
    return true;
}

// Moves `origem` onto `destino`, replacing it. rename() does it atomically within one file system;
// across file systems the file is copied (atomically, as above) and the source deleted only then.
bool moveSubstituindo(const QString& origem, const QString& destino) {
    const QByteArray de = QFile::encodeName(origem);
    const QByteArray para = QFile::encodeName(destino);
    if (std::rename(de.constData(), para.constData()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    if (!copiaSubstituindo(origem, destino))
        return false;
    return QFile::remove(origem);
}

} // namespace

bool TFuncDirArq::Is64BitFile(const QString& DLLFileName) {
    return maquinaImagemPE(DLLFileName) == kMaquinaX64;
}

void TFuncDirArq::RemoveDir(std::uint64_t hHandle, const QString& VPasta, bool VDelPastaRaiz) {
    QString pasta = VPasta;
    if (pasta.endsWith(u'/'))
        pasta.chop(1);
    // An empty path, and any spelling of the root folder ("/", "//", "/tmp/..") delete nothing.
    if (pasta.isEmpty() || QDir::cleanPath(QDir(pasta).absolutePath()) == QLatin1String("/"))
        return;
    OpcoesRemocao opcoes;
    opcoes.manterPasta = !VDelPastaRaiz;
    opcoes.janela = janelaDe(hHandle);
    removePasta(pasta, opcoes);
}

QString TFuncDirArq::GetDirRaiz(const QString& VPath) {
    const std::int32_t ocorrencia = VPath.contains(QLatin1String("//")) ? 3 : 2;
    return formaDePasta(CopiaAteOcorrencia(VPath, QStringLiteral("/"), ocorrencia));
}

bool TFuncDirArq::DirValido(const QString& VPasta) {
    if (VPasta.size() < 4) {
        MensagemErro(QStringLiteral("O diretório selecionado é inválido. A operação não pode ser "
                                    "salva na raiz. Você precisa informar um pasta."));
        return false;
    }
    if (!QFileInfo(VPasta).isDir()) {
        MensagemErro(QStringLiteral("O diretório ") + VPasta + QStringLiteral(" não existe."));
        return false;
    }
    // A probe of a fresh name, created exclusively, so a file already in the folder (a
    // "Temp.txt" included) is never opened, truncated or deleted.
    QTemporaryFile sonda(junta(VPasta, QStringLiteral("Temp.XXXXXX.txt")));
    if (!sonda.open()) {
        MensagemErro(QStringLiteral("O diretório ") + VPasta +
                     QStringLiteral(" não está disponível para gravações."));
        return false;
    }
    sonda.close();
    return true; // the probe deletes itself here
}

bool TFuncDirArq::SelecionaDiretorio(const QString& VTitulo, const QString& VInitialDir,
                                     QString& VDirSelecionado) {
    QFileDialog dialogo(nullptr, VTitulo, VInitialDir);
    dialogo.setFileMode(QFileDialog::Directory);
    if (dialogo.exec() != QDialog::Accepted)
        return false;
    const QStringList escolhidos = dialogo.selectedFiles();
    if (escolhidos.isEmpty())
        return false;
    VDirSelecionado = formaDePasta(escolhidos.first());
    return true;
}

void TFuncDirArq::CopyOrMoveFiles(const QString& VPastaOrig, const QString& VListaArquivos,
                                  const QString& VPastaDest, std::int32_t VCopiaMove) {
    if (VCopiaMove != 1 && VCopiaMove != 2)
        return;
    const QString origem = formaDePasta(VPastaOrig);
    const QString destino = formaDePasta(VPastaDest);
    if (origem.isEmpty() || destino.isEmpty())
        return;
    for (const EntradaDiretorio& entrada : buscaDiretorio(origem + VListaArquivos)) {
        if (entrada.ehDiretorio())
            continue;
        const QString alvo = destino + entrada.nome;
        // The same file as source and destination: nothing to do (deleting the destination first
        // would destroy the only copy).
        struct stat a {};
        struct stat b {};
        if (::stat(QFile::encodeName(entrada.caminho).constData(), &a) == 0 &&
            ::stat(QFile::encodeName(alvo).constData(), &b) == 0 && a.st_dev == b.st_dev &&
            a.st_ino == b.st_ino)
            continue;
        if (VCopiaMove == 1)
            copiaSubstituindo(entrada.caminho, alvo);
        else
            moveSubstituindo(entrada.caminho, alvo);
    }
}

QString TFuncDirArq::GetWinSystemDir() {
    QString pasta32 = QStringLiteral("/usr/lib/i386-linux-gnu/");
    if (QFileInfo(pasta32).isDir())
        return pasta32;
    Dl_info info{};
    const int encontrou =
        dladdr(reinterpret_cast<void*>(&gnu_get_libc_version), &info); // NOLINT: symbol address
    const QString biblioteca =
        encontrou != 0 && info.dli_fname != nullptr ? QFile::decodeName(info.dli_fname) : QString();
    QString pasta = QFileInfo(biblioteca).absolutePath();
    if (biblioteca.isEmpty() || !QFileInfo(biblioteca).isAbsolute() || pasta.isEmpty()) {
        const int erro = errno != 0 ? errno : ENOENT;
        MensagemErro(QStringLiteral("Erro ao tentar recuperar o diretório de sistema."));
        throw std::runtime_error(
            QString::asprintf("Win32 Error %d: %s", erro, std::strerror(erro)).toStdString());
    }
    return pasta;
}

void TFuncDirArq::SetExtArqSeNaoTiver(QString& VNomeArq, const QString& VExt) {
    const qsizetype barra = VNomeArq.lastIndexOf(u'/');
    const qsizetype ponto = VNomeArq.lastIndexOf(u'.');
    const QString extensao = ponto > barra ? VNomeArq.mid(ponto) : QString();
    if (extensao != u'.' + VExt)
        VNomeArq += u'.' + VExt;
}

std::int32_t TFuncDirArq::GetQtdeArq(const QString& VPasta, const QString& VExtensao,
                                     QString& VNomeDumSeOculto, QString& VNomeDumSeSystem) {
    QString pasta = formaDePasta(VPasta);
    std::int32_t quantos = 0;
    VNomeDumSeOculto.clear();
    VNomeDumSeSystem.clear();
    if (pasta.isEmpty())
        return 0;
    for (const EntradaDiretorio& entrada :
         buscaDiretorio(pasta + QStringLiteral("*.") + VExtensao)) {
        if (entrada.ehDiretorio())
            continue;
        ++quantos;
        if (entrada.atributos & atributo::Hidden)
            VNomeDumSeOculto = entrada.nome;
        if (entrada.atributos & atributo::System)
            VNomeDumSeSystem = entrada.nome;
    }
    return quantos;
}

std::int32_t TFuncDirArq::GetQtdePastaUmNivelAbaixo(const QString& VPasta,
                                                    QString& VNomeDumaSeOculta,
                                                    QString& VNomeDumaSeSystem) {
    QString pasta = formaDePasta(VPasta);
    std::int32_t quantas = 0;
    VNomeDumaSeOculta.clear();
    VNomeDumaSeSystem.clear();
    if (pasta.isEmpty())
        return 0;
    for (const EntradaDiretorio& entrada : buscaDiretorio(pasta + QStringLiteral("*.*"))) {
        if (!entrada.ehDiretorio())
            continue;
        ++quantas;
        if (entrada.atributos & atributo::Hidden)
            VNomeDumaSeOculta = entrada.nome;
        if (entrada.atributos & atributo::System)
            VNomeDumaSeSystem = entrada.nome;
    }
    return quantas;
}

QString TFuncDirArq::GetAtributoArquivo(const QString& VArq) {
    const auto bits = windowsAttributes(VArq);
    if (!bits)
        return {};
    const struct {
        std::uint32_t bit;
        const char* texto;
    } ordem[] = {
        {atributo::Archive, "Archive"},     {atributo::Compressed, "Compressed"},
        {atributo::Directory, "Directory"}, {atributo::Hidden, "Hidden"},
        {atributo::Normal, "Normal"},       {atributo::Offline, "OffLine"},
        {atributo::ReadOnly, "ReadOnly"},   {atributo::System, "System"},
        {atributo::Temporary, "Temporary"},
    };
    QString resultado;
    for (const auto& item : ordem) {
        if (*bits & item.bit)
            resultado = QString::fromLatin1(item.texto);
    }
    return resultado;
}

bool TFuncDirArq::DirIsEmpty(const QString& VDir) {
    if (VDir.isEmpty())
        return true;
    return buscaDiretorio(junta(VDir, QStringLiteral("*.*"))).empty();
}

void TFuncDirArq::CompartilhaDir(const QString& VDir, const QString& VNome) {
    QString pasta = TrocaUltimoCaractere(VDir, QStringLiteral("/"), QString(), true);
    QProcess net;
    net.setProcessChannelMode(QProcess::ForwardedChannels);
    // "--" ends option parsing, so a name or folder starting with "-" stays a name or folder.
    net.start(QStringLiteral("net"), {QStringLiteral("usershare"), QStringLiteral("add"),
                                      QStringLiteral("--"), VNome, pasta});
    if (net.waitForStarted(-1))
        net.waitForFinished(-1);
}

bool TFuncDirArq::DownlArqFTPAcbr(const QString& VHost, const QString& VUser, const QString& VPass,
                                  const QString& VArqOrig, const QString& VPathDest,
                                  const QString& VArqDest) {
    const QString destino = junta(VPathDest, VArqDest);
    if (QFileInfo(destino).isFile() || QFileInfo(destino).isSymLink())
        QFile::remove(destino);
    baixaArquivoFTP(PedidoFTP{VHost, 21, VUser, VPass, VArqOrig}, destino);
    return QFileInfo::exists(destino);
}

void TFuncDirArq::GetListaPastas(const QString& VPasta, QStringList& VLista) {
    VLista.clear();
    for (const EntradaDiretorio& entrada : buscaDiretorio(VPasta + QStringLiteral("/*.*"))) {
        if (entrada.ehDiretorio())
            VLista << entrada.nome;
    }
}

std::int32_t TFuncDirArq::TamanhoArquivo(const QString& VArquivo) {
    QFile arquivo(VArquivo);
    if (VArquivo.isEmpty() || !arquivo.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Não foi possível abrir o arquivo %1: %2")
                                     .arg(VArquivo, VArquivo.isEmpty()
                                                        ? QStringLiteral("nome de arquivo vazio")
                                                        : arquivo.errorString())
                                     .toStdString());
    const auto tamanho = static_cast<std::uint64_t>(arquivo.size());
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(tamanho & 0xFFFFFFFFu));
}

QString TFuncDirArq::GetNomeArquivoSemExtensao(const QString& VNomeArquivo) {
    QString nome = VNomeArquivo.mid(VNomeArquivo.lastIndexOf(u'/') + 1);
    const qsizetype ponto = nome.lastIndexOf(u'.');
    if (ponto < 0)
        return nome;
    const QString extensao = nome.mid(ponto);
    nome.remove(nome.indexOf(extensao), extensao.size());
    return nome;
}

bool TFuncDirArq::ArquivoEmUso(const QString& VArquivo) {
    return arquivoEstaEmUso(VArquivo);
}

QString TFuncDirArq::GetConteudoArquivoTexto(const QString& VArquivo) {
    QFile arquivo(VArquivo);
    if (VArquivo.isEmpty() || !arquivo.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Não foi possível ler o arquivo %1: %2")
                                     .arg(VArquivo, VArquivo.isEmpty()
                                                        ? QStringLiteral("nome de arquivo vazio")
                                                        : arquivo.errorString())
                                     .toStdString());
    const QByteArray bytes = arquivo.readAll();
    if (arquivo.error() != QFileDevice::NoError)
        throw std::runtime_error(QStringLiteral("Não foi possível ler o arquivo %1: %2")
                                     .arg(VArquivo, arquivo.errorString())
                                     .toStdString());
    return decodificaTexto(bytes);
}

bool TFuncDirArq::GravaArquivoTxt(const QString& VConteudo, const QString& VArq) {
    const auto falha = [&VArq](const QString& motivo) {
        return std::runtime_error(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                                      .arg(VArq, motivo)
                                      .toStdString());
    };
    if (VArq.isEmpty())
        throw falha(QStringLiteral("nome de arquivo vazio"));
    QSaveFile arquivo(VArq);
    if (!arquivo.open(QIODevice::WriteOnly))
        throw falha(arquivo.errorString());
    const QByteArray bytes = platform::toAnsi(VConteudo + QStringLiteral("\r\n"));
    if (arquivo.write(bytes) != bytes.size()) {
        const QString motivo = arquivo.errorString();
        arquivo.cancelWriting();
        throw falha(motivo);
    }
    if (!arquivo.commit())
        throw falha(arquivo.errorString());
    return true;
}

} // namespace vorn::common
