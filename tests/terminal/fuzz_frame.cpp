// libFuzzer target for the frame decoder: a byte stream, fed in chunks of a size the input
// chooses, is split into frames under a frame limit the input chooses too (the protocol's own, or
// a small one that short inputs reach), and each frame is decoded. Properties checked:
// - however the stream is chunked, the same frames come out;
// - a frame is never empty, never longer than its limit and never holds its LF;
// - a decoded message encodes to a frame within the limit that decodes to the same message;
// - escaping any bytes and unescaping them gives them back.
// Input: byte 0 chooses the chunk size, byte 1 the limit (below 128: the protocol's 8192 bytes,
// else 2 + byte % 128), the rest is the stream. The seeds in fuzz_seeds/ follow this layout.
// Built with clang (-fsanitize=fuzzer,address,undefined) by tests/terminal/CMakeLists.txt.

#include "terminal/Protocol.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace vorn::terminal::protocol;

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

void checkFrame(const std::string& frame, std::size_t limit) {
    require(!frame.empty(), "empty frame handed out");
    require(frame.size() < limit, "frame over the limit handed out");
    require(frame.find('\n') == std::string::npos, "frame holds its LF");

    std::string back;
    require(unescape(escape(frame), back) && back == frame, "escape round trip");

    const auto decoded = decode(frame);
    const auto* message = std::get_if<Message>(&decoded);
    if (message == nullptr) {
        require(!std::get<DecodeError>(decoded).reason.empty(), "error without a reason");
        return;
    }
    require(message->barcode.size() <= kMaxBarcode, "barcode over the limit decoded");
    require(message->description.size() <= kMaxAnswerText, "description over the limit");
    require(message->price.size() <= kMaxAnswerText, "price over the limit");
    const std::string encoded = encode(*message);
    require(encoded.size() <= kMaxFrame && encoded.back() == '\n', "encoded frame too long");
    const auto again = decode(std::string_view(encoded).substr(0, encoded.size() - 1));
    const auto* same = std::get_if<Message>(&again);
    require(same != nullptr && *same == *message, "encode/decode round trip");
}

// The frames of `input` fed `chunk` bytes at a time; the last element is "<too long>" when the
// reader gave up.
std::vector<std::string> split(std::string_view input, std::size_t chunk, std::size_t limit) {
    FrameReader reader(limit);
    std::vector<std::string> frames;
    std::string frame;
    for (std::size_t pos = 0; pos < input.size(); pos += chunk) {
        reader.feed(input.substr(pos, chunk));
        for (;;) {
            const auto status = reader.next(frame);
            if (status == FrameReader::Status::NeedMore)
                break;
            if (status == FrameReader::Status::TooLong) {
                frames.push_back("<too long>");
                return frames;
            }
            frames.push_back(frame);
        }
    }
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t chunk = 1 + data[0] % 97;
    const std::size_t limit = data[1] < 128 ? kMaxFrame : 2 + data[1] % 128;
    const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);

    const auto chunked = split(input, chunk, limit);
    require(chunked == split(input, input.size() + 1, limit), "chunking changes the frames");
    for (const auto& frame : chunked)
        if (frame != "<too long>")
            checkFrame(frame, limit);
    return 0;
}
