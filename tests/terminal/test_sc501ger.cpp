// The terminal library driven through its C functions the way the server drives it, against
// terminals on real loopback sockets.

#include "TerminalTestSupport.h"
#include "support/FreePort.h"
#include "terminal/sc501ger.h"

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vorn::test {
namespace {

std::uint32_t ipv4(const char* text) {
    in_addr a{};
    inet_pton(AF_INET, text, &a);
    return a.s_addr;
}

// The library running on a free port of its own.
class Sc501ger : public ::testing::Test {
protected:
    void SetUp() override {
        vInitialize();
        ASSERT_EQ(tc_startserver(), 1);
    }
    void TearDown() override { vInitialize(); }

    std::uint16_t port() const { return settings_.port(); }

    LibrarySettings settings_{freeTcpPort(), "TempoVivo=30\r\n"};
};

// ---- Before the server runs ----

TEST(Sc501gerIdle, EveryCallIsSafeBeforeInitializeAndWithoutAServer) {
    for (const bool initialized : {false, true}) {
        SCOPED_TRACE(initialized ? "after vInitialize" : "before vInitialize");
        if (initialized)
            vInitialize();
        const TTABSOCK t = table();
        EXPECT_EQ(t.NumSockConec, 0);
        EXPECT_TRUE(std::all_of(std::begin(t.TabSock), std::end(t.TabSock),
                                [](std::int32_t id) { return id == 0; }));
        EXPECT_FALSE(receive().has_value());
        std::int32_t length = 99;
        std::int32_t id = 0;
        char buffer[1024];
        EXPECT_FALSE(bReceiveBarcode(&id, nullptr, buffer, &length));
        EXPECT_EQ(length, 0);
        EXPECT_FALSE(bSendProdPrice(1, "ARROZ", "R$ 1,00"));
        EXPECT_EQ(bSendProdNotFound(1), 0);
        EXPECT_EQ(bEnviaVivo(1), 0);
        // Null pointers are refused, not followed.
        EXPECT_EQ(GetTabConectados(nullptr, 1), 0);
        EXPECT_FALSE(bReceiveBarcode(nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(TCinet_ntoa(0, nullptr), 0);
    }
}

TEST(Sc501gerText, TCinetNtoaWritesTheDottedAddressOfATableValue) {
    const struct {
        const char* address;
    } cases[] = {{"0.0.0.0"}, {"127.0.0.1"}, {"10.1.2.3"}, {"192.168.0.200"}, {"255.255.255.255"}};
    for (const auto& c : cases) {
        char buffer[21];
        std::memset(buffer, '#', sizeof buffer);
        const int length = TCinet_ntoa(ipv4(c.address), buffer);
        EXPECT_STREQ(buffer, c.address);
        EXPECT_EQ(length, static_cast<int>(std::strlen(c.address)));
        EXPECT_EQ(buffer[20], '#') << "wrote past the text";
    }
}

// ---- Settings and starting ----

TEST(Sc501gerStart, ABusyPortFailsWithoutHarmAndAStartAfterItsReleaseWorks) {
    LibrarySettings settings(freeTcpPort());
    int blocker = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(settings.port());
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(blocker, 1), 0);

    vInitialize();
    EXPECT_EQ(tc_startserver(), 0);
    EXPECT_EQ(tc_startserver(), 0) << "a second try while the port is still taken";
    EXPECT_EQ(table().NumSockConec, 0);
    ::close(blocker);

    EXPECT_EQ(tc_startserver(), 1);
    EXPECT_EQ(tc_startserver(), 1) << "starting a running server changes nothing";
    RawTerminal terminal(settings.port());
    EXPECT_GT(terminal.hello(), 0);
    vInitialize();
}

TEST(Sc501gerStart, SettingsThatCannotBeUsedKeepTheServerFromStarting) {
    const std::uint16_t port = freeTcpPort();
    const std::string portLine = "Porta=" + std::to_string(port) + "\n";
    const struct {
        std::string ini;
    } cases[] = {
        // Values the settings reader refuses (its own tests have the full list)...
        {"[Servidor]\n" + portLine + "Endereco=localhost\n"},
        {"[Servidor]\nPorta=65a\nEndereco=127.0.0.1\n"},
        {"[Servidor]\n" + portLine + "Endereco=127.0.0.1\nTempoVivo=0\n"},
        {"[Servidor]\n" + portLine + "Endereco=127.0.0.1\nMaxTerminaisPorEndereco=0\n"},
        // ...a file without its section, which would otherwise listen on every address...
        {"[Servidr]\n" + portLine + "Endereco=127.0.0.1\n"},
        {""},
        // ...and an address that is no address of this machine.
        {"[Servidor]\n" + portLine + "Endereco=192.0.2.1\n"},
    };
    LibrarySettings settings(port);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        settings.write(c.ini);
        vInitialize();
        EXPECT_EQ(tc_startserver(), 0);
    }
    settings.write("[Servidor]\n" + portLine + "Endereco=127.0.0.1\n");
    EXPECT_EQ(tc_startserver(), 1) << "the same library starts once the settings are fixed";
    vInitialize();
}

TEST(Sc501gerStart, ASettingsFileThatCannotBeReadKeepsTheServerFromStarting) {
    LibrarySettings settings(freeTcpPort()); // unsets the variable at the end
    TempDir dir;
    std::filesystem::create_directory(dir / "sc501ger.ini");
    ::setenv("VORN_SC501GER_INI", (dir / "sc501ger.ini").c_str(), 1);
    vInitialize();
    EXPECT_EQ(tc_startserver(), 0);
    vInitialize();
}

TEST(Sc501gerStart, AFileSavedWithAUtf8ByteOrderMarkListensWhereItSays) {
    LibrarySettings settings(freeTcpPort());
    settings.write("\xEF\xBB\xBF[Servidor]\r\nPorta=" + std::to_string(settings.port()) +
                   "\r\nEndereco=127.0.0.1\r\n");
    vInitialize();
    ASSERT_EQ(tc_startserver(), 1);
    RawTerminal terminal(settings.port());
    EXPECT_GT(terminal.hello(), 0);
    vInitialize();
}

// sc501ger_probe as a second process: it starts the library and says "started".
class Probe {
public:
    // Runs `program` with `mode` (none when empty); without VORN_SC501GER_INI when `withoutIni`.
    Probe(const std::string& program, const char* mode, bool withoutIni) {
        int toProbe[2];
        int fromProbe[2];
        if (::pipe2(toProbe, O_CLOEXEC) != 0 || ::pipe2(fromProbe, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2() failed");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(toProbe[0], 0);
            ::dup2(fromProbe[1], 1);
            if (withoutIni)
                ::unsetenv("VORN_SC501GER_INI");
            ::signal(SIGHUP, SIG_DFL); // as in a session, also when this test runs under nohup
            ::execl(program.c_str(), program.c_str(), mode, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(toProbe[0]);
        ::close(fromProbe[1]);
        input_ = toProbe[1];
        output_ = fromProbe[0];
    }
    ~Probe() {
        closeInput();
        if (!reaped()) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(output_);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // What the probe said first (within 10 s).
    std::string said() {
        char text[16] = {};
        pollfd p{output_, POLLIN, 0};
        const auto n = ::poll(&p, 1, 10000) == 1 ? ::read(output_, text, sizeof text - 1) : -1;
        return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    void signal(int signo) { ::kill(pid_, signo); }
    void closeInput() {
        if (input_ >= 0)
            ::close(input_);
        input_ = -1;
    }
    // Its exit code once it ended (within 10 s); -1 when it did not end normally.
    int exitStatus() { return reaped() && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }

private:
    bool reaped() {
        if (!reaped_)
            reaped_ = waitUntil([&] { return ::waitpid(pid_, &status_, WNOHANG) == pid_; }, 10s);
        return reaped_;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int status_ = 0;
    bool reaped_ = false;
};

std::string probeProgram() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "sc501ger_probe")
        .string();
}

TEST(Sc501gerStart, TheSettingsFileBesideTheExecutableIsFoundWithoutTheVariable) {
    // A copy of the probe in a folder with its own sc501ger.ini must listen on that file's port.
    TempDir folder;
    const std::string probe = folder.dir() + "sc501ger_probe";
    std::filesystem::copy_file(probeProgram(), probe);
    const std::uint16_t port = freeTcpPort();
    writeFile(folder / "sc501ger.ini",
              "[servidor]\r\n porta = \"" + std::to_string(port) + "\"\r\nEndereco=127.0.0.1\r\n");

    Probe server(probe, nullptr, true);
    const auto said = server.said();
    EXPECT_EQ(said, "started\n");
    if (said == "started\n") {
        RawTerminal terminal(port);
        EXPECT_GT(terminal.hello(), 0);
    }
    server.closeInput(); // the probe ends with its input
    EXPECT_EQ(server.exitStatus(), 0);
}

TEST(Sc501gerStart, AQuitSignalEndsTheProgramWithAByeToEveryTerminal) {
    // SIGHUP comes when the session the server was started from ends.
    for (const int signo : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signo));
        LibrarySettings settings(freeTcpPort());
        Probe server(probeProgram(), "until-signal", false);
        ASSERT_EQ(server.said(), "started\n");
        RawTerminal a(settings.port());
        ASSERT_GT(a.hello(), 0);
        RawTerminal b(settings.port(), "127.0.0.2");
        ASSERT_GT(b.hello(), 0);

        server.signal(signo);
        for (auto* terminal : {&a, &b}) {
            const auto lines = terminal->linesUntilClosed();
            ASSERT_TRUE(lines.has_value());
            EXPECT_EQ(*lines, std::vector<std::string>{"BYE restart the server restarts"});
        }
        EXPECT_EQ(server.exitStatus(), 0);
    }
}

TEST_F(Sc501ger, InitializeWhileRunningClosesEveryoneAndARestartHandsOutNewIdentifiers) {
    RawTerminal old(port());
    const auto oldId = old.hello();
    old.send("SCAN 111\n");
    old.sync();

    vInitialize();
    EXPECT_EQ(old.readLine(), "BYE restart the server restarts");
    EXPECT_TRUE(old.closedByServer());
    EXPECT_EQ(table().NumSockConec, 0);
    EXPECT_FALSE(receive().has_value()) << "the queue is emptied";
    EXPECT_THROW(RawTerminal refused(port()), std::runtime_error) << "nothing listens";

    ASSERT_EQ(tc_startserver(), 1);
    RawTerminal fresh(port());
    const auto freshId = fresh.hello();
    EXPECT_GT(freshId, oldId) << "identifiers of before the restart are not handed out again";
    EXPECT_FALSE(bSendProdPrice(oldId, "X", "R$ 1,00"));
}

// ---- The table ----

TEST_F(Sc501ger, EachTerminalHoldsASlotWithItsIdentifierAndAddressUntilItLeaves) {
    RawTerminal a(port(), "127.0.0.1");
    const auto idA = a.hello();
    auto b = std::make_unique<RawTerminal>(port(), "127.0.0.2");
    const auto idB = b->hello();
    RawTerminal c(port(), "127.0.0.3");
    const auto idC = c.hello();
    ASSERT_TRUE(idA > 0 && idB > 0 && idC > 0);
    EXPECT_EQ(std::set<std::int32_t>({idA, idB, idC}).size(), 3u);

    TTABSOCK t = table();
    EXPECT_EQ(t.NumSockConec, 3);
    EXPECT_EQ(t.TabSock[0], idA);
    EXPECT_EQ(t.TabSock[1], idB);
    EXPECT_EQ(t.TabSock[2], idC);
    EXPECT_EQ(t.TabUID[1], ipv4("127.0.0.2"));
    char text[21];
    TCinet_ntoa(t.TabUID[2], text);
    EXPECT_STREQ(text, "127.0.0.3");
    EXPECT_TRUE(std::all_of(t.TabSock + 3, std::end(t.TabSock), [](auto id) { return id == 0; }));

    b.reset(); // the terminal closes its connection
    ASSERT_TRUE(waitUntil([] { return table().NumSockConec == 2; }));
    t = table();
    EXPECT_EQ(t.TabSock[0], idA);
    EXPECT_EQ(t.TabSock[1], 0);
    EXPECT_EQ(t.TabUID[1], 0u);
    EXPECT_EQ(t.TabSock[2], idC);

    RawTerminal d(port(), "127.0.0.4");
    const auto idD = d.hello();
    EXPECT_GT(idD, idC) << "a freed identifier is not reused";
    t = table();
    EXPECT_EQ(t.TabSock[1], idD) << "the lowest free slot is taken";
    EXPECT_EQ(t.TabUID[1], ipv4("127.0.0.4"));
    EXPECT_EQ(t.NumSockConec, 3);
}

TEST_F(Sc501ger, The1025thTerminalIsRefusedAndTheOthersCarryOn) {
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 8192);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ASSERT_GE(limit.rlim_cur, 2 * 1024u + 64) << "too few descriptors for this test";

    // 32 hosts with 32 terminals each: as many as one address may connect.
    const auto host = [](int i) { return "127.0.0." + std::to_string(2 + i / 32); };
    std::vector<std::unique_ptr<RawTerminal>> terminals;
    std::set<std::int32_t> ids;
    for (int i = 0; i < 1024; ++i) {
        terminals.push_back(std::make_unique<RawTerminal>(port(), host(i).c_str()));
        ids.insert(terminals.back()->hello());
    }
    EXPECT_EQ(ids.size(), 1024u);
    EXPECT_FALSE(ids.contains(0));
    TTABSOCK t = table();
    EXPECT_EQ(t.NumSockConec, 1024);
    EXPECT_EQ(std::set<std::int32_t>(std::begin(t.TabSock), std::end(t.TabSock)), ids);

    RawTerminal extra(port(), "127.0.0.200");
    const auto refusal = extra.readLine();
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->rfind("BYE full ", 0), 0u) << *refusal;
    EXPECT_TRUE(extra.closedByServer());
    EXPECT_EQ(table().NumSockConec, 1024);

    // The others are untouched: one of them is still served.
    terminals[700]->send("SCAN 7891000100103\n");
    const auto got = waitReceive();
    ASSERT_TRUE(got.has_value());
    EXPECT_TRUE(bSendProdPrice(got->id, "LEITE", "R$ 4,99"));
    EXPECT_EQ(terminals[700]->readLine(), "FOUND 7891000100103\tLEITE\tR$ 4,99");

    // A slot that frees up takes the next terminal.
    terminals[0].reset();
    ASSERT_TRUE(waitUntil([] { return table().NumSockConec == 1023; }));
    RawTerminal late(port(), host(0).c_str());
    const auto lateId = late.hello();
    EXPECT_GT(lateId, 0);
    EXPECT_EQ(table().TabSock[0], lateId);
}

// ---- Barcodes and answers ----

TEST_F(Sc501ger, BarcodesComeOutInArrivalOrderAcrossTerminalsAndIntact) {
    RawTerminal a(port());
    const auto idA = a.hello();
    RawTerminal b(port());
    const auto idB = b.hello();
    // Windows-1252 letters, an escaped group separator, leading zeros and blanks, a backslash.
    a.send("SCAN 0001\n");
    a.sync();
    b.send("SCAN \xC7"
           "B\\x1D"
           "12\r\n");
    b.sync();
    a.send("scan  x\\\\y \n");
    a.sync();
    b.send("SCAN " + std::string(1023, '9') + "\n");
    b.sync();

    EXPECT_EQ(receive(), (Received{idA, "0001"}));
    EXPECT_EQ(receive(), (Received{idB, "\xC7"
                                        "B\x1D"
                                        "12"}));
    EXPECT_EQ(receive(), (Received{idA, " x\\y "}));
    EXPECT_EQ(receive(), (Received{idB, std::string(1023, '9')}));
    EXPECT_FALSE(receive().has_value());
}

TEST_F(Sc501ger, AnAnswerReachesOnlyTheTerminalThatAsked) {
    RawTerminal a(port());
    const auto idA = a.hello();
    RawTerminal b(port());
    const auto idB = b.hello();
    a.send("SCAN 42\n");
    a.sync();
    b.send("SCAN 42\n");
    b.sync();

    ASSERT_EQ(receive(), (Received{idA, "42"}));
    // Description and price in Windows-1252, a tab inside the description.
    EXPECT_TRUE(bSendProdPrice(idA,
                               "A\xC7\xDA"
                               "CAR\tREFINADO",
                               "R$ 1.234,50"));
    EXPECT_EQ(a.readLine(), "FOUND 42\tA\xC7\xDA"
                            "CAR\\x09REFINADO\tR$ 1.234,50");
    EXPECT_TRUE(b.sync().empty()) << "B got A's answer";

    ASSERT_EQ(receive(), (Received{idB, "42"}));
    EXPECT_EQ(bSendProdNotFound(idB), 1);
    EXPECT_EQ(b.readLine(), "NOTFOUND 42");
    EXPECT_TRUE(a.sync().empty()) << "A got B's answer";
}

TEST_F(Sc501ger, AtMost100BytesOfEachAnswerTextAreRead) {
    RawTerminal a(port());
    const auto id = a.hello();
    a.send("SCAN 1\n");
    ASSERT_TRUE(waitReceive().has_value());
    // Texts without their zero within 101 bytes: only the first 100 are read and sent.
    const std::string longDescription(150, 'D');
    const std::string longPrice(150, '9');
    EXPECT_TRUE(bSendProdPrice(id, longDescription.c_str(), longPrice.c_str()));
    EXPECT_EQ(a.readLine(), "FOUND 1\t" + std::string(100, 'D') + "\t" + std::string(100, '9'));
}

TEST_F(Sc501ger, SendsToATerminalThatLeftReportFailureAndItsWaitingBarcodesGoWithIt) {
    auto a = std::make_unique<RawTerminal>(port());
    const auto id = a->hello();
    a->send("SCAN 1\nSCAN 2\n");
    a->sync();
    ASSERT_EQ(receive(), (Received{id, "1"}));
    a.reset();
    ASSERT_TRUE(waitUntil([] { return table().NumSockConec == 0; }));

    EXPECT_FALSE(bSendProdPrice(id, "ARROZ", "R$ 1,00"));
    EXPECT_EQ(bSendProdNotFound(id), 0);
    EXPECT_EQ(bEnviaVivo(id), 0);
    EXPECT_FALSE(receive().has_value()) << "barcode 2 of a terminal that left";
}

TEST_F(Sc501ger, AFloodingTerminalIsToldBusyAndCannotPushOthersBack) {
    RawTerminal flood(port());
    const auto idFlood = flood.hello();
    RawTerminal other(port());
    const auto idOther = other.hello();
    std::string burst;
    for (int i = 0; i < 20; ++i)
        burst += "SCAN f" + std::to_string(i) + "\n";
    flood.send(burst);
    std::vector<std::string> expectedBusy;
    for (int i = 8; i < 20; ++i)
        expectedBusy.push_back("BUSY f" + std::to_string(i));
    EXPECT_EQ(flood.sync(), expectedBusy);
    other.send("SCAN o\n");
    other.sync();

    // The honest scan comes right after the flooder's first, not after its whole backlog.
    EXPECT_EQ(receive(), (Received{idFlood, "f0"}));
    EXPECT_EQ(receive(), (Received{idOther, "o"}));
    for (int i = 1; i < 8; ++i)
        EXPECT_EQ(receive(), (Received{idFlood, "f" + std::to_string(i)}));
    // Once its barcodes were taken, the terminal may queue again.
    flood.send("SCAN again\n");
    EXPECT_TRUE(flood.sync().empty());
    EXPECT_EQ(receive(), (Received{idFlood, "again"}));
}

TEST_F(Sc501ger, TerminalsTakeTurnsWhateverTheirBacklog) {
    // Three flooders keep 8 scans waiting each; two honest terminals scan once, after them.
    std::vector<std::unique_ptr<RawTerminal>> flooders;
    std::vector<std::int32_t> floodIds;
    for (int f = 0; f < 3; ++f) {
        flooders.push_back(std::make_unique<RawTerminal>(port()));
        floodIds.push_back(flooders.back()->hello());
        std::string burst;
        for (int i = 0; i < 8; ++i)
            burst += "SCAN " + std::to_string(f) + "-" + std::to_string(i) + "\n";
        flooders.back()->send(burst);
        EXPECT_TRUE(flooders.back()->sync().empty());
    }
    RawTerminal honestA(port());
    const auto idA = honestA.hello();
    honestA.send("SCAN a\n");
    honestA.sync();
    RawTerminal honestB(port());
    const auto idB = honestB.hello();
    honestB.send("SCAN b\n");
    honestB.sync();

    // One barcode per terminal and turn, in the order the terminals first had one waiting.
    std::vector<Received> expected;
    for (int i = 0; i < 8; ++i) {
        for (int f = 0; f < 3; ++f)
            expected.push_back({floodIds[f], std::to_string(f) + "-" + std::to_string(i)});
        if (i == 0) {
            expected.push_back({idA, "a"});
            expected.push_back({idB, "b"});
        }
    }
    std::vector<Received> got;
    while (auto r = receive())
        got.push_back(*r);
    EXPECT_EQ(got, expected);

    // A terminal that leaves takes its turn with it; the others keep theirs.
    flooders[0]->send("SCAN 0-x\nSCAN 0-y\n");
    flooders[0]->sync();
    flooders[1]->send("SCAN 1-x\n");
    flooders[1]->sync();
    flooders[0].reset();
    ASSERT_TRUE(waitUntil([] { return table().NumSockConec == 4; }));
    EXPECT_EQ(receive(), (Received{floodIds[1], "1-x"}));
    EXPECT_FALSE(receive().has_value());
}

// ---- Connections per address ----

TEST_F(Sc501ger, OneAddressGets32ConnectionsAndTheNextIsToldWhy) {
    std::vector<std::unique_ptr<RawTerminal>> fromOneHost;
    for (int i = 0; i < 32; ++i) {
        fromOneHost.push_back(std::make_unique<RawTerminal>(port(), "127.0.0.7"));
        ASSERT_GT(fromOneHost.back()->hello(), 0) << "connection " << i + 1;
    }
    RawTerminal over(port(), "127.0.0.7");
    EXPECT_EQ(over.readLine(),
              "BYE address-full 32 terminals are connected from 127.0.0.7; try again later");
    EXPECT_TRUE(over.closedByServer());
    EXPECT_EQ(table().NumSockConec, 32);

    // Another host is not held back, and a connection that ends makes room for its host.
    RawTerminal otherHost(port(), "127.0.0.8");
    EXPECT_GT(otherHost.hello(), 0);
    fromOneHost[5].reset();
    ASSERT_TRUE(waitUntil([] { return table().NumSockConec == 32; }));
    RawTerminal again(port(), "127.0.0.7");
    EXPECT_GT(again.hello(), 0);
    // The ones admitted are served as before.
    fromOneHost[31]->send("SCAN 1\n");
    EXPECT_EQ(waitReceive()->barcode, "1");
}

TEST(Sc501gerAddressLimit, TheLimitComesFromTheSettingsAndARestartResetsTheCount) {
    LibrarySettings settings(freeTcpPort(), "MaxTerminaisPorEndereco=2\r\n");
    vInitialize();
    ASSERT_EQ(tc_startserver(), 1);
    auto first = std::make_unique<RawTerminal>(settings.port(), "127.0.0.9");
    EXPECT_GT(first->hello(), 0);
    RawTerminal second(settings.port(), "127.0.0.9");
    EXPECT_GT(second.hello(), 0);
    RawTerminal third(settings.port(), "127.0.0.9");
    EXPECT_EQ(third.readLine(),
              "BYE address-full 2 terminals are connected from 127.0.0.9; try again later");

    vInitialize(); // closes everyone
    ASSERT_EQ(tc_startserver(), 1);
    std::vector<std::unique_ptr<RawTerminal>> after;
    for (int i = 0; i < 2; ++i) {
        after.push_back(std::make_unique<RawTerminal>(settings.port(), "127.0.0.9"));
        EXPECT_GT(after.back()->hello(), 0) << "the count of before the restart is gone";
    }
    vInitialize();
}

// ---- Misbehaving terminals ----

TEST_F(Sc501ger, AMalformedFrameGetsOneErrorAndTheConnectionGoesOn) {
    const struct {
        std::string frame;
        std::string reply;
    } cases[] = {
        {"FROB 1\n", "ERR unknown-message"},
        {"HELLO 1 2\n", "ERR unknown-message"},
        {"FOUND 1\tA\tB\n", "ERR unknown-message"},
        {"SCAN\n", "ERR empty-barcode"},
        {"SCAN \n", "ERR empty-barcode"},
        {"SCAN a\\qb\n", "ERR bad-escape"},
        {"SCAN a\\x4\n", "ERR bad-escape"},
        {"SCAN ab\\\n", "ERR bad-escape"},
        {std::string("SCAN a\x01"
                     "b\n"),
         "ERR bad-byte"},
        {std::string("SCAN a\0b\n", 9), "ERR bad-byte"},
        {"SCAN a\rb\n", "ERR bad-byte"},
        {"SCAN a\\x00b\n", "ERR nul-in-barcode"},
        {"SCAN " + std::string(1024, '7') + "\n", "ERR barcode-too-long"},
        {"SCAN " + std::string(4000, '7') + "\n", "ERR barcode-too-long"},
    };
    RawTerminal t(port());
    const auto id = t.hello();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame.substr(0, 20));
        t.send(c.frame);
        const auto replies = t.sync();
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].substr(0, c.reply.size() + 1), c.reply + " ");
    }
    EXPECT_FALSE(receive().has_value()) << "nothing malformed is queued, nothing is cut";
    t.send("\n\r\n"); // empty lines are no frames: no reply
    t.send("SCAN ok\n");
    EXPECT_TRUE(t.sync().empty());
    EXPECT_EQ(receive(), (Received{id, "ok"}));
}

TEST_F(Sc501ger, GarbageBytesAreAnsweredWithErrorsAndHarmNoOne) {
    RawTerminal noisy(port());
    const auto idNoisy = noisy.hello();
    RawTerminal calm(port());
    const auto idCalm = calm.hello();

    std::mt19937 random(4711);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random() & 0xFF);
    noisy.send(garbage);
    noisy.send("\nSCAN after\n");
    calm.send("SCAN calm\n");

    // Everything the noisy terminal was told is an error; nothing of the garbage was queued.
    for (const auto& line : noisy.sync())
        EXPECT_EQ(line.rfind("ERR ", 0), 0u) << line;
    calm.sync();
    std::set<std::pair<std::int32_t, std::string>> queued;
    while (auto r = receive())
        queued.emplace(r->id, r->barcode);
    EXPECT_EQ(queued, (std::set<std::pair<std::int32_t, std::string>>{{idNoisy, "after"},
                                                                      {idCalm, "calm"}}));
    EXPECT_EQ(table().NumSockConec, 2);
}

TEST_F(Sc501ger, AFrameOverTheSizeLimitClosesThatConnectionOnly) {
    RawTerminal other(port());
    const auto idOther = other.hello();

    // The largest frame (8192 bytes with its LF) is read whole, and refused for its barcode.
    RawTerminal atLimit(port());
    atLimit.hello();
    atLimit.send("SCAN " + std::string(8192 - 6, '5') + "\n");
    EXPECT_EQ(atLimit.sync().at(0).rfind("ERR barcode-too-long ", 0), 0u);

    // One more byte and the connection is closed.
    RawTerminal overLimit(port());
    overLimit.hello();
    overLimit.send("SCAN " + std::string(8192 - 5, '5'));
    EXPECT_EQ(overLimit.readLine(), "BYE frame-too-long a frame is at most 8192 bytes");
    EXPECT_TRUE(overLimit.closedByServer());

    ASSERT_TRUE(waitUntil([] { return table().NumSockConec == 2; }));
    other.send("SCAN still\n");
    EXPECT_EQ(waitReceive(), (Received{idOther, "still"}));
}

TEST_F(Sc501ger, ATerminalThatStopsReadingIsDroppedAndTheOthersAreServed) {
    // Replies pile up for a terminal that reads none of them; past 256 KiB waiting beside what
    // the sockets hold, the library drops it rather than let its memory grow without end.
    RawTerminal reader(port());
    const auto idReader = reader.hello();
    RawTerminal deaf(port());
    const auto idDeaf = deaf.hello();
    ASSERT_TRUE(waitUntil([] { return table().NumSockConec == 2; }));

    const std::string description(100, 'D');
    const auto gone = [&idDeaf] {
        const TTABSOCK t = table();
        for (int slot = 0; slot < SC501GER_MAX_TERMINALS; ++slot)
            if (t.TabSock[slot] == idDeaf)
                return false;
        return true;
    };
    // Loopback sockets hold a few megabytes; 200 000 replies of about 220 bytes are 44 MB.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    int sent = 0;
    while (sent < 200000 && std::chrono::steady_clock::now() < deadline && !gone()) {
        if (bSendProdPrice(idDeaf, description.c_str(), "R$ 1,00"))
            ++sent;
        else
            std::this_thread::sleep_for(1ms); // its outbox is full: the network thread catches up
    }
    EXPECT_TRUE(waitUntil(gone)) << sent << " replies sent and the terminal is still connected";
    EXPECT_TRUE(deaf.closedByServer(10s));

    reader.send("SCAN still\n");
    EXPECT_EQ(waitReceive(), (Received{idReader, "still"}));
    EXPECT_TRUE(bSendProdPrice(idReader, "ARROZ", "R$ 1,00"));
    EXPECT_EQ(reader.readLine(), "FOUND still\tARROZ\tR$ 1,00");
}

// ---- Keep-alives ----

TEST(Sc501gerKeepAlive, ATerminalThatLeavesKeepAlivesUnansweredLeavesTheTable) {
    LibrarySettings settings(freeTcpPort(), "TempoVivo=1\r\n");
    vInitialize();
    ASSERT_EQ(tc_startserver(), 1);

    RawTerminal answering(settings.port());
    const auto idAnswering = answering.hello();
    RawTerminal silent(settings.port()); // connects and never says a word
    silent.hello();
    RawTerminal stopping(settings.port()); // answers for a while, then no more
    stopping.hello();

    // The server's refresh runs every 100 ms; the answering terminals reply to each PING.
    const auto serve = [&](bool stoppingAnswers) {
        refreshAndKeepAlive();
        for (auto* t : {&answering, &stopping}) {
            if (t == &stopping && !stoppingAnswers)
                continue;
            for (const auto& line : t->pending())
                if (line == "PING")
                    t->send("PONG\n");
        }
        std::this_thread::sleep_for(100ms);
    };
    for (int i = 0; i < 10; ++i)
        serve(true);
    // A second with TempoVivo=1 went by: the silent terminal is gone, the others are listed.
    ASSERT_TRUE(waitUntil([&] {
        serve(true);
        return table().NumSockConec == 2;
    }));
    const auto toldSilent = silent.linesUntilClosed();
    ASSERT_TRUE(toldSilent.has_value());
    EXPECT_EQ(toldSilent->back(), "BYE timeout no answer to a keep-alive within 1 s");

    ASSERT_TRUE(waitUntil([&] {
        serve(false);
        return table().NumSockConec == 1;
    }));
    const TTABSOCK t = table();
    EXPECT_EQ(t.TabSock[0], idAnswering);
    const auto toldStopping = stopping.linesUntilClosed();
    ASSERT_TRUE(toldStopping.has_value());
    EXPECT_EQ(toldStopping->back(), "BYE timeout no answer to a keep-alive within 1 s");
    vInitialize();
}

} // namespace
} // namespace vorn::test
