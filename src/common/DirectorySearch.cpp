#include "common/DirectorySearch.h"

#include "common/WildcardMask.h"
#include "common/WindowsAttributes.h"

#include <QDir>
#include <algorithm>

namespace vorn::common {

bool EntradaDiretorio::ehDiretorio() const {
    return (atributos & atributo::Directory) != 0;
}

std::vector<EntradaDiretorio> buscaDiretorio(const QString& padrao) {
    std::vector<EntradaDiretorio> entradas;
    const qsizetype barra = padrao.lastIndexOf(u'/');
    if (barra < 0)
        return entradas;
    const QString pasta = padrao.left(barra + 1);
    const QString mascara = padrao.mid(barra + 1);

    const QDir dir(pasta);
    if (!dir.exists())
        return entradas;
    const QStringList nomes = dir.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& nome : nomes) {
        if (!wildcardMatches(nome, mascara))
            continue;
        const QString caminho = pasta + nome;
        // An entry that vanished between the listing and now is skipped.
        if (const auto bits = windowsAttributes(caminho))
            entradas.push_back({nome, caminho, *bits});
    }
    std::stable_sort(entradas.begin(), entradas.end(), [](const auto& a, const auto& b) {
        const int c = QString::compare(a.nome, b.nome, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.nome < b.nome;
    });
    return entradas;
}

} // namespace vorn::common
