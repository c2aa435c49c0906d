/* The terminal library libsc501ger.so: a TCP server for the price-check terminals that the
 * program polls. Its wire protocol is described in docs/terminal-protocol.md.
 *
 * Threads: the library does its network work on a thread of its own. The program may call every
 * function from any one thread (the server calls them all from its user-interface thread); no
 * call waits on the network. Every function is safe before vInitialize and while no server runs:
 * the table is empty, no barcode arrives, and sends report failure.
 *
 * Texts are zero-terminated Windows-1252.
 *
 * Settings: the file sc501ger.ini beside the executable that loaded the library, or the file
 * named by the environment variable VORN_SC501GER_INI when it is set and not empty. It is read by
 * every tc_startserver:
 *   [Servidor]
 *   Porta=6500          TCP port, 1 to 65535
 *   Endereco=0.0.0.0    IPv4 address to listen on
 *   TempoVivo=5         seconds a terminal has to answer a keep-alive before it is dropped
 *                       (0.1 to 3600, decimals allowed)
 *   MaxTerminaisPorEndereco=32
 *                       connections one client address may hold at once (1 to 1024)
 * A missing file or key gives these defaults. A value that cannot be used, a file without a
 * [Servidor] section, or a file that exists but cannot be read makes tc_startserver fail with a
 * line on standard error: the server never falls back to listening on every address. */
#ifndef SC501GER_H
#define SC501GER_H

/* A C header: C's own headers and typedefs, so C programs include it as well. */
#include <stddef.h> /* NOLINT(modernize-deprecated-headers) */
#include <stdint.h> /* NOLINT(modernize-deprecated-headers) */
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(SC501GER_BUILDING)
#define SC501GER_API __attribute__((visibility("default")))
#else
#define SC501GER_API
#endif

#define SC501GER_MAX_TERMINALS 1024

/* The connected-terminals table, 8196 bytes. */
typedef struct TTABSOCK {                    /* NOLINT(modernize-use-using) */
    int32_t TabSock[SC501GER_MAX_TERMINALS]; /* terminal identifier per slot; 0 = free slot */
    /* IPv4 address of the slot's terminal in network byte order: the four bytes of the value in
     * memory are the address's four numbers, first one first (as in struct in_addr). */
    uint32_t TabUID[SC501GER_MAX_TERMINALS];
    int32_t NumSockConec; /* number of occupied slots */
} TTABSOCK;

#ifdef __cplusplus
#define SC501GER_STATIC_ASSERT(c, m) static_assert(c, m)
#else
#define SC501GER_STATIC_ASSERT(c, m) _Static_assert(c, m)
#endif
SC501GER_STATIC_ASSERT(offsetof(TTABSOCK, TabSock) == 0, "TabSock at offset 0");
SC501GER_STATIC_ASSERT(offsetof(TTABSOCK, TabUID) == 4096, "TabUID at offset 4096");
SC501GER_STATIC_ASSERT(offsetof(TTABSOCK, NumSockConec) == 8192, "NumSockConec at offset 8192");
SC501GER_STATIC_ASSERT(sizeof(TTABSOCK) == 8196, "TTABSOCK is 8196 bytes");
SC501GER_STATIC_ASSERT(sizeof(int) == 4, "int is 32 bits");

#ifdef __cplusplus
extern "C" {
#endif

/* Resets the library: the listener and every terminal are closed (each told "BYE restart"), the
 * table and the barcode queue are emptied. Terminal identifiers are never handed out again, so a
 * late answer to an identifier of before the reset reaches nobody. */
SC501GER_API void vInitialize(void);

/* Starts listening with the settings file's port and address. Non-zero = the server runs (also
 * when it already ran); 0 = it cannot listen (port in use, bad address, bad settings). May be
 * called again after a failure. */
SC501GER_API int tc_startserver(void);

/* Copies the whole table into *tab. The second argument is not used (the program passes 1).
 * Returns the number of occupied slots; 0 when tab is null. */
SC501GER_API int GetTabConectados(TTABSOCK* tab, int unused);

/* Writes the dotted-decimal text of a TabUID value, zero-terminated, into buf (at least 16 of its
 * 21 bytes are used). Returns the text's length; 0 when buf is null. */
SC501GER_API int TCinet_ntoa(uint32_t address, char* buf);

/* Sends a keep-alive to the terminal. A terminal that has not answered a keep-alive within
 * TempoVivo seconds of the first one it left unanswered is dropped. Returns 1 when sent, 0 when
 * no such terminal is connected. */
SC501GER_API int bEnviaVivo(int32_t id);

/* Takes the next waiting barcode, the terminals taking turns: one barcode of each terminal that
 * has some waiting, each terminal's in the order it scanned them. True with *id the terminal's
 * identifier, buf (1024 bytes) the barcode and its zero, *length its byte count (1 to 1023). False
 * when none waits, with *length 0. *port is not read or written and may be null. */
SC501GER_API bool bReceiveBarcode(int32_t* id, int32_t* port, char* buf, int32_t* length);

/* Answers the terminal's most recent barcode with a description and a price text; at most 100
 * bytes of each are read. True when the answer was handed to the network thread for a connected
 * terminal, false when that terminal has gone (or stopped reading what it is sent). */
SC501GER_API bool bSendProdPrice(int32_t id, const char* description, const char* price);

/* Answers the terminal's most recent barcode with "not found". Returns 1 when sent, 0 when that
 * terminal has gone. */
SC501GER_API int bSendProdNotFound(int32_t id);

#ifdef __cplusplus
}
#endif

#endif /* SC501GER_H */
