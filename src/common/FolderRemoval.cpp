#include "common/FolderRemoval.h"

#include "common/uFuncPubl.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vorn::common {

namespace {

constexpr int kLinhasNaCaixa = 15;

struct Item {
    QByteArray caminho;
    bool pasta;
};

QString motivo(int erro) {
    return QString::fromLocal8Bit(std::strerror(erro));
}

// Everything under `pasta`, children before their folder; links are listed, never entered.
void lista(const QByteArray& pasta, std::vector<Item>& itens, QStringList& falhas) {
    DIR* d = ::opendir(pasta.constData());
    if (d == nullptr) {
        falhas << QStringLiteral("%1: %2").arg(QFile::decodeName(pasta), motivo(errno));
        return;
    }
    std::vector<QByteArray> nomes;
    while (const dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            nomes.emplace_back(e->d_name);
    }
    ::closedir(d);
    for (const QByteArray& nome : nomes) {
        const QByteArray caminho = pasta + '/' + nome;
        struct stat st {};
        if (::lstat(caminho.constData(), &st) != 0)
            continue; // gone already
        if (S_ISDIR(st.st_mode)) {
            lista(caminho, itens, falhas);
            itens.push_back({caminho, true});
        } else {
            itens.push_back({caminho, false});
        }
    }
}

class Progresso {
public:
    Progresso(const OpcoesRemocao& opcoes, int total) : opcoes_(opcoes), total_(total) {
        relogio_.start();
    }

    // False once the operator pressed Cancel.
    bool avanca(int feitos) {
        if (!dialogo_ && relogio_.elapsed() >= opcoes_.progressoApos.count()) {
            dialogo_ = std::make_unique<QProgressDialog>(QStringLiteral("Excluindo arquivos..."),
                                                         QStringLiteral("Cancelar"), 0, total_,
                                                         opcoes_.janela);
            dialogo_->setWindowTitle(QStringLiteral("Excluindo"));
            dialogo_->setWindowModality(Qt::ApplicationModal);
            dialogo_->setMinimumDuration(0);
            dialogo_->setAutoClose(false);
            dialogo_->setAutoReset(false);
            dialogo_->show();
        }
        if (!dialogo_)
            return true;
        dialogo_->setValue(feitos);
        QCoreApplication::processEvents();
        return !dialogo_->wasCanceled();
    }

private:
    const OpcoesRemocao& opcoes_;
    int total_;
    QElapsedTimer relogio_;
    std::unique_ptr<QProgressDialog> dialogo_;
};

} // namespace

QStringList removePasta(const QString& pasta, const OpcoesRemocao& opcoes) {
    QStringList falhas;
    const QByteArray raiz = QFile::encodeName(pasta);
    struct stat st {};
    if (raiz.isEmpty() || ::lstat(raiz.constData(), &st) != 0)
        return falhas; // nothing there: nothing to do, as the shell does

    std::vector<Item> itens;
    if (S_ISDIR(st.st_mode)) {
        lista(raiz, itens, falhas);
        if (!opcoes.manterPasta)
            itens.push_back({raiz, true});
    } else if (!opcoes.manterPasta) {
        itens.push_back({raiz, false});
    } else if (::stat(raiz.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        // The named path is a link to a folder and only the contents go: the caller named that
        // folder, so its contents are listed through the link (links inside are still not
        // followed).
        lista(raiz, itens, falhas);
    }

    Progresso progresso(opcoes, static_cast<int>(itens.size()));
    int feitos = 0;
    for (const Item& item : itens) {
        if (!progresso.avanca(feitos))
            return {};
        const int r =
            item.pasta ? ::rmdir(item.caminho.constData()) : ::unlink(item.caminho.constData());
        // A folder left non-empty by an earlier failure is not listed again.
        if (r != 0 && errno != ENOENT && !(item.pasta && (errno == ENOTEMPTY || errno == EEXIST)))
            falhas << QStringLiteral("%1: %2").arg(QFile::decodeName(item.caminho), motivo(errno));
        ++feitos;
    }
    progresso.avanca(feitos);

    if (!falhas.isEmpty()) {
        QStringList linhas = falhas.mid(0, kLinhasNaCaixa);
        if (falhas.size() > kLinhasNaCaixa)
            linhas << QStringLiteral("... e mais %1 itens.").arg(falhas.size() - kLinhasNaCaixa);
        MensagemErro(QStringLiteral("Não foi possível excluir %1 item(ns) de %2:\n\n")
                         .arg(falhas.size())
                         .arg(pasta) +
                     linhas.join(u'\n'));
    }
    return falhas;
}

} // namespace vorn::common
