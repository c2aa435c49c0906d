#include "data/FilterExpression.h"

#include "data/FieldName.h"
#include "platform/Codepage.h"
#include "platform/CodepageCollation.h"

#include <QChar>
#include <array>
#include <cstdlib>
#include <utility>

namespace vorn::data {

namespace {

// ---------------------------------------------------------------------------------------------
// Values met while evaluating.

enum class Kind { Condition, Text, Number, Date, Time, DateTime };

const char* kindName(Kind k) {
    switch (k) {
    case Kind::Condition:
        return "a condition";
    case Kind::Text:
        return "a text";
    case Kind::Number:
        return "a number";
    case Kind::Date:
        return "a date";
    case Kind::Time:
        return "a time";
    case Kind::DateTime:
        return "a date and time";
    }
    return "a value";
}

Kind kindOfField(FieldType t) {
    switch (t) {
    case FieldType::Text:
        return Kind::Text;
    case FieldType::Integer:
    case FieldType::Currency:
    case FieldType::Float:
        return Kind::Number;
    case FieldType::Date:
        return Kind::Date;
    case FieldType::Time:
        return Kind::Time;
    case FieldType::DateTime:
        return Kind::DateTime;
    }
    return Kind::Text;
}

// Three-valued truth of SQL.
enum class Tri : std::uint8_t { False, True, Unknown };

Tri truth(bool b) {
    return b ? Tri::True : Tri::False;
}

// A number: an integer, an exact amount scaled by 10 000 (Currency and short decimal literals),
// or a binary float.
struct Num {
    enum Type : std::uint8_t { Int, Cur, Flt };
    Type type = Int;
    std::int64_t i = 0;
    double d = 0;
};

double asDouble(const Num& n) {
    switch (n.type) {
    case Num::Int:
        return static_cast<double>(n.i);
    case Num::Cur:
        return static_cast<double>(n.i) / static_cast<double>(Currency::kScale);
    case Num::Flt:
        return n.d;
    }
    return n.d;
}

bool numEqual(const Num& a, const Num& b) {
    if (a.type == Num::Flt || b.type == Num::Flt)
        return asDouble(a) == asDouble(b);
    const auto scaled = [](const Num& n) {
        return n.type == Num::Int ? static_cast<__int128>(n.i) * Currency::kScale
                                  : static_cast<__int128>(n.i);
    };
    return scaled(a) == scaled(b);
}

// ---------------------------------------------------------------------------------------------
// LIKE patterns, compiled once: the pieces between the "%" signs, the first anchored at the
// start, the last at the end, the middle ones found leftmost in turn (which is enough, since
// "%" may absorb anything between them).

class LikePattern {
public:
    explicit LikePattern(std::string_view pattern) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t cut = pattern.find('%', start);
            pieces_.push_back(Piece{std::string(pattern.substr(start, cut - start)), false});
            pieces_.back().wild = pieces_.back().bytes.find('_') != std::string::npos;
            if (cut == std::string_view::npos)
                break;
            start = cut + 1;
        }
    }

    bool matches(std::string_view s) const {
        if (pieces_.size() == 1)
            return s.size() == pieces_[0].bytes.size() && matchAt(s, 0, pieces_[0]);
        const Piece& head = pieces_.front();
        const Piece& tail = pieces_.back();
        if (s.size() < head.bytes.size() + tail.bytes.size())
            return false;
        if (!matchAt(s, 0, head) || !matchAt(s, s.size() - tail.bytes.size(), tail))
            return false;
        std::size_t pos = head.bytes.size();
        const std::size_t limit = s.size() - tail.bytes.size();
        for (std::size_t k = 1; k + 1 < pieces_.size(); ++k) {
            const Piece& p = pieces_[k];
            if (p.bytes.empty())
                continue;
            const std::size_t at = find(s.substr(pos, limit - pos), p);
            if (at == std::string_view::npos)
                return false;
            pos += at + p.bytes.size();
        }
        return true;
    }

private:
    struct Piece {
        std::string bytes;
        bool wild; // holds "_"
    };

    static bool matchAt(std::string_view s, std::size_t at, const Piece& p) {
        if (!p.wild)
            return s.compare(at, p.bytes.size(), p.bytes) == 0;
        for (std::size_t k = 0; k < p.bytes.size(); ++k)
            if (p.bytes[k] != '_' && p.bytes[k] != s[at + k])
                return false;
        return true;
    }

    static std::size_t find(std::string_view s, const Piece& p) {
        if (!p.wild)
            return s.find(p.bytes);
        if (s.size() < p.bytes.size())
            return std::string_view::npos;
        for (std::size_t at = 0; at + p.bytes.size() <= s.size(); ++at)
            if (matchAt(s, at, p))
                return at;
        return std::string_view::npos;
    }

    std::vector<Piece> pieces_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Evaluators.

struct FilterExpression::Node {
    explicit Node(Kind k) : kind(k) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // Each node answers through the method of its kind; false means null.
    virtual Tri test(const RecordReader&, std::size_t) const { return Tri::Unknown; }
    virtual bool text(const RecordReader&, std::size_t, std::string_view&) const { return false; }
    virtual bool number(const RecordReader&, std::size_t, Num&) const { return false; }
    virtual bool key(const RecordReader&, std::size_t, std::int64_t&) const { return false; }

    Kind kind;
};

namespace {

using Node = FilterExpression::Node;
using NodePtr = std::unique_ptr<Node>;

struct TextField final : Node {
    explicit TextField(int f) : Node(Kind::Text), field(f) {}
    bool text(const RecordReader& r, std::size_t row, std::string_view& out) const override {
        if (r.isNull(field, row))
            return false;
        out = r.text(field, row);
        return true;
    }
    int field;
};

struct NumberField final : Node {
    NumberField(int f, FieldType t) : Node(Kind::Number), field(f), type(t) {}
    bool number(const RecordReader& r, std::size_t row, Num& out) const override {
        if (r.isNull(field, row))
            return false;
        if (type == FieldType::Float) {
            out.type = Num::Flt;
            out.d = r.floating(field, row);
        } else {
            out.type = type == FieldType::Integer ? Num::Int : Num::Cur;
            out.i = r.integer(field, row);
        }
        return true;
    }
    int field;
    FieldType type;
};

struct TemporalField final : Node {
    TemporalField(int f, Kind k) : Node(k), field(f) {}
    bool key(const RecordReader& r, std::size_t row, std::int64_t& out) const override {
        if (r.isNull(field, row))
            return false;
        out = r.integer(field, row);
        return true;
    }
    int field;
};

struct TextLiteral final : Node {
    explicit TextLiteral(std::string v) : Node(Kind::Text), value(std::move(v)) {}
    bool text(const RecordReader&, std::size_t, std::string_view& out) const override {
        out = value;
        return true;
    }
    std::string value;
};

struct NumberLiteral final : Node {
    explicit NumberLiteral(Num v) : Node(Kind::Number), value(v) {}
    bool number(const RecordReader&, std::size_t, Num& out) const override {
        out = value;
        return true;
    }
    Num value;
};

struct Upper final : Node {
    explicit Upper(NodePtr a) : Node(Kind::Text), arg(std::move(a)) {}
    bool text(const RecordReader& r, std::size_t row, std::string_view& out) const override {
        std::string_view in;
        if (!arg->text(r, row, in))
            return false;
        const auto& table = platform::upperAnsiTable();
        scratch.resize(in.size());
        for (std::size_t k = 0; k < in.size(); ++k)
            scratch[k] = static_cast<char>(table[static_cast<unsigned char>(in[k])]);
        out = scratch;
        return true;
    }
    NodePtr arg;
    mutable std::string scratch;
};

struct Compare final : Node {
    Compare(NodePtr l, NodePtr r, bool notEqual)
        : Node(Kind::Condition), left(std::move(l)), right(std::move(r)), negate(notEqual) {}
    Tri test(const RecordReader& r, std::size_t row) const override {
        bool equal = false;
        switch (left->kind) {
        case Kind::Text: {
            std::string_view a, b;
            if (!left->text(r, row, a) || !right->text(r, row, b))
                return Tri::Unknown;
            equal = a == b;
            break;
        }
        case Kind::Number: {
            Num a, b;
            if (!left->number(r, row, a) || !right->number(r, row, b))
                return Tri::Unknown;
            equal = numEqual(a, b);
            break;
        }
        default: {
            std::int64_t a = 0, b = 0;
            if (!left->key(r, row, a) || !right->key(r, row, b))
                return Tri::Unknown;
            equal = a == b;
            break;
        }
        }
        return truth(equal != negate);
    }
    NodePtr left, right;
    bool negate;
};

struct Like final : Node {
    Like(NodePtr l, NodePtr r, bool notLike)
        : Node(Kind::Condition), left(std::move(l)), negate(notLike) {
        if (auto* lit = dynamic_cast<TextLiteral*>(r.get()))
            fixed = std::make_unique<LikePattern>(lit->value);
        else
            right = std::move(r);
    }
    Tri test(const RecordReader& r, std::size_t row) const override {
        std::string_view s;
        if (!left->text(r, row, s))
            return Tri::Unknown;
        if (fixed)
            return truth(fixed->matches(s) != negate);
        std::string_view p;
        if (!right->text(r, row, p))
            return Tri::Unknown;
        return truth(LikePattern(p).matches(s) != negate);
    }
    NodePtr left, right;
    std::unique_ptr<LikePattern> fixed;
    bool negate;
};

struct And final : Node {
    And(NodePtr l, NodePtr r) : Node(Kind::Condition), left(std::move(l)), right(std::move(r)) {}
    Tri test(const RecordReader& r, std::size_t row) const override {
        const Tri a = left->test(r, row);
        if (a == Tri::False)
            return Tri::False;
        const Tri b = right->test(r, row);
        if (b == Tri::False)
            return Tri::False;
        return a == Tri::True && b == Tri::True ? Tri::True : Tri::Unknown;
    }
    NodePtr left, right;
};

struct Or final : Node {
    Or(NodePtr l, NodePtr r) : Node(Kind::Condition), left(std::move(l)), right(std::move(r)) {}
    Tri test(const RecordReader& r, std::size_t row) const override {
        const Tri a = left->test(r, row);
        if (a == Tri::True)
            return Tri::True;
        const Tri b = right->test(r, row);
        if (b == Tri::True)
            return Tri::True;
        return a == Tri::False && b == Tri::False ? Tri::False : Tri::Unknown;
    }
    NodePtr left, right;
};

struct Not final : Node {
    explicit Not(NodePtr a) : Node(Kind::Condition), arg(std::move(a)) {}
    Tri test(const RecordReader& r, std::size_t row) const override {
        switch (arg->test(r, row)) {
        case Tri::True:
            return Tri::False;
        case Tri::False:
            return Tri::True;
        case Tri::Unknown:
            break;
        }
        return Tri::Unknown;
    }
    NodePtr arg;
};

// ---------------------------------------------------------------------------------------------
// Tokens.

struct Token {
    enum Type { End, Name, String, Number, Open, Close, Equal, NotEqual };
    Type type = End;
    std::size_t pos = 0;  // 1-based
    std::string_view raw; // as written
    std::string value;    // String: the text without quotes; Name: upper-cased
};

bool isNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '$';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string describe(const Token& t) {
    if (t.type == Token::End)
        return "the end of the expression";
    return "'" + platform::ansiToUtf8(t.raw) + "'";
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    std::size_t k = 0;
    while (k < s.size()) {
        const char c = s[k];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++k;
            continue;
        }
        Token t;
        t.pos = k + 1;
        const std::size_t start = k;
        if (c == '(') {
            t.type = Token::Open;
            ++k;
        } else if (c == ')') {
            t.type = Token::Close;
            ++k;
        } else if (c == '=') {
            t.type = Token::Equal;
            ++k;
        } else if (c == '<' && k + 1 < s.size() && s[k + 1] == '>') {
            t.type = Token::NotEqual;
            k += 2;
        } else if (c == '\'') {
            t.type = Token::String;
            ++k;
            for (;;) {
                if (k >= s.size())
                    throw FilterError("text literal is not closed: a quote is missing", t.pos);
                if (s[k] == '\'') {
                    if (k + 1 < s.size() && s[k + 1] == '\'') {
                        t.value += '\'';
                        k += 2;
                        continue;
                    }
                    ++k;
                    break;
                }
                t.value += s[k++];
            }
        } else if (isDigit(c) || (c == '-' && k + 1 < s.size() && isDigit(s[k + 1]))) {
            t.type = Token::Number;
            ++k;
            while (k < s.size() && isDigit(s[k]))
                ++k;
            if (k < s.size() && s[k] == '.') {
                ++k;
                if (k >= s.size() || !isDigit(s[k]))
                    throw FilterError("a digit must follow the decimal point", k + 1);
                while (k < s.size() && isDigit(s[k]))
                    ++k;
            }
            if (k < s.size() && isNameChar(s[k]))
                throw FilterError(
                    "unexpected '" + platform::ansiToUtf8(s.substr(k, 1)) + "' in a number", k + 1);
        } else if (isNameStart(c)) {
            t.type = Token::Name;
            while (k < s.size() && isNameChar(s[k]))
                ++k;
            t.value = asciiUpper(s.substr(start, k - start));
        } else {
            throw FilterError("unexpected character '" + platform::ansiToUtf8(s.substr(k, 1)) + "'",
                              t.pos);
        }
        t.raw = s.substr(start, k - start);
        out.push_back(std::move(t));
    }
    Token end;
    end.pos = s.size() + 1;
    out.push_back(end);
    return out;
}

// A decimal literal as an exact number when it fits, else as a float.
Num parseNumber(std::string_view raw) {
    bool negative = false;
    if (!raw.empty() && raw.front() == '-') {
        negative = true;
        raw.remove_prefix(1);
    }
    std::string_view whole = raw, fraction;
    if (const auto dot = raw.find('.'); dot != std::string_view::npos) {
        whole = raw.substr(0, dot);
        fraction = raw.substr(dot + 1);
    }
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    Num n;
    if (fraction.size() <= 4) {
        __int128 v = 0;
        bool fits = true;
        for (char c : whole) {
            v = v * 10 + (c - '0');
            if (v > INT64_MAX) {
                fits = false;
                break;
            }
        }
        if (fits) {
            if (fraction.empty()) {
                n.type = Num::Int;
                n.i = static_cast<std::int64_t>(negative ? -v : v);
                return n;
            }
            for (std::size_t k = 0; k < 4; ++k)
                v = v * 10 + (k < fraction.size() ? fraction[k] - '0' : 0);
            if (v <= INT64_MAX) {
                n.type = Num::Cur;
                n.i = static_cast<std::int64_t>(negative ? -v : v);
                return n;
            }
        }
    }
    n.type = Num::Flt;
    const std::string text((negative ? "-" : "") + std::string(raw));
    n.d = std::strtod(text.c_str(), nullptr);
    return n;
}

class Parser {
public:
    Parser(std::string_view text, const std::vector<FieldDef>& fields)
        : tokens_(tokenize(text)), fields_(fields) {}

    NodePtr parse() {
        if (peek().type == Token::End)
            return nullptr;
        const std::size_t start = peek().pos;
        NodePtr n = parseOr();
        if (peek().type == Token::Close)
            fail("')' has no matching '('", peek());
        if (peek().type != Token::End)
            fail("expected AND, OR or the end of the expression, found " + describe(peek()),
                 peek());
        requireCondition(*n, start, "the expression");
        return n;
    }

private:
    [[noreturn]] static void fail(const std::string& what, const Token& at) {
        throw FilterError(what, at.pos);
    }
    static void requireCondition(const Node& n, std::size_t pos, const std::string& where) {
        if (n.kind != Kind::Condition)
            throw FilterError(where + " must be a condition, found " + kindName(n.kind), pos);
    }

    const Token& peek(std::size_t ahead = 0) const {
        return tokens_[std::min(next_ + ahead, tokens_.size() - 1)];
    }
    const Token& take() {
        const Token& t = tokens_[next_];
        if (next_ + 1 < tokens_.size())
            ++next_;
        return t;
    }
    bool isKeyword(const Token& t, std::string_view word) const {
        return t.type == Token::Name && t.value == word;
    }

    NodePtr parseOr() {
        const std::size_t leftPos = peek().pos;
        NodePtr left = parseAnd();
        while (isKeyword(peek(), "OR")) {
            requireCondition(*left, leftPos, "the left side of OR");
            take();
            const std::size_t rightPos = peek().pos;
            NodePtr right = parseAnd();
            requireCondition(*right, rightPos, "the right side of OR");
            left = std::make_unique<Or>(std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr parseAnd() {
        const std::size_t leftPos = peek().pos;
        NodePtr left = parseNot();
        while (isKeyword(peek(), "AND")) {
            requireCondition(*left, leftPos, "the left side of AND");
            take();
            const std::size_t rightPos = peek().pos;
            NodePtr right = parseNot();
            requireCondition(*right, rightPos, "the right side of AND");
            left = std::make_unique<And>(std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr parseNot() {
        if (isKeyword(peek(), "NOT")) {
            take();
            const std::size_t pos = peek().pos;
            NodePtr arg = parseNot();
            requireCondition(*arg, pos, "the operand of NOT");
            return std::make_unique<Not>(std::move(arg));
        }
        return parseComparison();
    }

    NodePtr parseComparison() {
        NodePtr left = parseOperand();
        const Token& op = peek();
        const bool notLike = isKeyword(op, "NOT") && isKeyword(peek(1), "LIKE");
        if (op.type == Token::Equal || op.type == Token::NotEqual) {
            take();
            NodePtr right = parseOperand();
            const std::string name = op.type == Token::Equal ? "'='" : "'<>'";
            if (left->kind == Kind::Condition || right->kind == Kind::Condition)
                fail(name + " compares values, not conditions", op);
            if (left->kind != right->kind)
                fail(name + " cannot compare " + kindName(left->kind) + " with " +
                         kindName(right->kind),
                     op);
            return std::make_unique<Compare>(std::move(left), std::move(right),
                                             op.type == Token::NotEqual);
        }
        if (isKeyword(op, "LIKE") || notLike) {
            const Token& at = op;
            take();
            if (notLike)
                take();
            NodePtr right = parseOperand();
            if (left->kind != Kind::Text || right->kind != Kind::Text)
                fail(std::string("LIKE needs a text on both sides, found ") + kindName(left->kind) +
                         " and " + kindName(right->kind),
                     at);
            return std::make_unique<Like>(std::move(left), std::move(right), notLike);
        }
        return left;
    }

    NodePtr parseOperand() {
        const Token& t = peek();
        switch (t.type) {
        case Token::Open: {
            take();
            NodePtr inner = parseOr();
            if (peek().type != Token::Close)
                fail("expected ')' to close the '(' at position " + std::to_string(t.pos) +
                         ", found " + describe(peek()),
                     peek());
            take();
            return inner;
        }
        case Token::String:
            take();
            return std::make_unique<TextLiteral>(t.value);
        case Token::Number:
            take();
            return std::make_unique<NumberLiteral>(parseNumber(t.raw));
        case Token::Name:
            return parseName();
        default:
            fail("expected a field, a text, a number or '(', found " + describe(t), t);
        }
    }

    NodePtr parseName() {
        const Token& t = take();
        for (const char* word : {"AND", "OR", "NOT", "LIKE"})
            if (t.value == word)
                fail("expected a field, a text, a number or '(', found " + describe(t), t);
        if (peek().type == Token::Open) {
            if (t.value != "UPPER")
                fail("unknown function " + describe(t), t);
            const Token& open = take();
            const std::size_t argPos = peek().pos;
            NodePtr arg = parseOr();
            if (peek().type != Token::Close)
                fail("expected ')' to close the '(' at position " + std::to_string(open.pos) +
                         ", found " + describe(peek()),
                     peek());
            take();
            if (arg->kind != Kind::Text)
                throw FilterError(std::string("UPPER needs a text, found ") + kindName(arg->kind),
                                  argPos);
            return std::make_unique<Upper>(std::move(arg));
        }
        if (t.value == "UPPER")
            fail("expected '(' after UPPER, found " + describe(peek()), peek());
        if (const int index = findField(fields_, t.value); index >= 0) {
            const FieldType type = fields_[static_cast<std::size_t>(index)].type;
            switch (kindOfField(type)) {
            case Kind::Text:
                return std::make_unique<TextField>(index);
            case Kind::Number:
                return std::make_unique<NumberField>(index, type);
            default:
                return std::make_unique<TemporalField>(index, kindOfField(type));
            }
        }
        fail("unknown field " + describe(t), t);
    }

    std::vector<Token> tokens_;
    std::size_t next_ = 0;
    const std::vector<FieldDef>& fields_;
};

} // namespace

// ---------------------------------------------------------------------------------------------

FilterError::FilterError(const std::string& what, std::size_t position)
    : DataError("Filter expression, position " + std::to_string(position) + ": " + what,
                ErrorCategory::Statement),
      position_(position) {}

FilterExpression::FilterExpression() = default;
FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

FilterExpression FilterExpression::compile(std::string_view text,
                                           const std::vector<FieldDef>& fields) {
    FilterExpression e;
    e.root_ = Parser(text, fields).parse();
    return e;
}

bool FilterExpression::matches(const RecordReader& reader, std::size_t row) const {
    return !root_ || root_->test(reader, row) == Tri::True;
}

std::string quoteFilterLiteral(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += '\'';
    return out;
}

} // namespace vorn::data
