// The eight C functions of libsc501ger.so. No exception crosses them.

#include "terminal/sc501ger.h"

#include "terminal/Library.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

using vorn::terminal::Clock;
using vorn::terminal::Library;

namespace {

// The answer texts live in 101-byte buffers; never read past their 100th byte.
std::string_view answerText(const char* text) {
    return text == nullptr ? std::string_view() : std::string_view(text, ::strnlen(text, 100));
}

} // namespace

extern "C" {

void vInitialize(void) {
    try {
        Library::instance().reset();
    } catch (...) {
    }
}

int tc_startserver(void) {
    try {
        return Library::instance().start() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int GetTabConectados(TTABSOCK* tab, int /*unused*/) {
    if (tab == nullptr)
        return 0;
    try {
        return Library::instance().registry().copyTable(*tab);
    } catch (...) {
        std::memset(tab, 0, sizeof *tab);
        return 0;
    }
}

int TCinet_ntoa(uint32_t address, char* buf) {
    if (buf == nullptr)
        return 0;
    in_addr addr{};
    addr.s_addr = address;
    if (::inet_ntop(AF_INET, &addr, buf, INET_ADDRSTRLEN) == nullptr) {
        buf[0] = '\0';
        return 0;
    }
    return static_cast<int>(std::strlen(buf));
}

int bEnviaVivo(int32_t id) {
    try {
        return Library::instance().registry().sendKeepAlive(id, Clock::now()) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

bool bReceiveBarcode(int32_t* id, int32_t* /*port*/, char* buf, int32_t* length) {
    if (length != nullptr)
        *length = 0;
    if (id == nullptr || buf == nullptr || length == nullptr)
        return false;
    try {
        const auto scan = Library::instance().registry().next();
        if (!scan)
            return false;
        // The protocol layer refuses longer barcodes and zero bytes, so this always fits.
        std::memcpy(buf, scan->barcode.data(), scan->barcode.size());
        buf[scan->barcode.size()] = '\0';
        *id = scan->id;
        *length = static_cast<int32_t>(scan->barcode.size());
        return true;
    } catch (...) {
        return false;
    }
}

bool bSendProdPrice(int32_t id, const char* description, const char* price) {
    try {
        return Library::instance().registry().sendPrice(id, answerText(description),
                                                        answerText(price));
    } catch (...) {
        return false;
    }
}

int bSendProdNotFound(int32_t id) {
    try {
        return Library::instance().registry().sendNotFound(id) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

} // extern "C"
