#include "terminal/Protocol.h"

#include <charconv>
#include <optional>

namespace vorn::terminal::protocol {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (x != b[i])
            return false;
    }
    return true;
}

bool isReasonWord(std::string_view word) {
    if (word.empty())
        return false;
    for (char c : word)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'))
            return false;
    return true;
}

// A decimal number of 1 to 2^31-1, digits only.
bool parsePositive(std::string_view text, std::int32_t& value) {
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value > 0;
}

DecodeError failure(std::string_view reason, std::string detail) {
    return {reason, std::move(detail)};
}

// Unescapes one field and checks its length; returns an error text or nothing.
std::optional<DecodeError> field(std::string_view escaped, std::string& out, std::size_t limit,
                                 std::string_view tooLongReason, const char* what) {
    if (!unescape(escaped, out))
        return failure(reason::kBadEscape, std::string("bad escape in the ") + what);
    if (out.size() > limit)
        return failure(tooLongReason, std::string("the ") + what + " has " +
                                          std::to_string(out.size()) + " bytes, at most " +
                                          std::to_string(limit));
    return std::nullopt;
}

Decoded decodeBarcodeMessage(Kind kind, std::string_view args, bool mustHaveBarcode) {
    Message m;
    m.kind = kind;
    if (auto e = field(args, m.barcode, kMaxBarcode, reason::kBarcodeTooLong, "barcode"))
        return *e;
    if (mustHaveBarcode && m.barcode.empty())
        return failure(reason::kEmptyBarcode, "the barcode is empty");
    if (mustHaveBarcode && m.barcode.find('\0') != std::string::npos)
        return failure(reason::kNulInBarcode, "a barcode cannot hold a zero byte");
    return m;
}

Decoded decodeFound(std::string_view args) {
    const auto tab1 = args.find('\t');
    const auto tab2 = tab1 == std::string_view::npos ? tab1 : args.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos || args.find('\t', tab2 + 1) != std::string_view::npos)
        return failure(reason::kBadArguments, "FOUND takes barcode, description and price");
    Message m;
    m.kind = Kind::Found;
    if (auto e =
            field(args.substr(0, tab1), m.barcode, kMaxBarcode, reason::kBarcodeTooLong, "barcode"))
        return *e;
    if (auto e = field(args.substr(tab1 + 1, tab2 - tab1 - 1), m.description, kMaxAnswerText,
                       reason::kTextTooLong, "description"))
        return *e;
    if (auto e =
            field(args.substr(tab2 + 1), m.price, kMaxAnswerText, reason::kTextTooLong, "price"))
        return *e;
    return m;
}

Decoded decodeHello(std::string_view args) {
    const auto space = args.find(' ');
    std::int32_t version = 0;
    Message m;
    m.kind = Kind::Hello;
    if (space == std::string_view::npos || !parsePositive(args.substr(0, space), version) ||
        !parsePositive(args.substr(space + 1), m.id))
        return failure(reason::kBadArguments, "HELLO takes a version and an identifier");
    m.version = version;
    return m;
}

// ERR <reason> [<detail>] and BYE [<reason> [<detail>]].
Decoded decodeReasoned(Kind kind, std::string_view args, bool hasArgs) {
    Message m;
    m.kind = kind;
    if (!hasArgs && kind == Kind::Bye)
        return m;
    const auto space = args.find(' ');
    const auto word = args.substr(0, space);
    if (!isReasonWord(word))
        return failure(reason::kBadArguments, "the reason must be a word of a-z, 0-9 and -");
    m.reason = std::string(word);
    if (space != std::string_view::npos && !unescape(args.substr(space + 1), m.detail))
        return failure(reason::kBadEscape, "bad escape in the detail");
    return m;
}

} // namespace

Message hello(std::int32_t id) {
    Message m;
    m.kind = Kind::Hello;
    m.version = kVersion;
    m.id = id;
    return m;
}

Message scan(std::string barcode) {
    Message m;
    m.kind = Kind::Scan;
    m.barcode = std::move(barcode);
    return m;
}

Message found(std::string barcode, std::string description, std::string price) {
    Message m;
    m.kind = Kind::Found;
    m.barcode = std::move(barcode);
    m.description = std::move(description);
    m.price = std::move(price);
    return m;
}

Message notFound(std::string barcode) {
    Message m;
    m.kind = Kind::NotFound;
    m.barcode = std::move(barcode);
    return m;
}

Message busy(std::string barcode) {
    Message m;
    m.kind = Kind::Busy;
    m.barcode = std::move(barcode);
    return m;
}

Message ping() {
    return Message{};
}

Message pong() {
    Message m;
    m.kind = Kind::Pong;
    return m;
}

Message error(std::string_view reason, std::string detail) {
    Message m;
    m.kind = Kind::Error;
    m.reason = std::string(reason);
    m.detail = std::move(detail);
    return m;
}

Message bye(std::string_view reason, std::string detail) {
    Message m;
    m.kind = Kind::Bye;
    m.reason = std::string(reason);
    m.detail = std::move(detail);
    return m;
}

std::string escape(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (char ch : raw) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (isControl(c)) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

bool unescape(std::string_view escaped, std::string& out) {
    out.clear();
    out.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 < escaped.size() && escaped[i + 1] == '\\') {
            out += '\\';
            i += 1;
        } else if (i + 3 < escaped.size() && escaped[i + 1] == 'x' &&
                   hexValue(escaped[i + 2]) >= 0 && hexValue(escaped[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(escaped[i + 2]) * 16 + hexValue(escaped[i + 3]));
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

std::string encode(const Message& m) {
    std::string out;
    switch (m.kind) {
    case Kind::Hello:
        out = "HELLO " + std::to_string(m.version) + ' ' + std::to_string(m.id);
        break;
    case Kind::Scan:
        out = "SCAN " + escape(m.barcode);
        break;
    case Kind::Found:
        out = "FOUND " + escape(m.barcode) + '\t' + escape(m.description) + '\t' + escape(m.price);
        break;
    case Kind::NotFound:
        out = "NOTFOUND " + escape(m.barcode);
        break;
    case Kind::Busy:
        out = "BUSY " + escape(m.barcode);
        break;
    case Kind::Ping:
        out = "PING";
        break;
    case Kind::Pong:
        out = "PONG";
        break;
    case Kind::Error:
    case Kind::Bye:
        out = m.kind == Kind::Error ? "ERR" : "BYE";
        if (!m.reason.empty()) {
            out += ' ' + m.reason;
            if (!m.detail.empty())
                out += ' ' + escape(m.detail);
        }
        break;
    }
    out += '\n';
    return out;
}

Decoded decode(std::string_view frame) {
    const auto space = frame.find(' ');
    const auto verb = frame.substr(0, space);
    const bool hasArgs = space != std::string_view::npos;
    const auto args = hasArgs ? frame.substr(space + 1) : std::string_view();

    const bool found = equalsIgnoringCase(verb, "FOUND");
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const auto c = static_cast<unsigned char>(frame[i]);
        if (isControl(c) && !(c == '\t' && found && i > verb.size()))
            return failure(reason::kBadByte, "control byte " + escape(frame.substr(i, 1)) +
                                                 " at position " + std::to_string(i + 1) +
                                                 " must be escaped");
    }

    if (equalsIgnoringCase(verb, "SCAN"))
        return decodeBarcodeMessage(Kind::Scan, args, true);
    if (found)
        return decodeFound(args);
    if (equalsIgnoringCase(verb, "NOTFOUND"))
        return decodeBarcodeMessage(Kind::NotFound, args, false);
    if (equalsIgnoringCase(verb, "BUSY"))
        return decodeBarcodeMessage(Kind::Busy, args, false);
    if (equalsIgnoringCase(verb, "PING"))
        return ping();
    if (equalsIgnoringCase(verb, "PONG"))
        return pong();
    if (equalsIgnoringCase(verb, "HELLO"))
        return decodeHello(args);
    if (equalsIgnoringCase(verb, "ERR")) {
        if (!hasArgs)
            return failure(reason::kBadArguments, "ERR takes a reason");
        return decodeReasoned(Kind::Error, args, hasArgs);
    }
    if (equalsIgnoringCase(verb, "BYE"))
        return decodeReasoned(Kind::Bye, args, hasArgs);
    return failure(reason::kUnknownMessage, "unknown message " + escape(verb.substr(0, 32)));
}

void FrameReader::feed(std::string_view bytes) {
    if (tooLong_)
        return;
    if (start_ > 0 && start_ >= buffer_.size() / 2) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    buffer_.append(bytes);
}

FrameReader::Status FrameReader::next(std::string& frame) {
    while (!tooLong_) {
        const auto lf = buffer_.find('\n', start_ + scanned_);
        if (lf == std::string::npos) {
            scanned_ = buffer_.size() - start_;
            if (scanned_ >= maxFrame_)
                break;
            return Status::NeedMore;
        }
        std::size_t length = lf - start_;
        if (length + 1 > maxFrame_)
            break;
        if (length > 0 && buffer_[lf - 1] == '\r')
            --length;
        frame.assign(buffer_, start_, length);
        start_ = lf + 1;
        scanned_ = 0;
        if (!frame.empty())
            return Status::Frame;
    }
    tooLong_ = true;
    buffer_.clear();
    start_ = scanned_ = 0;
    return Status::TooLong;
}

} // namespace vorn::terminal::protocol
