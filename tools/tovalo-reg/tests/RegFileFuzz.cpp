// Fuzz target: any bytes as a registry-editor file. The parser must refuse them or give keys
// and values that the writer's text carries back unchanged: whatever import accepts, export
// writes again as the same file.
#include "RegFileParser.h"
#include "RegFileWriter.h"
#include "RegKeyPath.h"
#include "Utf.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace tovaloreg;

namespace {

std::u16string Write(const RegFile& file) {
    RegFileWriter writer;
    std::u16string text = u"Windows Registry Editor Version 5.00\n\n";
    for (const RegFileKey& key : file.keys) {
        text += (key.remove ? u"[-" : u"[") + FullKeyPath(key.path) + u"]\n";
        for (const RegFileValue& value : key.values)
            text += (value.remove ? QuoteName(value.name) + u"=-"
                                  : writer.FormatValue(value.name, value.type, value.data)) +
                    u"\n";
        text += u"\n";
    }
    return text;
}

bool Same(const RegFile& a, const RegFile& b) {
    if (a.keys.size() != b.keys.size())
        return false;
    for (std::size_t k = 0; k < a.keys.size(); ++k) {
        const RegFileKey& x = a.keys[k];
        const RegFileKey& y = b.keys[k];
        if (x.path != y.path || x.remove != y.remove || x.values.size() != y.values.size())
            return false;
        for (std::size_t v = 0; v < x.values.size(); ++v) {
            const RegFileValue& p = x.values[v];
            const RegFileValue& q = y.values[v];
            if (p.name != q.name || p.remove != q.remove ||
                (!p.remove && (p.type != q.type || p.data != q.data)))
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RegFileParser parser;
    const auto file = parser.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!file) {
        if (parser.Error().empty())
            std::abort();
        return 0;
    }
    const std::string again = ToUtf8(Write(*file));
    RegFileParser reader;
    const auto reread = reader.Parse(again);
    if (!reread || !Same(*file, *reread))
        std::abort();
    return 0;
}
