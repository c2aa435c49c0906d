// The terminal protocol's frames: escaping, encoding and decoding of every message, limits, and
// the splitting of a byte stream into frames.

#include "terminal/Protocol.h"

#include <gtest/gtest.h>

namespace vorn::terminal::protocol {
namespace {

TEST(ProtocolEscape, EveryByteSurvivesAndNoControlByteIsLeft) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string escaped = escape(all);
    for (char c : escaped)
        EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F);
    std::string back;
    ASSERT_TRUE(unescape(escaped, back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(escape("a\\b\x01\x7F\xC7"), "a\\\\b\\x01\\x7F\xC7");
}

TEST(ProtocolEscape, UnescapeTakesEitherHexCaseAndRefusesEverythingElse) {
    std::string out;
    EXPECT_TRUE(unescape("\\x1d\\x1D", out));
    EXPECT_EQ(out, "\x1D\x1D");
    for (const char* bad : {"\\", "a\\", "\\q", "\\x", "\\x4", "\\xG0", "\\n", "\\X41"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(unescape(bad, out));
    }
}

TEST(ProtocolMessages, EveryMessageDecodesToWhatWasEncoded) {
    // Bytes that need escaping; a zero byte can be echoed but not scanned.
    const std::string awkward = "\xC7\\ \t\r\n\x1Dz";
    const std::string withZero = awkward + std::string(1, '\0');
    const Message cases[] = {
        hello(17),
        hello(2147483647),
        scan("7891000100103"),
        scan(awkward),
        scan(std::string(kMaxBarcode, '9')),
        found("42",
              "A\xC7\xDA"
              "CAR\tREFINADO",
              "R$ 1.234,50"),
        found("", "", ""),
        found(std::string(kMaxBarcode, '\x01'), std::string(kMaxAnswerText, '\\'),
              std::string(kMaxAnswerText, '\x7F')),
        notFound(withZero),
        notFound(""),
        busy("b"),
        ping(),
        pong(),
        error(reason::kBadEscape, "detail with \\ and \t"),
        error(reason::kEmptyBarcode, ""),
        bye(),
        bye(reason::kFull),
        bye(reason::kTimeout, "no answer within 5 s"),
    };
    for (const auto& m : cases) {
        const std::string frame = encode(m);
        SCOPED_TRACE(frame);
        ASSERT_EQ(frame.back(), '\n');
        EXPECT_LE(frame.size(), kMaxFrame);
        const auto decoded = decode(std::string_view(frame).substr(0, frame.size() - 1));
        ASSERT_TRUE(std::holds_alternative<Message>(decoded));
        EXPECT_EQ(std::get<Message>(decoded), m);
    }
}

TEST(ProtocolMessages, FramesAsTypedByHandDecode) {
    const struct {
        const char* frame;
        Message expected;
    } cases[] = {
        {"scan 123", scan("123")},
        {"Scan  1 2 ", scan(" 1 2 ")},
        {"PING anything", ping()},
        {"pong", pong()},
        {"BYE", bye()},
        {"bye restart see you", bye(reason::kRestart, "see you")},
        {"HELLO 1 0017", hello(17)},
        {"FOUND 1\tA\\x09B\t", found("1", "A\tB", "")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame);
        const auto decoded = decode(c.frame);
        ASSERT_TRUE(std::holds_alternative<Message>(decoded));
        EXPECT_EQ(std::get<Message>(decoded), c.expected);
    }
}

TEST(ProtocolMessages, MalformedFramesSayWhatIsWrong) {
    const struct {
        std::string frame;
        std::string_view reason;
    } cases[] = {
        {"", reason::kUnknownMessage},
        {" SCAN 1", reason::kUnknownMessage},
        {"SCANX 1", reason::kUnknownMessage},
        {"SCAN", reason::kEmptyBarcode},
        {"SCAN ", reason::kEmptyBarcode},
        {"SCAN \\x00", reason::kNulInBarcode},
        {"SCAN " + std::string(kMaxBarcode + 1, '1'), reason::kBarcodeTooLong},
        {"SCAN " + std::string(kMaxBarcode, '\\'), reason::kBadEscape},
        {"SCAN a\tb", reason::kBadByte},
        {std::string("SCAN a\0", 7), reason::kBadByte},
        {"SCAN a\x7F", reason::kBadByte},
        {"SCAN\t1", reason::kBadByte},
        {"FOUND 1\t2", reason::kBadArguments},
        {"FOUND 1\t2\t3\t4", reason::kBadArguments},
        {"FOUND 1\t" + std::string(kMaxAnswerText + 1, 'd') + "\tp", reason::kTextTooLong},
        {"FOUND 1\td\t" + std::string(kMaxAnswerText + 1, 'p'), reason::kTextTooLong},
        {"FOUND 1\td\\\tp", reason::kBadEscape},
        {"NOTFOUND " + std::string(kMaxBarcode + 1, '1'), reason::kBarcodeTooLong},
        {"HELLO 1", reason::kBadArguments},
        {"HELLO 1 0", reason::kBadArguments},
        {"HELLO 1 -5", reason::kBadArguments},
        {"HELLO x 5", reason::kBadArguments},
        {"HELLO 1 2147483648", reason::kBadArguments},
        {"ERR", reason::kBadArguments},
        {"ERR Bad", reason::kBadArguments},
        {"BYE ", reason::kBadArguments},
        {"BYE full \\z", reason::kBadEscape},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame.substr(0, 40));
        const auto decoded = decode(c.frame);
        ASSERT_TRUE(std::holds_alternative<DecodeError>(decoded));
        EXPECT_EQ(std::get<DecodeError>(decoded).reason, c.reason);
        EXPECT_FALSE(std::get<DecodeError>(decoded).detail.empty());
    }
}

std::vector<std::string> framesOf(FrameReader& reader) {
    std::vector<std::string> frames;
    std::string frame;
    while (reader.next(frame) == FrameReader::Status::Frame)
        frames.push_back(frame);
    return frames;
}

TEST(ProtocolFrameReader, SplitsAStreamAtLineEndsHoweverItArrives) {
    const std::string stream = "SCAN 1\r\n\nPING\r\n\r\nSCAN 2\rX\nPARTIAL";
    const std::vector<std::string> expected = {"SCAN 1", "PING", "SCAN 2\rX"};

    FrameReader whole;
    whole.feed(stream);
    EXPECT_EQ(framesOf(whole), expected);
    EXPECT_EQ(whole.buffered(), 7u);

    FrameReader byteByByte;
    std::vector<std::string> frames;
    for (char c : stream) {
        byteByByte.feed(std::string_view(&c, 1));
        const auto more = framesOf(byteByByte);
        frames.insert(frames.end(), more.begin(), more.end());
    }
    EXPECT_EQ(frames, expected);
}

TEST(ProtocolFrameReader, AFrameOverTheLimitEndsTheStreamForGood) {
    FrameReader atLimit;
    atLimit.feed(std::string(kMaxFrame - 1, 'a') + "\nSCAN 1\n");
    EXPECT_EQ(framesOf(atLimit).size(), 2u);

    FrameReader crCounts; // the CR of a CR LF counts towards the limit
    crCounts.feed(std::string(kMaxFrame - 1, 'a') + "\r\n");
    std::string frame;
    EXPECT_EQ(crCounts.next(frame), FrameReader::Status::TooLong);

    FrameReader noLineEnd;
    noLineEnd.feed(std::string(kMaxFrame - 1, 'a'));
    EXPECT_EQ(noLineEnd.next(frame), FrameReader::Status::NeedMore);
    noLineEnd.feed("a");
    EXPECT_EQ(noLineEnd.next(frame), FrameReader::Status::TooLong);
    noLineEnd.feed("\nSCAN 1\n");
    EXPECT_EQ(noLineEnd.next(frame), FrameReader::Status::TooLong);
    EXPECT_EQ(noLineEnd.buffered(), 0u) << "nothing more is kept";
}

} // namespace
} // namespace vorn::terminal::protocol
