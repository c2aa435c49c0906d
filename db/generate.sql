/*
 * Catalogue generator for benchmarks and load tests: two branches, their price tables, one
 * administrator (password admin123) and @PRODUCTS@ products with their prices, all generated on
 * the server in one EXECUTE BLOCK (an INSERT per line through isql would take minutes).
 * scripts/firebird replaces @PRODUCTS@ with the number asked for ("generate:N").
 *
 * Product i (1..N):
 *   CODIGO i, COD_ALFA 'G' + i in 7 digits, an accented description built from word lists,
 *   CODIGOBARRAS an EAN-13 '789' + i in 9 digits + check digit (empty for every 101st product),
 *   ATIVO 'N' for every 97th product, 'S' otherwise.
 * Prices: branch 1 table 2 (VAREJO, the default) and table 3 (ATACADO) for every product, branch
 * 2 table 5 for every third product; a few service rows (type 'S') in branch 1 table 2.
 */

INSERT INTO DIVERSOS (FILIAL, NOME_CURTO, RAZAO_SOCIAL, CNPJ, CIDADE, UF)
    VALUES (1, 'MATRIZ', 'Comercial de Alimentos Boa Colheita Ltda.', '45.678.901/0001-23', 'Belo Horizonte', 'MG');
INSERT INTO DIVERSOS (FILIAL, NOME_CURTO, RAZAO_SOCIAL, CNPJ, CIDADE, UF)
    VALUES (2, 'FILIAL NORTE', 'Comercial de Alimentos Boa Colheita Ltda.', '45.678.901/0002-04', 'Contagem', 'MG');

INSERT INTO TABS_PRECOS_PROD_SERV (FILIAL, CODIGO, DESCRICAO, ATIVO, TABPADRAO) VALUES (1, 1, 'CUSTO', 'S', 'N');
INSERT INTO TABS_PRECOS_PROD_SERV (FILIAL, CODIGO, DESCRICAO, ATIVO, TABPADRAO) VALUES (1, 2, 'VAREJO', 'S', 'S');
INSERT INTO TABS_PRECOS_PROD_SERV (FILIAL, CODIGO, DESCRICAO, ATIVO, TABPADRAO) VALUES (1, 3, 'ATACADO', 'S', 'N');
INSERT INTO TABS_PRECOS_PROD_SERV (FILIAL, CODIGO, DESCRICAO, ATIVO, TABPADRAO) VALUES (2, 1, 'CUSTO', 'S', 'N');
INSERT INTO TABS_PRECOS_PROD_SERV (FILIAL, CODIGO, DESCRICAO, ATIVO, TABPADRAO) VALUES (2, 5, 'VAREJO NORTE', 'S', 'S');

INSERT INTO USUARIOS (CODIGO, FILIAL, NOME, LOGIN, PASS, ADMINISTRADOR, ATIVO)
    VALUES (1, 1, 'ADMINISTRADOR', 'admin', 'YWRtaW4xMjM=', 'S', 'S');
INSERT INTO USUARIOS (CODIGO, FILIAL, NOME, LOGIN, PASS, ADMINISTRADOR, ATIVO)
    VALUES (2, 2, 'ADMINISTRADOR NORTE', 'admnorte', 'YWRtaW4xMjM=', 'S', 'S');
COMMIT;

/* The secondary indexes, and the price table's foreign key with its index of a handful of
   distinct values, are built once at the end: far faster than updating them row by row. */
ALTER INDEX IX_PRODUTOS_CODIGOBARRAS INACTIVE;
ALTER INDEX IX_PRODUTOS_DESCRICAO INACTIVE;
ALTER TABLE PRECOS_PROD_SERV DROP CONSTRAINT FK_PRECOS_TABELA;
COMMIT;

SET TERM ^ ;
EXECUTE BLOCK AS
    DECLARE n INTEGER = @PRODUCTS@;
    DECLARE i INTEGER = 1;
    DECLARE k INTEGER;
    DECLARE d INTEGER;
    DECLARE soma INTEGER;
    DECLARE tipo VARCHAR(40);
    DECLARE variante VARCHAR(30);
    DECLARE medida VARCHAR(10);
    DECLARE barras VARCHAR(20);
    DECLARE preco NUMERIC(18,4);
BEGIN
    WHILE (i <= n) DO
    BEGIN
        tipo = DECODE(MOD(i, 25),
            0, 'AÇÚCAR', 1, 'CAFÉ TORRADO', 2, 'FEIJÃO', 3, 'ARROZ', 4, 'MACARRÃO',
            5, 'ÓLEO', 6, 'LEITE', 7, 'PÃO DE FORMA', 8, 'BISCOITO', 9, 'SABÃO EM PÓ',
            10, 'DETERGENTE', 11, 'ÁGUA MINERAL', 12, 'SUCO', 13, 'REFRIGERANTE', 14, 'CHÁ',
            15, 'FARINHA DE MANDIOCA', 16, 'AMIDO DE MILHO', 17, 'MOLHO DE TOMATE', 18, 'SARDINHA',
            19, 'ATUM', 20, 'QUEIJO MUÇARELA', 21, 'IOGURTE', 22, 'MANTEIGA', 23, 'SALSICHA',
            'PAPEL HIGIÊNICO');
        variante = DECODE(MOD(i / 25, 8),
            0, 'TRADICIONAL', 1, 'INTEGRAL', 2, 'ORGÂNICO', 3, 'LIGHT', 4, 'PREMIUM',
            5, 'ECONÔMICO', 6, 'SELEÇÃO', 'ESPECIAL');
        medida = DECODE(MOD(i / 200, 6), 0, '1KG', 1, '500G', 2, '200G', 3, '1L', 4, '2L', '5KG');

        /* EAN-13: 789, then i in nine digits, then the check digit (weights 1,3,1,3,...). */
        soma = 7 + 3 * 8 + 9;
        k = i;
        d = 0;
        WHILE (d < 9) DO
        BEGIN
            /* digits of i from the right: positions 12, 11, ..., 4 */
            soma = soma + IIF(MOD(d, 2) = 0, 3, 1) * MOD(k, 10);
            k = k / 10;
            d = d + 1;
        END
        barras = IIF(MOD(i, 101) = 0, '',
            '789' || LPAD(i, 9, '0') || MOD(10 - MOD(soma, 10), 10));

        INSERT INTO PRODUTOS (CODIGO, COD_ALFA, DESCRICAO, CODIGOBARRAS, UN_VENDAS, ATIVO)
            VALUES (:i, 'G' || LPAD(:i, 7, '0'), :tipo || ' ' || :variante || ' ' || :medida,
                    :barras, DECODE(MOD(:i, 7), 0, 'KG', 1, 'CX', 2, 'PCT', 'UN'),
                    IIF(MOD(:i, 97) = 0, 'N', 'S'));

        preco = CAST(MOD(i * 7919, 99990) + 10 AS NUMERIC(18,4)) / 100;
        INSERT INTO PRECOS_PROD_SERV (FILIAL, TABELA, TIPOPRODUTO, PRODUTO, PRECO)
            VALUES (1, 2, 'P', :i, :preco);
        IF (i <= 20) THEN
            INSERT INTO PRECOS_PROD_SERV (FILIAL, TABELA, TIPOPRODUTO, PRODUTO, PRECO)
                VALUES (1, 2, 'S', :i, 35);
        i = i + 1;
    END
END^
SET TERM ; ^
COMMIT;

/* The other tables' prices follow from the retail prices, set-based (faster than per row, and
   each table's rows then lie together in the primary key). */
INSERT INTO PRECOS_PROD_SERV (FILIAL, TABELA, TIPOPRODUTO, PRODUTO, PRECO)
    SELECT 1, 3, 'P', PRODUTO, PRECO * 0.9 FROM PRECOS_PROD_SERV
    WHERE FILIAL = 1 AND TABELA = 2 AND TIPOPRODUTO = 'P';
INSERT INTO PRECOS_PROD_SERV (FILIAL, TABELA, TIPOPRODUTO, PRODUTO, PRECO)
    SELECT 2, 5, 'P', PRODUTO, PRECO * 1.05 FROM PRECOS_PROD_SERV
    WHERE FILIAL = 1 AND TABELA = 2 AND TIPOPRODUTO = 'P' AND MOD(PRODUTO, 3) = 0;
COMMIT;

ALTER INDEX IX_PRODUTOS_CODIGOBARRAS ACTIVE;
ALTER INDEX IX_PRODUTOS_DESCRICAO ACTIVE;
ALTER TABLE PRECOS_PROD_SERV ADD CONSTRAINT FK_PRECOS_TABELA FOREIGN KEY (FILIAL, TABELA)
    REFERENCES TABS_PRECOS_PROD_SERV (FILIAL, CODIGO);
COMMIT;
