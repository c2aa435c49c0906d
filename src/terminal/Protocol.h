#pragma once

// The wire protocol between the terminal library and the price-check terminals: one text line per
// frame, fields in Windows-1252 with control bytes escaped. docs/terminal-protocol.md is the
// reference; this file only encodes and decodes. Plain C++, no I/O, no threads: the library, the
// terminal simulator, the tests and the fuzzer all share it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace vorn::terminal::protocol {

inline constexpr int kVersion = 1;
// A frame is at most this many bytes, its line end included.
inline constexpr std::size_t kMaxFrame = 8192;
// A barcode is at most this many bytes once unescaped (the program's buffer is 1024 bytes with
// its terminating zero).
inline constexpr std::size_t kMaxBarcode = 1023;
// The description and the price text of an answer are at most this many bytes each.
inline constexpr std::size_t kMaxAnswerText = 100;

enum class Kind {
    Hello,    // server: HELLO <version> <id>
    Scan,     // terminal: SCAN <barcode>
    Found,    // server: FOUND <barcode> TAB <description> TAB <price>
    NotFound, // server: NOTFOUND <barcode>
    Busy,     // server: BUSY <barcode>
    Ping,     // either side: PING
    Pong,     // either side: PONG
    Error,    // server: ERR <reason> [<detail>]
    Bye,      // either side: BYE [<reason> [<detail>]]
};

// One decoded message. Texts hold raw (unescaped) Windows-1252 bytes; only the fields of the
// message's kind are used.
struct Message {
    Kind kind = Kind::Ping;
    std::string barcode;     // Scan, Found, NotFound, Busy
    std::string description; // Found
    std::string price;       // Found
    std::string reason;      // Error, Bye: one word of [a-z0-9-]
    std::string detail;      // Error, Bye: free text for people
    int version = 0;         // Hello
    std::int32_t id = 0;     // Hello

    bool operator==(const Message&) const = default;
};

// Messages of each kind.
Message hello(std::int32_t id);
Message scan(std::string barcode);
Message found(std::string barcode, std::string description, std::string price);
Message notFound(std::string barcode);
Message busy(std::string barcode);
Message ping();
Message pong();
Message error(std::string_view reason, std::string detail);
Message bye(std::string_view reason = {}, std::string detail = {});

// Reasons of ERR and BYE frames.
namespace reason {
inline constexpr std::string_view kFrameTooLong = "frame-too-long";
inline constexpr std::string_view kBadByte = "bad-byte";
inline constexpr std::string_view kBadEscape = "bad-escape";
inline constexpr std::string_view kUnknownMessage = "unknown-message";
inline constexpr std::string_view kBadArguments = "bad-arguments";
inline constexpr std::string_view kEmptyBarcode = "empty-barcode";
inline constexpr std::string_view kBarcodeTooLong = "barcode-too-long";
inline constexpr std::string_view kNulInBarcode = "nul-in-barcode";
inline constexpr std::string_view kTextTooLong = "text-too-long";
inline constexpr std::string_view kFull = "full";
inline constexpr std::string_view kAddressFull = "address-full";
inline constexpr std::string_view kTimeout = "timeout";
inline constexpr std::string_view kRestart = "restart";
inline constexpr std::string_view kOverflow = "overflow";
} // namespace reason

// Why a frame could not be decoded: a reason of the list above and a sentence for people.
struct DecodeError {
    std::string_view reason;
    std::string detail;
    bool operator==(const DecodeError&) const = default;
};

using Decoded = std::variant<Message, DecodeError>;

// Field escaping: "\" becomes "\\", bytes 0x00-0x1F and 0x7F become "\xHH" (upper-case hex);
// every other byte stands for itself.
std::string escape(std::string_view raw);
// The reverse; false (and `out` unspecified) on a lone "\", an unknown escape or bad hex digits.
bool unescape(std::string_view escaped, std::string& out);

// The whole frame of a message, line end included.
std::string encode(const Message& message);

// Decodes one frame given without its line end. Verbs are matched without regard to case.
// Limits on barcodes and answer texts are checked here, so a decoded message always fits the
// library's interface.
Decoded decode(std::string_view frame);

// Splits a byte stream into frames. A frame ends at LF; a CR right before the LF belongs to the
// line end. Empty lines are skipped. Once a frame would exceed the limit the reader reports
// TooLong for good: the connection must be closed.
class FrameReader {
public:
    enum class Status { Frame, NeedMore, TooLong };

    // A smaller limit than the protocol's serves the fuzzer, which reaches it with short inputs.
    explicit FrameReader(std::size_t maxFrame = kMaxFrame) : maxFrame_(maxFrame) {}

    void feed(std::string_view bytes);
    // On Frame, `frame` holds the next frame without its line end.
    Status next(std::string& frame);
    // Bytes received and not yet handed out as frames.
    std::size_t buffered() const { return buffer_.size() - start_; }

private:
    std::size_t maxFrame_;
    std::string buffer_;
    std::size_t start_ = 0;   // first byte not handed out yet
    std::size_t scanned_ = 0; // bytes from start_ known to hold no LF
    bool tooLong_ = false;
};

} // namespace vorn::terminal::protocol
