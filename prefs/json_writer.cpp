#include "prefs/json_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "runtime/text.h"

namespace quillet {

namespace {

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

class Writer {
  public:
    Writer(const JsonSink& sink, bool pretty) : sink_(sink), pretty_(pretty) {}

    bool Value(JsonValue& value, int indent) {
        switch (value.kind) {
            case JsonKind::Null:
                return Ascii("null");
            case JsonKind::String:
                return String(value.text);
            case JsonKind::Number:
                return Number(value);
            case JsonKind::Boolean:
                return Ascii(value.payload.bits != 0 ? "true" : "false");
            case JsonKind::Array:
                return Array(value, indent);
            case JsonKind::Object:
                return Object(value, indent);
        }
        return false;
    }

    bool QuotedString(std::u16string_view text) { return String(text); }

    bool OrderedObject(std::span<JsonMember> members, int indent) {
        return Members(
            [&](auto&& visit) {
                for (JsonMember& member : members) visit(member);
            },
            indent);
    }

  private:
    bool Put(uint32_t codePoint) { return sink_(codePoint); }

    bool Ascii(std::string_view text) {
        for (char c : text)
            if (!Put(static_cast<unsigned char>(c))) return false;
        return true;
    }

    bool LineBreak(int spaces) {
        if (!Ascii("\r\n")) return false;
        for (int i = 0; i < spaces; ++i)
            if (!Put(u' ')) return false;
        return true;
    }

    bool Escaped(char16_t u) {
        static constexpr char kHex[] = "0123456789abcdef";
        const char text[] = {
            '\\', 'u', kHex[u >> 12], kHex[(u >> 8) & 15], kHex[(u >> 4) & 15], kHex[u & 15]};
        return Ascii(std::string_view(text, sizeof text));
    }

    bool String(std::u16string_view text) {
        if (!Put(u'"')) return false;
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t u = text[i];
            bool ok;
            switch (u) {
                case u'"':
                    ok = Ascii("\\\"");
                    break;
                case u'\\':
                    ok = Ascii("\\\\");
                    break;
                case 8:
                    ok = Ascii("\\b");
                    break;
                case 9:
                    ok = Ascii("\\t");
                    break;
                case 10:
                    ok = Ascii("\\n");
                    break;
                case 12:
                    ok = Ascii("\\f");
                    break;
                case 13:
                    ok = Ascii("\\r");
                    break;
                default:
                    if (u < 32) {
                        ok = Escaped(u);
                    } else if (IsHighSurrogate(u) && i + 1 < text.size() &&
                               IsLowSurrogate(text[i + 1])) {
                        ok = Put(u | static_cast<uint32_t>(text[i + 1]) << 16);
                        ++i;
                    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
                        // A lone surrogate has no UTF-8 form; the escape keeps it intact.
                        ok = Escaped(u);
                    } else {
                        ok = Put(u);
                    }
            }
            if (!ok) return false;
        }
        return Put(u'"');
    }

    bool Number(JsonValue& value) {
        char text[64];
        std::to_chars_result result;
        if (!value.isFloat) {
            result = std::to_chars(text, text + sizeof text, value.payload.integer);
        } else {
            const double real = value.payload.real;
            if (std::isnan(real) || std::isinf(real)) return Ascii("null");
            if (real == 0) {
                value.payload.real = 0.0;  // no "-0" in the file
                return Ascii("0");
            }
            // Same digits as "%.32g", but correctly rounded on every C runtime.
            result = std::to_chars(text, text + sizeof text, real, std::chars_format::general, 32);
        }
        return Ascii(std::string_view(text, result.ptr - text));
    }

    bool Array(JsonValue& value, int indent) {
        if (value.elements.empty()) return Ascii("[]");
        if (!Put(u'[')) return false;
        bool first = true;
        for (auto& element : value.elements) {
            if (!first && !Put(u',')) return false;
            first = false;
            if (pretty_ && !LineBreak(indent + 2)) return false;
            if (!Value(*element, indent + 2)) return false;
        }
        if (pretty_ && !LineBreak(indent)) return false;
        return Put(u']');
    }

    bool Object(JsonValue& value, int indent) {
        if (!value.members || value.members->Count() == 0) return Ascii("{}");
        return Members([&](auto&& visit) { value.members->ForEach(visit); }, indent);
    }

    // forEach(visit) hands every member to visit, in the order they are to be written.
    template <class ForEachMember>
    bool Members(ForEachMember forEach, int indent) {
        size_t width = 0, count = 0;
        forEach([&](JsonMember& member) {
            width = std::max(width, member.name.size());
            ++count;
        });
        if (count == 0) return Ascii("{}");
        if (!Put(u'{')) return false;
        if (pretty_ && !LineBreak(indent + 2)) return false;
        bool first = true, ok = true;
        forEach([&](JsonMember& member) {
            if (!ok) return;
            if (!first) ok = Put(u',') && (!pretty_ || LineBreak(indent + 2));
            first = false;
            ok = ok && String(member.name);
            for (size_t pad = member.name.size(); ok && pretty_ && pad < width; ++pad)
                ok = Put(u' ');
            ok = ok && Put(u':') && (!pretty_ || Put(u' '));
            ok = ok && Value(member.value, pretty_ ? indent + 4 : indent);
        });
        if (!ok) return false;
        if (pretty_ && !LineBreak(indent)) return false;
        return Put(u'}');
    }

    const JsonSink& sink_;
    const bool pretty_;
};

// A sink's code point as UTF-8 in `out`, which holds at least 4 bytes; returns the count.
size_t FileBytes(uint32_t codePoint, char* out) {
    const char16_t first = static_cast<char16_t>(codePoint & 0xFFFF);
    if (first < 0x80) {
        out[0] = static_cast<char>(first);
        return 1;
    }
    const char16_t units[2] = {first, static_cast<char16_t>(codePoint >> 16)};
    const size_t count = units[1] != 0 ? 2 : 1;
    const std::string bytes = Utf16ToUtf8(std::u16string_view(units, count));
    std::copy(bytes.begin(), bytes.end(), out);
    return bytes.size();
}

// Counts what a file sink would write.
class SizeSink {
  public:
    bool Put(uint32_t codePoint) {
        char bytes[4];
        size_ += FileBytes(codePoint, bytes);
        return true;
    }
    size_t Size() const { return size_; }

  private:
    size_t size_ = 0;
};

// Buffers UTF-8 output and hands it to the file in loads of at most 4096 bytes.
class FileSink {
  public:
    explicit FileSink(ReplacementFile& file) : file_(file) {}

    bool Put(uint32_t codePoint) {
        if (used_ >= kCapacity - 4 && !Flush()) return false;
        used_ += FileBytes(codePoint, buffer_.data() + used_);
        return true;
    }

    bool Flush() {
        if (used_ == 0) return true;
        const bool ok = file_.Write(buffer_.data(), used_);
        used_ = 0;
        return ok;
    }

  private:
    static constexpr size_t kCapacity = 4096;
    ReplacementFile& file_;
    std::vector<char> buffer_ = std::vector<char>(kCapacity);
    size_t used_ = 0;
};

}  // namespace

bool WriteJson(JsonValue& value, const JsonSink& sink, int indent, uint32_t flags) {
    return Writer(sink, (flags & kJsonPrettyPrint) != 0).Value(value, indent);
}

std::u16string JsonText(JsonValue& value, uint32_t flags) {
    std::u16string text;
    WriteJson(
        value,
        [&](uint32_t codePoint) {
            text += static_cast<char16_t>(codePoint & 0xFFFF);
            if (codePoint >> 16) text += static_cast<char16_t>(codePoint >> 16);
            return true;
        },
        0, flags);
    return text;
}

namespace {

// Hands `write` a sink into a new file that replaces fileName only once all is written.
template <class Write>
bool SaveJsonWith(const std::u16string& fileName, FileOps& ops, Write write) {
    if (fileName.empty()) return false;
    std::unique_ptr<ReplacementFile> file = ops.BeginReplace(fileName);
    if (!file) return false;
    FileSink sink(*file);
    const bool written = write([&](uint32_t codePoint) { return sink.Put(codePoint); });
    return written && sink.Flush() && file->Commit();
}

}  // namespace

bool SaveJsonFile(JsonValue& root, const std::u16string& fileName, uint32_t flags, FileOps& ops) {
    return SaveJsonWith(fileName, ops,
                        [&](const JsonSink& sink) { return WriteJson(root, sink, 0, flags); });
}

bool SaveJsonObject(std::span<JsonMember> members, const std::u16string& fileName, uint32_t flags,
                    FileOps& ops) {
    return SaveJsonWith(fileName, ops, [&](const JsonSink& sink) {
        return Writer(sink, (flags & kJsonPrettyPrint) != 0).OrderedObject(members, 0);
    });
}

size_t JsonObjectFileSize(std::span<JsonMember> members, uint32_t flags) {
    SizeSink size;
    const JsonSink sink = [&](uint32_t codePoint) { return size.Put(codePoint); };
    Writer(sink, (flags & kJsonPrettyPrint) != 0).OrderedObject(members, 0);
    return size.Size();
}

size_t JsonStringFileSize(std::u16string_view text) {
    SizeSink size;
    const JsonSink sink = [&](uint32_t codePoint) { return size.Put(codePoint); };
    Writer(sink, false).QuotedString(text);
    return size.Size();
}

}  // namespace quillet
