// The administrator's flows of the server window: moving the server to another branch and price
// table, and listing the products of the current table with a filter and a sort.

#include "app/Principal.h"

#include "app/Administrador.h"

#include "catalogue/ProductListing.h"
#include "common/SealedRecord.h"
#include "common/uFuncPubl.h"
#include "config/ConsultasFilialTabela.h"
#include "data/AbreConsulta.h"
#include "ui/AparenciaCampos.h"
#include "ui/EventGuard.h"
#include "ui/MemTableModel.h"
#include "ui/Msg.h"
#include "ui/OrdenaGridPorTitulo.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <stdexcept>

namespace vorn::app {

namespace {

const QString kFormatoNumerico = QStringLiteral("#,##0.00");
// Codes of more digits do not fit the sealed record: they would shift the fields after them.
constexpr std::int32_t kCodigoMaximo = 999;
const QString kCodigoGrande =
    QStringLiteral("Os códigos de filial e de tabela de preços vão até 999. Nada foi alterado.");

// An answer the dialog confirmed as an integer (it may carry the locale's group separators).
std::int32_t inteiroConfirmado(const QString& texto) {
    bool ok = false;
    std::int32_t valor = QLocale().toInt(texto.trimmed(), &ok);
    if (!ok)
        valor = texto.trimmed().toInt(&ok);
    if (!ok)
        throw std::runtime_error("'" + texto.toStdString() + "' não é um número inteiro válido");
    return valor;
}

} // namespace

bool SenhaDeAdministradorConfere(const std::string& administrador, const QString& passBase64,
                                 const QString& digitada) {
    if (administrador != "S")
        return false;
    try {
        return common::DecodificaBase64(passBase64) == digitada;
    } catch (const std::exception&) {
        return false;
    }
}

void TFPrincipal::BotAlterarConfigClick() {
    ui::runGuarded([this] { alterarConfig(); });
}

void TFPrincipal::alterarConfig() {
    if (FMsg == nullptr)
        return;
    QString resposta;
    if (!FMsg->PedidoInformacao(resposta, QStringLiteral("Indique a nova filial"),
                                ui::TFormatoPedidoInformacao::tfInteiro,
                                QString::number(VCodFilial), kFormatoNumerico))
        return;
    // The branch goes into the SQL as the number the dialog confirmed, never as typed.
    const std::int32_t filial = inteiroConfirmado(resposta);
    if (filial > kCodigoMaximo) {
        FMsg->Erro(kCodigoGrande, QString());
        return;
    }

    AbreConexao();
    data::AbreConsulta(FDQCurin, config::SqlTabelasDeVenda(filial));
    if (FDQCurin.eof()) {
        FMsg->Erro(QStringLiteral("Nenhuma tabela de preços de venda foi localizada na filial "
                                  "informada, ou então a própria filial não existe na base de "
                                  "dados."),
                   QString());
        return;
    }
    FMsg->ComboBoxToRetorno->clear();
    for (; !FDQCurin.eof(); FDQCurin.next())
        FMsg->ComboBoxToRetorno->addItem(FDQCurin.asQString("CODIGO") + u'-' +
                                         FDQCurin.asQString("DESCRICAO"));

    if (!FMsg->PedidoInformacao(resposta, QStringLiteral("Indique a nova tabela de preços"),
                                ui::TFormatoPedidoInformacao::tfTextoLista,
                                QString::number(VCodTabelaPrecos), kFormatoNumerico))
        return;
    const std::int32_t tabela = inteiroConfirmado(resposta.section(u'-', 0, 0));
    if (tabela > kCodigoMaximo) {
        FMsg->Erro(kCodigoGrande, QString());
        return;
    }

    if (!ValidaAdministrador(filial))
        return;

    const QString selado = common::SelaRegistro(common::MontaRegistroFilialTabela(filial, tabela));
    if (selado.isEmpty())
        throw std::runtime_error("O registro de filial e tabela não pôde ser selado. Nada foi "
                                 "alterado.");
    common::GravaIniString(VDirApp + QString::fromLatin1(config::kArquivoConfiguracoes),
                           QStringLiteral("Config"), QStringLiteral("Dados"), selado);
    LeConfiguracoes();
    // Terminals already answered keep the former cache until the next load; a server that was
    // not answering says what serves the new record (rather than the former record's fault).
    if (!VMotivoInativo.isEmpty()) {
        VMotivoInativo = QStringLiteral("filial e tabela alteradas: \"Reiniciar Server\" ativa o "
                                        "servidor com elas");
        AtualizaAvisoErro();
    }
}

bool TFPrincipal::ValidaAdministrador(std::int32_t filial) {
    if (FMsg == nullptr)
        return false;
    QString senha;
    if (!FMsg->PedidoInformacao(senha,
                                QStringLiteral("Informe a senha de um operador administrador"),
                                ui::TFormatoPedidoInformacao::tfPass, QString(), kFormatoNumerico))
        return false;
    AbreConexao();
    data::AbreConsulta(FDQCurin, config::SqlUsuariosAtivos(filial));
    for (; !FDQCurin.eof(); FDQCurin.next()) {
        if (SenhaDeAdministradorConfere(FDQCurin.asString("ADMINISTRADOR"),
                                        FDQCurin.asQString("PASS"), senha))
            return true;
    }
    FMsg->Erro(QStringLiteral("Senha inválida para uma operador com status administrador e ativo "
                              "na base de dados."),
               QString());
    return false;
}

void TFPrincipal::BitBtn2Click() {
    ui::runGuarded([this] { listarProdutos(); });
}

void TFPrincipal::listarProdutos() {
    if (!ValidaAdministrador(VCodFilial))
        return;
    AbreConexao();
    data::AbreConsulta(FDQCurin, catalogue::SqlListagemProdutos(VCodFilial, VCodTabelaPrecos));
    FDMemProdutosListagem.copyFrom(FDQCurin);
    FDMemProdutosListagem.last();
    LabelQtdeProdutos->setText(QString::number(FDMemProdutosListagem.recordCount()) +
                               QStringLiteral(" produtos ativos"));
    LabelQtdeProdutos->setVisible(true);
    FDMemProdutosListagem.first();
    DSProdutosListagem->refresh();
    ui::LiberaCampo(EditFiltraProd);
    EditFiltraProd->setFocus();
}

void TFPrincipal::EditFiltraProdChange() {
    ui::runGuarded([this] {
        // The field takes capitals only.
        const QString texto = EditFiltraProd->text();
        const QString maiusculas = texto.toUpper();
        if (maiusculas != texto) {
            const int cursor = EditFiltraProd->cursorPosition();
            EditFiltraProd->setText(maiusculas); // runs this handler again
            EditFiltraProd->setCursorPosition(cursor);
            return;
        }
        if (!FDMemProdutosListagem.active())
            return;
        if (texto.isEmpty()) {
            FDMemProdutosListagem.setFiltered(false);
            FDMemProdutosListagem.setFilter(QString());
        } else {
            FDMemProdutosListagem.setFilter(catalogue::FiltroListagemProdutos(texto));
            FDMemProdutosListagem.setFiltered(true);
        }
        DSProdutosListagem->refresh();
    });
}

void TFPrincipal::DBGrid4TitleClick(int coluna) {
    ui::runGuarded([this, coluna] { ui::OrdenaGridPorTitulo(DBGrid4, coluna); });
}

} // namespace vorn::app
