// Recursive-descent parser with one unit of look-ahead over zero-terminated UTF-16 text.
#include "prefs/json_parser.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <limits>
#include <string>

#include "runtime/text.h"

namespace quillet {

namespace {

using namespace json_messages;

bool IsDigit(char16_t u) { return u >= u'0' && u <= u'9'; }
bool IsWhitespace(char16_t u) { return u == 9 || u == 10 || u == 13 || u == 32; }

int HexDigit(char16_t u) {
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// Decimal exponent of the leading significant digit of a JSON number text, so an
// out-of-range conversion can tell overflow from underflow.
long long LeadingExponent(const std::string& number) {
    size_t i = number[0] == '-' ? 1 : 0;
    long long intDigits = 0, lead = std::numeric_limits<long long>::min();
    for (; i < number.size() && IsDigit(number[i]); ++i, ++intDigits)
        if (lead == std::numeric_limits<long long>::min() && number[i] != '0') lead = intDigits;
    long long firstFraction = 0;
    if (i < number.size() && number[i] == '.') {
        for (++i; i < number.size() && IsDigit(number[i]); ++i, ++firstFraction)
            if (lead == std::numeric_limits<long long>::min() && number[i] != '0')
                lead = intDigits + firstFraction;
    }
    long long exponent = 0;
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        const bool negative = i < number.size() && number[i] == '-';
        if (i < number.size() && (number[i] == '-' || number[i] == '+')) ++i;
        for (; i < number.size(); ++i)
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[i] - '0');
        if (negative) exponent = -exponent;
    }
    // Significant digit at index `lead` of the digit string whose point sits after intDigits.
    return intDigits - lead - 1 + exponent;
}

// The number text as a double, correctly rounded; beyond the double range it gives
// infinity (a magnitude too large) or zero (too small), with the text's sign.
double ToDouble(const std::string& number) {
    double result = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), result);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        const bool negative = number[0] == '-';
        const double magnitude =
            LeadingExponent(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        result = negative ? -magnitude : magnitude;
    }
    return result;
}

class Parser {
  public:
    explicit Parser(std::u16string_view text) : text_(text) {}

    bool Run(JsonValue& root) {
        buffer_.reserve(1024);
        ParseValue(SkipWhitespace(false), root, 0);
        if (!failed_ && SkipWhitespace(true) != 0) Fail(kUnexpectedCharacter);
        return !failed_;
    }

    void Fail(const char* message) {
        if (failed_) return;
        failed_ = true;
        error_.message = message;
        error_.line = line_;
        error_.position = position_ == 0 ? 1 : position_;
    }

    const JsonError& Error() const { return error_; }

  private:
    char16_t Read(bool endAllowed) {
        if (failed_) return 0;
        if (hasPushed_) {
            hasPushed_ = false;
            return pushed_;
        }
        if (next_ >= text_.size() || text_[next_] == 0) {
            if (!endAllowed) Fail(kUnexpectedEnd);
            return 0;
        }
        const char16_t u = text_[next_++];
        if (u == 13) {
            ++line_;
            position_ = 0;
        } else if (u == 10) {
            if (!afterCr_) {
                ++line_;
                position_ = 0;
            }
        } else {
            ++position_;
        }
        afterCr_ = u == 13;
        return u;
    }

    void PushBack(char16_t u) {
        pushed_ = u;
        hasPushed_ = true;
    }

    char16_t SkipWhitespace(bool endAllowed) {
        char16_t u;
        do u = Read(endAllowed);
        while (IsWhitespace(u));
        return u;
    }

    void ParseValue(char16_t first, JsonValue& value, int depth) {
        if (failed_) return;
        switch (first) {
            case u'"':
                if (ReadString()) SetJsonString(value, BufferText());
                return;
            case u'[':
                return ParseArray(value, depth);
            case u'{':
                return ParseObject(value, depth);
            case u't':
                if (ReadLiteral(u"rue")) SetJsonBoolean(value, 1);
                return;
            case u'f':
                if (ReadLiteral(u"alse")) SetJsonBoolean(value, 0);
                return;
            case u'n':
                ReadLiteral(u"ull");
                return;
            default:
                if (first == u'-' || IsDigit(first)) return ParseNumber(first, value);
                Fail(kUnexpectedCharacter);
        }
    }

    bool ReadLiteral(const char16_t* rest) {
        for (; *rest; ++rest) {
            if (Read(false) != *rest) {
                Fail(kUnexpectedCharacter);
                return false;
            }
        }
        return true;
    }

    // Appends a run of digits starting at u; returns the unit after it.
    char16_t DigitRun(char16_t u, std::string& number) {
        if (!IsDigit(u)) {
            Fail(kInvalidNumber);
            return 0;
        }
        do {
            number += static_cast<char>(u);
            u = Read(true);
        } while (IsDigit(u));
        return u;
    }

    void ParseNumber(char16_t u, JsonValue& value) {
        std::string& number = number_;
        number.clear();
        bool floating = false;
        if (u == u'-') {
            number += '-';
            u = Read(false);
        }
        u = DigitRun(u, number);
        if (u == u'.') {
            number += '.';
            floating = true;
            u = DigitRun(Read(false), number);
        }
        if (u == u'e' || u == u'E') {
            number += 'e';
            floating = true;
            u = Read(false);
            if (u == u'+' || u == u'-') {
                number += static_cast<char>(u);
                u = Read(false);
            }
            u = DigitRun(u, number);
        }
        if (failed_) return;
        if (u != 0) PushBack(u);
        if (floating) {
            SetJsonFloat(value, ToDouble(number));
            return;
        }
        // Digits beyond 64 bits wrap around modulo 2^64 rather than fail: an integer
        // too long for the file's settings is as good as any other unusable value.
        uint64_t magnitude = 0;
        for (char c : number)
            if (c != '-') magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
        if (number[0] == '-') magnitude = 0 - magnitude;
        SetJsonInteger(value, static_cast<int64_t>(magnitude));
    }

    // Reads after an opening quotation mark up to the closing one into buffer_.
    bool ReadString() {
        buffer_.clear();
        for (;;) {
            char16_t u = Read(false);
            if (failed_) return false;
            if (u == u'"') return true;
            if (u == u'\\') {
                u = Read(false);
                switch (u) {
                    case u'"':
                    case u'\\':
                    case u'/':
                        break;
                    case u'b':
                        u = 8;
                        break;
                    case u'f':
                        u = 12;
                        break;
                    case u'n':
                        u = 10;
                        break;
                    case u'r':
                        u = 13;
                        break;
                    case u't':
                        u = 9;
                        break;
                    case u'u': {
                        unsigned code = 0;
                        for (int i = 0; i < 4; ++i) {
                            const int digit = HexDigit(Read(false));
                            if (digit < 0) {
                                Fail(kInvalidEscape);
                                return false;
                            }
                            code = code * 16 + static_cast<unsigned>(digit);
                        }
                        u = static_cast<char16_t>(code);
                        break;
                    }
                    default:
                        Fail(kInvalidEscape);
                        return false;
                }
            }
            buffer_ += u;
        }
    }

    // Texts are zero-terminated: an escaped 0 ends the text.
    std::u16string_view BufferText() const {
        std::u16string_view text(buffer_);
        return text.substr(0, text.find(u'\0'));
    }

    bool Enter(int depth) {
        if (depth >= kMaxJsonDepth) Fail(kTooDeep);
        return !failed_;
    }

    void ParseArray(JsonValue& value, int depth) {
        if (!Enter(depth)) return;
        SetJsonArray(value);
        char16_t u = SkipWhitespace(false);
        if (u == u']') return;
        for (;;) {
            ParseValue(u, *AddJsonElement(value), depth + 1);
            u = SkipWhitespace(false);
            if (failed_ || u == u']') return;
            if (u != u',') return Fail(kUnexpectedCharacter);
            u = SkipWhitespace(false);
        }
    }

    void ParseObject(JsonValue& value, int depth) {
        if (!Enter(depth)) return;
        SetJsonObject(value);
        char16_t u = SkipWhitespace(false);
        if (u == u'}') return;
        for (;;) {
            if (u != u'"') return Fail(kNameExpected);
            if (!ReadString()) return;
            JsonValue* member = SetJsonMember(value, BufferText());
            if (SkipWhitespace(false) != u':') return Fail(kColonExpected);
            ParseValue(SkipWhitespace(false), *member, depth + 1);
            u = SkipWhitespace(false);
            if (failed_ || u == u'}') return;
            if (u != u',') return Fail(kUnexpectedCharacter);
            u = SkipWhitespace(false);
        }
    }

    std::u16string_view text_;
    size_t next_ = 0;
    char16_t pushed_ = 0;
    bool hasPushed_ = false;
    bool afterCr_ = false;
    int32_t line_ = 1;
    int32_t position_ = 0;
    bool failed_ = false;
    JsonError error_;
    std::u16string buffer_;
    std::string number_;
};

}  // namespace

bool ParseJson(std::u16string_view text, JsonValue& root, JsonError* error) {
    Parser parser(text);
    bool parsed = false;
    try {
        JsonValue value;
        parsed = parser.Run(value);
        if (parsed) root = std::move(value);
    } catch (const std::exception&) {
        // Allocation failures end up here; the partial tree is already released.
        parser.Fail(kOutOfMemory);
    }
    if (error) *error = parser.Error();
    return parsed;
}

bool LoadJsonFile(const std::u16string& fileName, JsonValue& root, FileOps& ops, size_t limit) {
    if (fileName.empty()) return false;
    std::u16string text;
    try {
        std::string bytes;
        if (!ops.ReadAll(fileName, bytes, limit)) return false;
        text = Utf8ToUtf16(bytes);
    } catch (const std::exception&) {
        return false;  // no room for the file's text
    }
    if (text.empty()) return false;
    return ParseJson(text, root);
}

}  // namespace quillet
