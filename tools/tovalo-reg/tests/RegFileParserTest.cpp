#include "RegFileParser.h"
#include "RegFileWriter.h"
#include "RegToolFixture.h"

#include <tuple>

using namespace tovaloreg;
using regtooltest::kData;
using regtooltest::Utf16;

namespace {

// A value as read: name, removal, type, bytes and line.
using Row = std::tuple<std::u16string, bool, DWORD, std::vector<BYTE>, int>;

std::vector<Row> Rows(const RegFileKey& key) {
    std::vector<Row> rows;
    for (const auto& v : key.values)
        rows.emplace_back(v.name, v.remove, v.type, v.data, v.line);
    return rows;
}

TEST(RegFileParserTest, ReadsEveryFormInEachEncoding) {
    const std::vector<Row> root = {
        {u"", false, REG_SZ, Utf16(u"unnamed"), 6},
        {u"SetKey", false, REG_DWORD, {10, 0, 0, 0}, 7},
        {u"Quote\"Back\\slash", false, REG_SZ, Utf16(u"C:\\Program Files\\\"x\""), 8},
        {u"Grüße", false, REG_SZ, Utf16(u"日本語 \U0001F600"), 9},
        {u"Bin", false, REG_BINARY, {0, 1, 0xFE, 0xFF}, 10},
        {u"Expand", false, REG_EXPAND_SZ, Utf16(u"%A%"), 11},
        {u"Multi", false, REG_MULTI_SZ, Utf16(std::u16string(u"a\0b\0", 4)), 12},
        {u"Odd", false, 0x12345678, {}, 14},
        {u"Gone", true, 0, {}, 15},
    };
    for (auto name : {"all-forms.reg", "all-forms-bom.reg", "all-forms-utf16.reg"}) {
        SCOPED_TRACE(name);
        RegFileParser parser;
        const auto file = parser.Parse(testsupport::ReadFile(kData / "good" / name));
        ASSERT_TRUE(file) << parser.ErrorLine() << ": " << parser.Error();
        ASSERT_EQ(file->keys.size(), 3u);
        EXPECT_EQ(file->keys[0].path, u"Software\\NorviSoft\\NorviLuncher");
        EXPECT_FALSE(file->keys[0].remove);
        EXPECT_EQ(file->keys[0].line, 5);
        EXPECT_EQ(Rows(file->keys[0]), root);
        EXPECT_TRUE(file->keys[1].remove);
        EXPECT_EQ(file->keys[1].path, u"Software\\Old");
        EXPECT_EQ(file->keys[2].path, u"Software\\NorviSoft\\NorviLuncher\\QL\\QL0");
        EXPECT_EQ(Rows(file->keys[2]), (std::vector<Row>{{u"QLPath", false, REG_SZ,
                                                          Utf16(u"\\Windows\\calc.exe"), 20}}));
    }
}

// REGEDIT4 text comes in single bytes, of text types too, and is stored as UTF-16.
TEST(RegFileParserTest, ReadsRegedit4WithSingleByteText) {
    RegFileParser parser;
    const auto file = parser.Parse(testsupport::ReadFile(kData / "good" / "regedit4.reg"));
    ASSERT_TRUE(file) << parser.Error();
    ASSERT_EQ(file->keys.size(), 1u);
    EXPECT_EQ(Rows(file->keys[0]), (std::vector<Row>{
                                       {u"Name", false, REG_SZ, Utf16(u"café"), 4},
                                       {u"Path", false, REG_EXPAND_SZ, Utf16(u"%A%"), 5},
                                       {u"Count", false, REG_DWORD, {3, 0, 0, 0}, 6},
                                   }));
}

TEST(RegFileWriterTest, FormatsEachTypeAsRegeditDoes) {
    struct Case {
        const char16_t* name;
        DWORD type;
        std::vector<BYTE> data;
        std::u16string text;
    };
    const std::vector<Case> cases = {
        {u"SetKey", REG_DWORD, {10, 0, 0, 0}, u"\"SetKey\"=dword:0000000a"},
        {u"", REG_SZ, Utf16(u"a\\\"b"), u"@=\"a\\\\\\\"b\""},
        // Text that the quoted form cannot carry exactly goes as hex(1).
        {u"N", REG_SZ, Utf16(u"ab", false), u"\"N\"=hex(1):61,00,62,00"},
        {u"N", REG_SZ, Utf16(u"a\nb"), u"\"N\"=hex(1):61,00,0a,00,62,00,00,00"},
        {u"N", REG_DWORD, {1, 2, 3}, u"\"N\"=hex(4):01,02,03"},
        {u"N", REG_BINARY, {}, u"\"N\"=hex:"},
        {u"N", 0x12345678, {0xAB}, u"\"N\"=hex(12345678):ab"},
        {u"N", REG_NONE, {0}, u"\"N\"=hex(0):00"},
    };
    RegFileWriter writer;
    for (const Case& c : cases)
        EXPECT_EQ(writer.FormatValue(c.name, c.type, c.data), c.text);

    // Long data wraps at 80 columns, each line but the last ending in "\" and the next
    // indented by two spaces.
    const std::vector<BYTE> many(100, 0x5A);
    const std::u16string text = writer.FormatValue(u"Bin", REG_BINARY, many);
    int lines = 0;
    for (std::size_t start = 0, end = 0; end != std::u16string::npos; start = end + 1, ++lines) {
        end = text.find(u'\n', start);
        const std::u16string line =
            text.substr(start, end == std::u16string::npos ? end : end - start);
        EXPECT_LE(line.size(), 80u) << lines;
        EXPECT_EQ(line.starts_with(u"  "), lines > 0) << lines;
        EXPECT_EQ(line.ends_with(u'\\'), end != std::u16string::npos) << lines;
    }
    EXPECT_GE(lines, 4); // 300 columns of bytes cannot fit in three lines

    // What the writer makes, the parser reads back to the same bytes.
    RegFileParser parser;
    const std::u16string file =
        u"Windows Registry Editor Version 5.00\n\n[HKCU\\X]\n" + text + u"\n";
    const auto parsed = parser.Parse(std::string(file.begin(), file.end()));
    ASSERT_TRUE(parsed) << parser.ErrorLine() << ": " << parser.Error();
    EXPECT_EQ(parsed->keys.at(0).values.at(0).data, many);
}

} // namespace
