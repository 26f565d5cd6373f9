#include "RegFileParser.h"
#include "RegFileWriter.h"

#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

namespace fs = std::filesystem;
using namespace tovaloreg;

namespace {

const fs::path kData = TOVALO_REG_TEST_DATA;

std::vector<BYTE> Utf16Bytes(std::u16string_view text) {
    std::vector<BYTE> out;
    for (char16_t c : text) {
        out.push_back(static_cast<BYTE>(c & 0xFF));
        out.push_back(static_cast<BYTE>(c >> 8));
    }
    return out;
}

std::optional<RegFile> ParseFile(const fs::path& file, RegFileParser& parser) {
    return parser.Parse(testsupport::ReadFile(file));
}

const RegFileValue* Find(const RegFileKey& key, std::u16string_view name) {
    for (const auto& value : key.values)
        if (value.name == name)
            return &value;
    return nullptr;
}

void ExpectAllForms(const RegFile& file) {
    ASSERT_EQ(file.keys.size(), 3u);
    const RegFileKey& root = file.keys[0];
    EXPECT_EQ(root.path, u"Software\\NorviSoft\\NorviLuncher");
    EXPECT_FALSE(root.remove);
    EXPECT_EQ(root.line, 5);
    ASSERT_EQ(root.values.size(), 9u);

    EXPECT_EQ(root.values[0].name, u"");
    EXPECT_EQ(root.values[0].type, REG_SZ);
    EXPECT_EQ(root.values[0].data, Utf16Bytes(std::u16string(u"unnamed") + u'\0'));
    const RegFileValue* setKey = Find(root, u"SetKey");
    ASSERT_TRUE(setKey);
    EXPECT_EQ(setKey->type, REG_DWORD);
    EXPECT_EQ(setKey->data, (std::vector<BYTE>{10, 0, 0, 0}));
    const RegFileValue* quoted = Find(root, u"Quote\"Back\\slash");
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->data, Utf16Bytes(std::u16string(u"C:\\Program Files\\\"x\"") + u'\0'));
    const RegFileValue* text = Find(root, u"Grüße");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->data, Utf16Bytes(std::u16string(u"日本語 \U0001F600") + u'\0'));
    const RegFileValue* bin = Find(root, u"Bin");
    ASSERT_TRUE(bin);
    EXPECT_EQ(bin->type, REG_BINARY);
    EXPECT_EQ(bin->data, (std::vector<BYTE>{0, 1, 0xFE, 0xFF}));
    const RegFileValue* multi = Find(root, u"Multi");
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->type, REG_MULTI_SZ);
    EXPECT_EQ(multi->data, (std::vector<BYTE>{0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0}));
    EXPECT_EQ(multi->line, 12);
    const RegFileValue* odd = Find(root, u"Odd");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->type, 0x12345678u);
    EXPECT_TRUE(odd->data.empty());
    const RegFileValue* gone = Find(root, u"Gone");
    ASSERT_TRUE(gone);
    EXPECT_TRUE(gone->remove);

    EXPECT_TRUE(file.keys[1].remove);
    EXPECT_EQ(file.keys[1].path, u"Software\\Old");
    EXPECT_EQ(file.keys[2].path, u"Software\\NorviSoft\\NorviLuncher\\QL\\QL0");
    ASSERT_EQ(file.keys[2].values.size(), 1u);
    EXPECT_EQ(file.keys[2].values[0].data,
              Utf16Bytes(std::u16string(u"\\Windows\\calc.exe") + u'\0'));
}

TEST(RegFileParserTest, ReadsEveryFormInEachEncoding) {
    for (auto name : {"all-forms.reg", "all-forms-bom.reg", "all-forms-utf16.reg"}) {
        SCOPED_TRACE(name);
        RegFileParser parser;
        auto file = ParseFile(kData / "good" / name, parser);
        ASSERT_TRUE(file) << parser.ErrorLine() << ": " << parser.Error();
        ExpectAllForms(*file);
    }
}

TEST(RegFileParserTest, ReadsRegedit4WithSingleByteText) {
    RegFileParser parser;
    auto file = ParseFile(kData / "good" / "regedit4.reg", parser);
    ASSERT_TRUE(file) << parser.Error();
    ASSERT_EQ(file->keys.size(), 1u);
    const RegFileKey& key = file->keys[0];
    ASSERT_EQ(key.values.size(), 3u);
    EXPECT_EQ(key.values[0].data, Utf16Bytes(std::u16string(u"café") + u'\0'));
    // REGEDIT4 text types come in single bytes and are stored as UTF-16.
    EXPECT_EQ(key.values[1].type, REG_EXPAND_SZ);
    EXPECT_EQ(key.values[1].data, Utf16Bytes(std::u16string(u"%A%") + u'\0'));
    EXPECT_EQ(key.values[2].data, (std::vector<BYTE>{3, 0, 0, 0}));
}

// Each malformed file with the line its error is reported on.
const std::vector<std::pair<const char*, int>> kMalformed = {
    {"bad-header.reg", 1},          {"dword-too-long.reg", 5},
    {"dword-not-hex.reg", 4},       {"outside-hkcu.reg", 6},
    {"missing-bracket.reg", 3},     {"value-before-key.reg", 3},
    {"unterminated-string.reg", 4}, {"bad-escape.reg", 4},
    {"bad-hex-byte.reg", 4},        {"hex-type-too-long.reg", 4},
    {"junk-after-string.reg", 4},   {"value-under-deleted-key.reg", 4},
    {"delete-root.reg", 3},         {"empty-key-name.reg", 3},
    {"name-too-long.reg", 4},       {"stray-line.reg", 4},
    {"no-equals.reg", 4},           {"unknown-data.reg", 4},
    {"odd-utf16.reg", 0},           {"unpaired-surrogate-utf16.reg", 4},
    {"utf16-big-endian.reg", 0},    {"not-utf8.reg", 0},
};

TEST(RegFileParserTest, ReportsEachErrorWithItsLine) {
    for (const auto& [name, line] : kMalformed) {
        SCOPED_TRACE(name);
        RegFileParser parser;
        EXPECT_FALSE(ParseFile(kData / "malformed" / name, parser));
        EXPECT_EQ(parser.ErrorLine(), line) << parser.Error();
        EXPECT_FALSE(parser.Error().empty());
    }
}

TEST(RegFileParserTest, OutsideKeyAndLongDwordSayWhy) {
    RegFileParser parser;
    EXPECT_FALSE(ParseFile(kData / "malformed" / "outside-hkcu.reg", parser));
    EXPECT_NE(parser.Error().find("outside HKEY_CURRENT_USER"), std::string::npos);
    EXPECT_FALSE(ParseFile(kData / "malformed" / "dword-too-long.reg", parser));
    EXPECT_NE(parser.Error().find("more than 8 hex digits"), std::string::npos);
}

TEST(RegFileWriterTest, FormatsEachTypeAsRegeditDoes) {
    RegFileWriter writer;
    EXPECT_EQ(writer.FormatValue(u"SetKey", REG_DWORD, std::vector<BYTE>{10, 0, 0, 0}),
              u"\"SetKey\"=dword:0000000a");
    EXPECT_EQ(writer.FormatValue(u"", REG_SZ, Utf16Bytes(std::u16string(u"a\\\"b") + u'\0')),
              u"@=\"a\\\\\\\"b\"");
    // Text that the quoted form cannot carry exactly goes as hex(1).
    EXPECT_EQ(writer.FormatValue(u"N", REG_SZ, Utf16Bytes(u"ab")), u"\"N\"=hex(1):61,00,62,00");
    EXPECT_EQ(writer.FormatValue(u"N", REG_SZ, Utf16Bytes(std::u16string(u"a\nb") + u'\0')),
              u"\"N\"=hex(1):61,00,0a,00,62,00,00,00");
    EXPECT_EQ(writer.FormatValue(u"N", REG_DWORD, std::vector<BYTE>{1, 2, 3}),
              u"\"N\"=hex(4):01,02,03");
    EXPECT_EQ(writer.FormatValue(u"N", REG_BINARY, {}), u"\"N\"=hex:");
    EXPECT_EQ(writer.FormatValue(u"N", 0x12345678, std::vector<BYTE>{0xAB}),
              u"\"N\"=hex(12345678):ab");
    EXPECT_EQ(writer.FormatValue(u"N", REG_NONE, std::vector<BYTE>{0}), u"\"N\"=hex(0):00");

    std::vector<BYTE> many(100, 0x5A);
    std::u16string text = writer.FormatValue(u"Bin", REG_BINARY, many);
    std::size_t start = 0;
    int lines = 0;
    std::size_t bytes = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(u'\n', start);
        std::u16string line = text.substr(start, end == std::u16string::npos ? end : end - start);
        EXPECT_LE(line.size(), 80u) << lines;
        if (lines > 0) {
            EXPECT_EQ(line.substr(0, 2), u"  ");
        }
        for (std::size_t i = 0; i + 1 < line.size(); ++i)
            if (line.substr(i, 2) == u"5a")
                ++bytes;
        EXPECT_EQ(line.back() == u'\\', end != std::u16string::npos);
        ++lines;
        if (end == std::u16string::npos)
            break;
        start = end + 1;
    }
    EXPECT_EQ(bytes, 100u);
    EXPECT_GE(lines, 4); // 300 columns of bytes cannot fit in three lines

    // What the writer makes, the parser reads back to the same bytes.
    RegFileParser parser;
    std::u16string file = u"Windows Registry Editor Version 5.00\n\n[HKCU\\X]\n" + text + u"\n";
    std::string utf8(file.begin(), file.end());
    auto parsed = parser.Parse(utf8);
    ASSERT_TRUE(parsed) << parser.ErrorLine() << ": " << parser.Error();
    EXPECT_EQ(parsed->keys.at(0).values.at(0).data, many);
}

} // namespace
