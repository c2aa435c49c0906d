#include "ui/PintaCelulaGrid.h"

#include "platform/Codepage.h"
#include "ui/MemTableModel.h"

#include <QAbstractItemView>
#include <QLocale>
#include <QPainter>
#include <optional>

namespace vorn::ui {

namespace {

using data::Value;

const QDate kDiaZero(1899, 12, 30);

// Numbers and dates as one comparable quantity. Integers and amounts keep their exact scaled
// form, so 1 and 1.0000 compare equal without passing through a binary fraction.
struct Quantidade {
    bool exata = false;
    __int128 escalada = 0; // exact: value x 10000
    long double aproximada = 0;
};

long double dias(const QDate& d) {
    return static_cast<long double>(kDiaZero.daysTo(d));
}

long double fracao(const QTime& t) {
    return static_cast<long double>(t.msecsSinceStartOfDay()) / 86400000.0L;
}

std::optional<Quantidade> textoComoQuantidade(const std::string& texto) {
    const QString t = platform::fromAnsi(texto).trimmed();
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok)
        return std::nullopt;
    return Quantidade{false, 0, v};
}

std::optional<Quantidade> comoQuantidade(const Value& valor) {
    return std::visit(
        [](const auto& v) -> std::optional<Quantidade> {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::int64_t>)
                return Quantidade{true, static_cast<__int128>(v) * data::Currency::kScale,
                                  static_cast<long double>(v)};
            else if constexpr (std::is_same_v<T, data::Currency>)
                return Quantidade{true, v.scaled,
                                  static_cast<long double>(v.scaled) / data::Currency::kScale};
            else if constexpr (std::is_same_v<T, double>)
                return Quantidade{false, 0, v};
            else if constexpr (std::is_same_v<T, QDate>)
                return Quantidade{false, 0, dias(v)};
            else if constexpr (std::is_same_v<T, QTime>)
                return Quantidade{false, 0, fracao(v)};
            else if constexpr (std::is_same_v<T, QDateTime>)
                return Quantidade{false, 0, dias(v.date()) + fracao(v.time())};
            else if constexpr (std::is_same_v<T, std::string>)
                return textoComoQuantidade(v);
            else
                return std::nullopt;
        },
        valor);
}

template <typename T> int sinal(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// -1, 0 or 1; std::nullopt when the two values cannot be compared.
std::optional<int> compara(const Value& a, const Value& b) {
    const bool nuloA = data::isNull(a);
    const bool nuloB = data::isNull(b);
    if (nuloA || nuloB)
        return nuloA && nuloB ? 0 : (nuloA ? -1 : 1);
    const auto* textoA = std::get_if<std::string>(&a);
    const auto* textoB = std::get_if<std::string>(&b);
    if (textoA != nullptr && textoB != nullptr) {
        if (*textoA == *textoB)
            return 0;
        const int ordem =
            QString::localeAwareCompare(platform::fromAnsi(*textoA), platform::fromAnsi(*textoB));
        // Texts that differ but collate alike still differ: the bytes decide their order.
        return ordem != 0 ? (ordem < 0 ? -1 : 1) : sinal(*textoA, *textoB);
    }
    const auto qa = comoQuantidade(a);
    const auto qb = comoQuantidade(b);
    if (!qa || !qb)
        return std::nullopt;
    if (qa->exata && qb->exata)
        return sinal(qa->escalada, qb->escalada);
    return sinal(qa->aproximada, qb->aproximada);
}

} // namespace

bool DestacaCelula(const Value& valorCampo, const Value& valorComparacao,
                   std::int32_t tipoComparacao) {
    if (tipoComparacao != kDestacaIgual && tipoComparacao != kDestacaDiferente &&
        tipoComparacao != kDestacaMenor)
        return false;
    const std::optional<int> ordem = compara(valorCampo, valorComparacao);
    if (!ordem)
        return false;
    switch (tipoComparacao) {
    case kDestacaIgual:
        return *ordem == 0;
    case kDestacaDiferente:
        return *ordem != 0;
    default:
        return *ordem < 0;
    }
}

CoresCelula CoresCelulaGrid(bool selecionada, bool destaque, int numeroRegistro) {
    if (selecionada)
        return destaque ? CoresCelula{kCorFundoSelecionadoDestaque, kCorTextoDestaque}
                        : CoresCelula{kCorFundoSelecionado, kCorTextoSelecionado};
    const QColor fundo = numeroRegistro % 2 != 0 ? kCorFundoImpar : kCorFundoPar;
    return {fundo, destaque ? kCorTextoDestaque : QColor(Qt::black)};
}

bool PintaCelulaGrid(QPainter* pintor, const QStyleOptionViewItem& opcao, const QModelIndex& index,
                     const QString& nomeCampo, const Value& valorComparacao,
                     std::int32_t tipoComparacao) {
    const auto* modelo = qobject_cast<const MemTableModel*>(index.model());
    if (modelo == nullptr || !modelo->tabelaAberta())
        return false;

    bool destaque = false;
    if (tipoComparacao == kDestacaIgual || tipoComparacao == kDestacaDiferente ||
        tipoComparacao == kDestacaMenor) {
        // A field the table does not have matches no comparison.
        const std::optional<Value> valor = modelo->valorCampo(index.row(), nomeCampo.toStdString());
        destaque = valor.has_value() && DestacaCelula(*valor, valorComparacao, tipoComparacao);
    }
    const bool selecionada = opcao.state.testFlag(QStyle::State_Selected);
    const CoresCelula cores =
        CoresCelulaGrid(selecionada, destaque, modelo->numeroRegistro(index.row()));

    pintor->save();
    pintor->fillRect(opcao.rect, cores.fundo);
    pintor->setClipRect(opcao.rect);
    pintor->setFont(opcao.font);
    pintor->setPen(cores.texto);
    Qt::Alignment alinhamento = Qt::AlignLeft | Qt::AlignVCenter;
    const QVariant alinhamentoModelo = index.data(Qt::TextAlignmentRole);
    if (alinhamentoModelo.isValid())
        alinhamento = Qt::Alignment(alinhamentoModelo.toInt());
    if (!(alinhamento & Qt::AlignVertical_Mask))
        alinhamento |= Qt::AlignVCenter;
    const QRect area = opcao.rect.adjusted(2, 0, -2, 0);
    const QString texto = opcao.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                       Qt::ElideRight, area.width());
    pintor->drawText(area, static_cast<int>(alinhamento), texto);
    pintor->restore();
    return true;
}

TPintaGrade::TPintaGrade(QAbstractItemView* grade) : QStyledItemDelegate(grade), grade_(grade) {}

void TPintaGrade::DefineComparacao(const QString& nomeCampo, const Value& valor,
                                   std::int32_t tipo) {
    nomeCampo_ = nomeCampo;
    valorComparacao_ = valor;
    tipoComparacao_ = tipo;
    if (grade_ != nullptr)
        grade_->viewport()->update();
}

void TPintaGrade::paint(QPainter* pintor, const QStyleOptionViewItem& opcao,
                        const QModelIndex& index) const {
    QStyleOptionViewItem celula(opcao);
    initStyleOption(&celula, index);
    if (!PintaCelulaGrid(pintor, celula, index, nomeCampo_, valorComparacao_, tipoComparacao_))
        QStyledItemDelegate::paint(pintor, opcao, index);
}

} // namespace vorn::ui
