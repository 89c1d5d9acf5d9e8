#include "prefs/json_document.h"

#include <exception>
#include <memory>
#include <new>
#include <vector>

#include "runtime/text.h"

namespace quillet {

namespace {
std::vector<std::unique_ptr<JsonValue>>& Documents() {
    static std::vector<std::unique_ptr<JsonValue>> documents;
    return documents;
}
}  // namespace

JsonError& MutableJsonError() {
    static JsonError error;
    return error;
}

const JsonError& LastJsonError() { return MutableJsonError(); }

bool StoreJson(int number, std::unique_ptr<JsonValue> root) {
    if (number < 0 || !root) return false;
    auto& documents = Documents();
    try {
        if (static_cast<size_t>(number) >= documents.size()) documents.resize(number + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    documents[number] = std::move(root);
    return true;
}

bool CreateJson(int number) {
    std::unique_ptr<JsonValue> root(new (std::nothrow) JsonValue());
    return root && StoreJson(number, std::move(root));
}

JsonValue* JsonRoot(int number) {
    auto& documents = Documents();
    if (number < 0 || static_cast<size_t>(number) >= documents.size()) return nullptr;
    return documents[number].get();
}

void FreeJson(int number) {
    auto& documents = Documents();
    if (number < 0 || static_cast<size_t>(number) >= documents.size()) return;
    documents[number].reset();
}

void FreeAllJson() {
    for (auto& document : Documents()) document.reset();
}

bool LoadJsonFile(int number, const std::u16string& fileName, FileOps& ops, size_t limit) {
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
    return ParseJson(number, text);
}

}  // namespace quillet
