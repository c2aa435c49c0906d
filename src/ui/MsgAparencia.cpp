#include "ui/MsgAparencia.h"

namespace vorn::ui {

AparenciaMsg AparenciaDe(TipoMsg tipo, std::int32_t configCorErro) {
    const QColor branco(Qt::white);
    const QColor amarelo(Qt::yellow);
    const QColor preto(Qt::black);
    const QColor vermelhoIni(166, 0, 0);
    const QColor vermelhoFim(79, 0, 0);
    switch (tipo) {
    case TipoMsg::Sucesso:
        return {.cabecalho = "SUCESSO",
                .area = {19, 79, 26},
                .texto = branco,
                .legenda = amarelo,
                .rodapeInicio = {7, 29, 10},
                .rodapeFim = {19, 81, 26},
                .cabecalhoInicio = {7, 29, 10},
                .cabecalhoFim = {19, 81, 26},
                .botUm = false,
                .botDois = false,
                .botTres = false,
                .imagem = 1};
    case TipoMsg::Erro:
        if (configCorErro == 2)
            return {.cabecalho = "OCORREU UM ERRO",
                    .area = {146, 46, 46},
                    .texto = branco,
                    .legenda = branco,
                    .rodapeInicio = {105, 44, 75},
                    .rodapeFim = {65, 27, 46},
                    .cabecalhoInicio = {105, 44, 75},
                    .cabecalhoFim = {65, 27, 46},
                    .botUm = false,
                    .botDois = true,
                    .botTres = false,
                    .imagem = 1};
        return {.cabecalho = "OCORREU UM ERRO",
                .area = {223, 0, 0},
                .texto = branco,
                .legenda = branco,
                .rodapeInicio = vermelhoIni,
                .rodapeFim = vermelhoFim,
                .cabecalhoInicio = vermelhoIni,
                .cabecalhoFim = vermelhoFim,
                .botUm = false,
                .botDois = true,
                .botTres = false,
                .imagem = 1};
    case TipoMsg::AvisoImportante:
        return {.cabecalho = "MUITA ATENÇÃO",
                .area = {157, 0, 0},
                .texto = amarelo,
                .legenda = branco,
                .rodapeInicio = vermelhoIni,
                .rodapeFim = vermelhoFim,
                .cabecalhoInicio = {62, 62, 55},
                .cabecalhoFim = {35, 35, 31},
                .botUm = false,
                .botDois = true,
                .botTres = false,
                .imagem = 1};
    case TipoMsg::AvisoOutros:
        // The warning sets its text colour too (black), so it never depends on the dialog before.
        return {.cabecalho = "AVISO",
                .area = {147, 147, 0},
                .texto = preto,
                .legenda = amarelo,
                .rodapeInicio = {47, 47, 0},
                .rodapeFim = {132, 132, 0},
                .cabecalhoInicio = {47, 47, 0},
                .cabecalhoFim = {132, 132, 0},
                .botUm = false,
                .botDois = true,
                .botTres = false,
                .imagem = 2};
    case TipoMsg::AvisoHelps:
        return {.cabecalho = "INFORMAÇÃO",
                .area = {198, 255, 226},
                .texto = preto,
                .legenda = amarelo,
                .rodapeInicio = {19, 45, 72},
                .rodapeFim = {112, 162, 216},
                .cabecalhoInicio = {19, 45, 72},
                .cabecalhoFim = {112, 162, 216},
                .botUm = false,
                .botDois = true,
                .botTres = false,
                .imagem = 1};
    case TipoMsg::ConfirmacaoSimples:
        return {.cabecalho = "PEDIDO DE CONFIRMAÇÃO",
                .area = {179, 174, 117},
                .texto = {0, 0, 64},
                .legenda = amarelo,
                .rodapeInicio = {86, 77, 20},
                .rodapeFim = {143, 126, 33},
                .cabecalhoInicio = {86, 77, 20},
                .cabecalhoFim = {143, 126, 33},
                .botUm = true,
                .botDois = false,
                .botTres = true,
                .imagem = 2};
    case TipoMsg::ConfirmacaoAtencao:
        return {.cabecalho = "ATENÇÃO - CONFIRMAÇÃO",
                .area = {157, 0, 0},
                .texto = amarelo,
                .legenda = branco,
                .rodapeInicio = vermelhoIni,
                .rodapeFim = vermelhoFim,
                .cabecalhoInicio = vermelhoIni,
                .cabecalhoFim = vermelhoFim,
                .botUm = true,
                .botDois = false,
                .botTres = true,
                .imagem = 2};
    case TipoMsg::ConfirmacaoErro:
        return {.cabecalho = "ATENÇÃO - HOUVE UM ERRO",
                .area = {223, 0, 0},
                .texto = branco,
                .legenda = branco,
                .rodapeInicio = vermelhoIni,
                .rodapeFim = vermelhoFim,
                .cabecalhoInicio = vermelhoIni,
                .cabecalhoFim = vermelhoFim,
                .botUm = true,
                .botDois = false,
                .botTres = true,
                .imagem = 1};
    case TipoMsg::PedidoInformacao:
        // The request sets its header caption colour too (white).
        return {.cabecalho = "PEDIDO DE INFORMAÇÃO",
                .area = {67, 119, 205},
                .texto = branco,
                .legenda = branco,
                .rodapeInicio = {0, 0, 130},
                .rodapeFim = {0, 0, 64},
                .cabecalhoInicio = {0, 0, 130},
                .cabecalhoFim = {0, 0, 64},
                .botUm = false,
                .botDois = true,
                .botTres = false,
                .imagem = 1};
    }
    return AparenciaDe(TipoMsg::Erro, configCorErro);
}

} // namespace vorn::ui
