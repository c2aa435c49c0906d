/*
 * Schema of the retail database as far as the price server reads it: branches, price tables,
 * prices, products and users. Codes are INTEGER, yes/no flags CHAR(1) holding 'S' for yes (the
 * retail system puts no constraint on them, so other values occur), prices NUMERIC(18,4). Texts
 * are WIN1252, the database's default character set.
 *
 * scripts/firebird replaces @DATABASE@, @USER@ and @PASSWORD@ and runs this file with isql-fb
 * (client character set UTF8: the files of db/ are UTF-8 text).
 */
SET SQL DIALECT 3;
CREATE DATABASE '@DATABASE@' USER '@USER@' PASSWORD '@PASSWORD@'
    PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1252;

/* One row per branch (filial) of the shop; NOME_CURTO is what the server shows for it. */
CREATE TABLE DIVERSOS (
    FILIAL          INTEGER NOT NULL,
    NOME_CURTO      VARCHAR(30) NOT NULL,
    RAZAO_SOCIAL    VARCHAR(100),
    CNPJ            VARCHAR(18),
    CIDADE          VARCHAR(60),
    UF              CHAR(2),
    CONSTRAINT PK_DIVERSOS PRIMARY KEY (FILIAL)
);

/* Price tables of each branch. TABPADRAO marks the branch's default table. */
CREATE TABLE TABS_PRECOS_PROD_SERV (
    FILIAL          INTEGER NOT NULL,
    CODIGO          INTEGER NOT NULL,
    DESCRICAO       VARCHAR(60) NOT NULL,
    ATIVO           CHAR(1) DEFAULT 'S' NOT NULL,
    TABPADRAO       CHAR(1) DEFAULT 'N' NOT NULL,
    CONSTRAINT PK_TABS_PRECOS_PROD_SERV PRIMARY KEY (FILIAL, CODIGO),
    CONSTRAINT FK_TABS_PRECOS_FILIAL FOREIGN KEY (FILIAL) REFERENCES DIVERSOS (FILIAL)
);

/* Products sold in every branch. CODIGOBARRAS is not unique: shops do register one barcode for
   two products by mistake, and an empty or missing barcode is common. */
CREATE TABLE PRODUTOS (
    CODIGO          INTEGER NOT NULL,
    COD_ALFA        VARCHAR(20),
    DESCRICAO       VARCHAR(100) NOT NULL,
    CODIGOBARRAS    VARCHAR(20),
    UN_VENDAS       VARCHAR(6) DEFAULT 'UN',
    ATIVO           CHAR(1) DEFAULT 'S' NOT NULL,
    CONSTRAINT PK_PRODUTOS PRIMARY KEY (CODIGO)
);
CREATE INDEX IX_PRODUTOS_CODIGOBARRAS ON PRODUTOS (CODIGOBARRAS);
CREATE INDEX IX_PRODUTOS_DESCRICAO ON PRODUTOS (DESCRICAO);

/* Prices of products (TIPOPRODUTO 'P') and services ('S') in each price table of a branch.
   PRODUTO is a product code or a service code depending on TIPOPRODUTO, so it has no foreign
   key of its own. */
CREATE TABLE PRECOS_PROD_SERV (
    FILIAL          INTEGER NOT NULL,
    TABELA          INTEGER NOT NULL,
    TIPOPRODUTO     CHAR(1) NOT NULL,
    PRODUTO         INTEGER NOT NULL,
    PRECO           NUMERIC(18,4) DEFAULT 0 NOT NULL,
    CONSTRAINT PK_PRECOS_PROD_SERV PRIMARY KEY (FILIAL, TABELA, TIPOPRODUTO, PRODUTO),
    CONSTRAINT FK_PRECOS_TABELA FOREIGN KEY (FILIAL, TABELA)
        REFERENCES TABS_PRECOS_PROD_SERV (FILIAL, CODIGO)
);

/* Operators of each branch. PASS holds the password as Base64 text of its UTF-8 bytes. */
CREATE TABLE USUARIOS (
    CODIGO          INTEGER NOT NULL,
    FILIAL          INTEGER NOT NULL,
    NOME            VARCHAR(60) NOT NULL,
    LOGIN           VARCHAR(30) NOT NULL,
    PASS            VARCHAR(200),
    ADMINISTRADOR   CHAR(1) DEFAULT 'N' NOT NULL,
    ATIVO           CHAR(1) DEFAULT 'S' NOT NULL,
    CONSTRAINT PK_USUARIOS PRIMARY KEY (CODIGO),
    CONSTRAINT FK_USUARIOS_FILIAL FOREIGN KEY (FILIAL) REFERENCES DIVERSOS (FILIAL)
);

COMMIT;
