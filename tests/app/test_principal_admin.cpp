// The administrator's flows of the server window against the fixture database, with the
// dialogs answered through the message dialog's test seam.

#include "TestWindow.h"

#include "app/Principal.h"
#include "common/SealedRecord.h"
#include "platform/MessageBox.h"
#include "ui/Msg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace vorn;
using namespace vorn::test;
using app::TFPrincipal;
using ui::MsgAnswer;

namespace {

struct Window : TestWindow {
    std::string dados() const {
        const std::string ini = readFile(folder.dir() / "ZedorErurav.ini");
        const auto at = ini.find("Dados=");
        return ini.substr(at + 6, ini.find('\r', at) - at - 6);
    }
};

QStringList mensagens(const ui::ScopedMsgAnswers& answers) {
    QStringList out;
    for (const auto& shown : answers.shown())
        out << shown.mensagem.trimmed();
    return out;
}

const QString kSemTabela = "Nenhuma tabela de preços de venda foi localizada na filial informada, "
                           "ou então a própria filial não existe na base de dados.";
const QString kSenhaInvalida =
    "Senha inválida para uma operador com status administrador e ativo na base de dados.";

} // namespace

TEST(Alterar, RefusalsChangeNothing) {
    struct Case {
        const char* name;
        std::vector<MsgAnswer> answers;
        QString lastMessage; // empty: the change ends without a message
    } cases[] = {
        {"branch with no active table but table 1", {MsgAnswer::informa("3")}, kSemTabela},
        {"unknown branch", {MsgAnswer::informa("9")}, kSemTabela},
        {"branch code above 999",
         {MsgAnswer::informa("1000")},
         "Os códigos de filial e de tabela de preços vão até 999. Nada foi alterado."},
        {"no table chosen", {MsgAnswer::informa("2"), MsgAnswer::cancela()}, {}},
        {"wrong password",
         {MsgAnswer::informa("2"), MsgAnswer::informa("5-VAREJO CENTRO"), MsgAnswer::informa("x")},
         kSenhaInvalida},
        {"another branch's administrator",
         {MsgAnswer::informa("2"), MsgAnswer::informa("5-VAREJO CENTRO"),
          MsgAnswer::informa("admin123")},
         kSenhaInvalida},
        {"inactive administrator",
         {MsgAnswer::informa("1"), MsgAnswer::informa("3-ATACADO"), MsgAnswer::informa("gerente")},
         kSenhaInvalida},
        {"administrator flag in lower case",
         {MsgAnswer::informa("1"), MsgAnswer::informa("3-ATACADO"), MsgAnswer::informa("loja3")},
         kSenhaInvalida},
        {"empty password",
         {MsgAnswer::informa("1"), MsgAnswer::informa("3-ATACADO"), MsgAnswer::informa("")},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window win;
        const std::string before = win.dados();
        ui::ScopedMsgAnswers answers;
        for (const MsgAnswer& a : c.answers)
            answers.adiciona(a);
        win.w->BotAlterarConfigClick();
        const QStringList shown = mensagens(answers);
        ASSERT_FALSE(shown.isEmpty());
        if (c.lastMessage.isEmpty())
            EXPECT_NE(shown.back(), kSenhaInvalida);
        else
            EXPECT_EQ(shown.back(), c.lastMessage);
        EXPECT_EQ(win.dados(), before);
        EXPECT_EQ(win.w->EditFilial->text(), "1 - MATRIZ");
        EXPECT_EQ(win.w->codTabelaPrecos(), 2);
    }
}

TEST(Alterar, OffersTheBranchsActiveTablesOtherThanOne) {
    Window win;
    ui::ScopedMsgAnswers answers{MsgAnswer::informa("1"), MsgAnswer::cancela()};
    win.w->BotAlterarConfigClick();
    QStringList items;
    for (int i = 0; i < win.msg.ComboBoxToRetorno->count(); ++i)
        items << win.msg.ComboBoxToRetorno->itemText(i);
    EXPECT_EQ(items, QStringList({"2-VAREJO", "3-ATACADO"}));
}

TEST(Alterar, AnAdministratorMovesTheServerAndTheRecordReadsBack) {
    Window win;
    std::vector<std::string> records;
    for (int round = 0; round < 2; ++round) {
        ui::ScopedMsgAnswers answers{MsgAnswer::informa("2"), MsgAnswer::informa("5-VAREJO CENTRO"),
                                     MsgAnswer::informa("Centro#2024")};
        win.w->BotAlterarConfigClick();
        EXPECT_EQ(answers.pendentes(), 0u);
        EXPECT_EQ(win.w->EditFilial->text(), "2 - LOJA CENTRO");
        EXPECT_EQ(win.w->EditTabPrecos->text(), "5 - VAREJO CENTRO");
        EXPECT_FALSE(win.w->temErroTabelas());
        records.push_back(win.dados());
        const auto codes =
            common::LeCodigosRegistro(common::AbreRegistro(QString::fromStdString(records.back())));
        EXPECT_EQ(codes.filial, 2);
        EXPECT_EQ(codes.tabela, 5);
    }
    EXPECT_NE(records[0], records[1]); // five fresh random digits each time

    // Terminals keep the former prices until the next load.
    const data::MemTable& cache = win.w->memPrecos();
    const auto preco = [&cache]() -> std::int64_t {
        for (int row = 1; row <= cache.recordCount(); ++row)
            if (cache.valueAt(row, cache.indexOf("CODIGOBARRAS")) ==
                data::Value(std::string("7891000100011")))
                return std::get<data::Currency>(cache.valueAt(row, cache.indexOf("PRECO"))).scaled;
        return -1;
    };
    EXPECT_EQ(preco(), 49900);
    win.w->TimerAtualizaPrecosTimer();
    EXPECT_EQ(preco(), 51900);
}

TEST(Listagem, NeedsAnAdministratorAndFiltersAndSortsInMemory) {
    Window win;
    const data::MemTable& list = win.w->memProdutosListagem();
    EXPECT_TRUE(win.w->EditFiltraProd->isReadOnly());
    EXPECT_TRUE(win.w->LabelQtdeProdutos->isHidden());
    {
        ui::ScopedMsgAnswers answers{MsgAnswer::informa("errada")};
        win.w->BitBtn2Click();
        EXPECT_EQ(mensagens(answers).back(), kSenhaInvalida);
    }
    EXPECT_FALSE(list.active());
    EXPECT_TRUE(win.w->EditFiltraProd->isReadOnly());

    {
        ui::ScopedMsgAnswers answers{MsgAnswer::informa("çãoÉ!")};
        win.w->BitBtn2Click();
    }
    EXPECT_EQ(list.recordCount(), 14);
    EXPECT_EQ(win.w->LabelQtdeProdutos->text(), "14 produtos ativos");
    EXPECT_FALSE(win.w->LabelQtdeProdutos->isHidden());
    EXPECT_FALSE(win.w->EditFiltraProd->isReadOnly());

    struct Filter {
        const char* typed;
        int rows;
    } filters[] = {
        {"arroz", 3},  // typed in capitals; matches "Arroz ..." through UPPER
        {"MER00", 5},  // code; "mer008" too (MER007 is inactive)
        {"100097", 2}, // barcode
        {"70%", 1},    // % is the wildcard: "70" then anything
        {"D'ÁGUA", 0}, // a quote is looked for, not an error
        {"", 14},
    };
    platform::MessageBoxRecorder boxes;
    for (const Filter& f : filters) {
        win.w->EditFiltraProd->setText(QString::fromUtf8(f.typed));
        EXPECT_EQ(list.recordCount(), f.rows) << f.typed;
    }
    EXPECT_EQ(win.w->EditFiltraProd->text(), "");
    EXPECT_TRUE(boxes.shown().empty());

    // Title clicks alternate ascending and descending, whichever column they fall on; the
    // listing then stands on its first row.
    const auto primeiraDescricao = [&list] { return list.value("DESCRICAO"); };
    win.w->DBGrid4TitleClick(2);
    EXPECT_EQ(list.recNo(), 1);
    const data::Value firstAscending = primeiraDescricao();
    win.w->DBGrid4TitleClick(2);
    EXPECT_EQ(list.recNo(), 1);
    EXPECT_NE(primeiraDescricao(), firstAscending);
    win.w->DBGrid4TitleClick(2);
    EXPECT_EQ(primeiraDescricao(), firstAscending);
    EXPECT_EQ(list.indexFieldNames(), "DESCRICAO");
    win.w->DBGrid4TitleClick(0);
    EXPECT_EQ(list.indexFieldNames(), "COD_ALFA:D");
}
