#include "ui/MsgRegras.h"

#include "common/uFuncPubl.h"
#include "ui/MeuEdit.h"

#include <QRegularExpression>
#include <algorithm>
#include <utility>
#include <vector>

namespace vorn::ui {

int FaixaLarguraMsg(qsizetype L) {
    if (L < 100)
        return 0;
    // Upper ends of bands 1 to 10; the lengths 601-650 and 801-850 have no band of their own.
    static constexpr int limites[] = {150, 200, 250, 300, 350, 400, 451, 500, 550, 600};
    for (int i = 0; i < 10; ++i)
        if (L <= limites[i])
            return i + 1;
    if (L >= 651 && L <= 700)
        return 11;
    if (L >= 701 && L <= 750)
        return 12;
    if (L >= 751 && L <= 800)
        return 13;
    if (L >= 851 && L <= 900)
        return 14;
    return 15;
}

int LarguraMsg(const QString& texto) {
    return 320 + 7 * FaixaLarguraMsg(texto.size()) +
           10 * common::ContaOcorrencias(QStringLiteral("\r\n"), texto);
}

QString LegendaBotUm(const QString& VLabelBotUm) {
    return VLabelBotUm.size() < 10 ? VLabelBotUm + QStringLiteral(" (enter)") : VLabelBotUm;
}

QString LegendaBotTres(const QString& VLabelBotTres) {
    return VLabelBotTres.size() < 12 ? VLabelBotTres + QStringLiteral(" (ESC)") : VLabelBotTres;
}

QString TextoErroLongo(const QString& arquivo) {
    return QStringLiteral("\t") +
           QStringLiteral("Houve um erro, mas o tamanho da mensagem de erro ficou muito extensa e "
                          "não pode ser exibida nesta tela. Ela foi gravada no arquivo ") +
           arquivo +
           QStringLiteral(" para que você possa analsá-la e tentar corrigir o problema. Abra esse "
                          "arquivo e analise seu conteúdo para ") +
           QStringLiteral("verificar qual foi o erro que ocorreu.") + QStringLiteral("\r\n\t") +
           QStringLiteral("Caso tenha dificuldades, contate seu suporte técnico para orientações.");
}

std::optional<QDate> TextoParaData(const QString& texto, const QLocale& local) {
    // The order of day, month and year is the order of the locale's short date format.
    const QString formato = local.dateFormat(QLocale::ShortFormat);
    const auto posicao = [&formato](QChar letra) { return formato.indexOf(letra); };
    std::vector<std::pair<qsizetype, char>> ordem = {{posicao(QLatin1Char('d')), 'd'},
                                                     {posicao(QLatin1Char('M')), 'M'},
                                                     {posicao(QLatin1Char('y')), 'y'}};
    if (std::any_of(ordem.begin(), ordem.end(), [](const auto& p) { return p.first < 0; }))
        ordem = {{0, 'd'}, {1, 'M'}, {2, 'y'}};
    std::sort(ordem.begin(), ordem.end());

    static const QRegularExpression data(QStringLiteral("^\\s*(\\d{1,4})\\s*[/.\\-]\\s*(\\d{1,4})"
                                                        "\\s*[/.\\-]\\s*(\\d{1,4})\\s*$"));
    const auto achado = data.match(texto);
    if (!achado.hasMatch())
        return std::nullopt;
    int dia = 0, mes = 0, ano = 0;
    for (int i = 0; i < 3; ++i) {
        const QString parte = achado.captured(i + 1);
        const int valor = parte.toInt();
        switch (ordem[static_cast<size_t>(i)].second) {
        case 'd':
            dia = valor;
            break;
        case 'M':
            mes = valor;
            break;
        default:
            ano = parte.size() <= 2 ? (valor < 50 ? 2000 + valor : 1900 + valor) : valor;
        }
    }
    const QDate resultado(ano, mes, dia);
    if (!resultado.isValid() || resultado <= QDate(1899, 12, 30))
        return std::nullopt;
    return resultado;
}

bool ResultadoPedidoInformacao(TFormatoPedidoInformacao tipo, const QString& VResult,
                               const QLocale& local) {
    switch (tipo) {
    case TFormatoPedidoInformacao::tfInteiro: {
        bool ok = false;
        const int valor = VResult.trimmed().toInt(&ok, 10);
        return ok && valor > 0;
    }
    case TFormatoPedidoInformacao::tfNumerico: {
        // Read as the field reads it: group separators (a value shown as 1.234,50) do not count.
        QString semGrupos = VResult;
        semGrupos.remove(local.groupSeparator());
        return TextoParaNumero(semGrupos, 0, local) > -1;
    }
    case TFormatoPedidoInformacao::tfData:
        return TextoParaData(VResult, local).has_value();
    default:
        return !VResult.isEmpty();
    }
}

} // namespace vorn::ui
