// The CSV reader and writer, list cells, formula guards and field values, by their tables of
// cases.
#include <gtest/gtest.h>

#include "interop/Csv.h"
#include "interop/FieldValues.h"
#include "interop/ListCell.h"

namespace reelkeep {
namespace {

using Cells = std::vector<std::string>;

std::vector<Cells> CellsOf(const CsvTable& table) {
    std::vector<Cells> rows;
    for (const CsvRecord& record : table.records) rows.push_back(record.cells);
    return rows;
}

TEST(CsvTest, ReadsQuotedCellsWithSeparatorsQuotesAndLineBreaks) {
    const CsvTable table = ReadCsv(
        "Title,Plot,Year\r\n"
        "\"Heat, the movie\",\"He said \"\"no\"\"\r\nand left\",1995\r\n"
        "\r\n"
        "Alien,,1979\n"
        "Last,\"x\"");
    EXPECT_EQ(table.separator, ',');
    EXPECT_EQ(CellsOf(table), (std::vector<Cells>{{"Title", "Plot", "Year"},
                                                   {"Heat, the movie", "He said \"no\"\r\nand left", "1995"},
                                                   {"Alien", "", "1979"},
                                                   {"Last", "x"}}));
    // Lines count from where each record starts; the quoted line break counts too.
    EXPECT_EQ(table.records[1].line, 2u);
    EXPECT_EQ(table.records[2].line, 5u);
    EXPECT_EQ(table.records[3].line, 6u);
    EXPECT_EQ(table.unclosedQuoteLine, 0u);
}

TEST(CsvTest, DropsTheByteOrderMarkAndTakesSemicolonsAsSpreadsheetsWriteThem) {
    const CsvTable table = ReadCsv("\xEF\xBB\xBFTitle;Rating;Plot\n\xC3\x89lan;7,5;\"a;b\"\n");
    EXPECT_EQ(table.separator, ';');
    EXPECT_EQ(CellsOf(table), (std::vector<Cells>{{"Title", "Rating", "Plot"}, {"\xC3\x89lan", "7,5", "a;b"}}));
}

TEST(CsvTest, AQuoteNeverClosedKeepsTheRecordsBeforeIt) {
    const CsvTable table = ReadCsv("Title\nAlien\n\"Never\nclosed\n");
    EXPECT_EQ(CellsOf(table), (std::vector<Cells>{{"Title"}, {"Alien"}}));
    EXPECT_EQ(table.unclosedQuoteLine, 3u);
}

TEST(CsvTest, WrittenCellsReadBackExactly) {
    const Cells cells = {"plain", "with,comma", "with \"quotes\"", "two\r\nlines", " padded ", "", "a;b"};
    std::string line;
    for (const std::string& cell : cells) {
        if (!line.empty()) line += ',';
        AppendCsvCell(line, cell);
    }
    const CsvTable table = ReadCsv("h1,h2,h3,h4,h5,h6,h7\r\n" + line + "\r\n");
    ASSERT_EQ(table.records.size(), 2u);
    EXPECT_EQ(table.records[1].cells, cells);
}

TEST(ListCellTest, ListsComeBackExactlyWhateverTheirEntriesHold) {
    const std::vector<std::vector<std::string>> lists = {
        {},
        {""},
        {"", ""},
        {"Ridley Scott"},
        {"Davis Jr., Sammy", "O'Hara; Maureen"},
        {"line\nbreak", "back\\slash", "carriage\rreturn", "\\n literally"},
        {"trailing", ""},
    };
    for (const auto& list : lists) {
        EXPECT_EQ(SplitListCell(JoinListCell(list)), list) << JoinListCell(list);
    }
    // Spreadsheets may save the line breaks between entries as CRLF.
    EXPECT_EQ(SplitListCell("A\r\nB\rC"), (std::vector<std::string>{"A", "B", "C"}));
}

TEST(ListCellTest, FormulaGuardsComeOffAgainAndOnlyThose) {
    const struct {
        std::string text;
        std::string guarded;
    } cases[] = {
        {"=HYPERLINK(\"x\")", "'=HYPERLINK(\"x\")"},
        {"+1", "'+1"},
        {"-ish", "'-ish"},
        {"@sum", "'@sum"},
        {"'=x", "''=x"},
        {"'Round Midnight", "'Round Midnight"},
        {"Alien", "Alien"},
        {"", ""},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(GuardFormula(entry.text), entry.guarded);
        EXPECT_EQ(UnguardFormula(entry.guarded), entry.text);
    }
}

TEST(FieldValuesTest, NumbersDatesAndRunningTimesInTheirUsualShapes) {
    EXPECT_EQ(ParseInteger(" 1979 "), 1979);
    EXPECT_EQ(ParseInteger("19x"), std::nullopt);
    EXPECT_EQ(ParseDecimal("7.5"), 7.5);
    EXPECT_EQ(ParseDecimal("7,5"), 7.5);
    EXPECT_EQ(ParseDecimal("1,000,5"), std::nullopt);
    EXPECT_EQ(ParseYesNo("Yes"), true);
    EXPECT_EQ(ParseYesNo("0"), false);
    EXPECT_EQ(ParseYesNo("maybe"), std::nullopt);
    for (const auto& [text, minutes] : std::vector<std::pair<std::string, int>>{
             {"117", 117}, {"117 min", 117}, {"1h 57m", 117}, {"1:57", 117}, {"PT1H57M", 117}, {"2h", 120}}) {
        EXPECT_EQ(ParseMinutes(text), minutes) << text;
    }
    EXPECT_EQ(ParseMinutes("long"), std::nullopt);

    for (const float value : {7.5f, 23.976f, 0.1f, 0.0f}) {
        EXPECT_EQ(static_cast<float>(*ParseDecimal(FloatCellText(value))), value);
    }
    const dbDateTime moment{1714566896};  // 2024-05-01T12:34:56Z
    EXPECT_EQ(DateTimeText(moment), "2024-05-01T12:34:56Z");
    EXPECT_EQ(ParseDateTime("2024-05-01T12:34:56Z"), moment);
    EXPECT_EQ(ParseDateTime("2024-05-01"), dbDateTime{1714521600});
    EXPECT_EQ(ParseDateTime("01/05/2024"), std::nullopt);
    EXPECT_EQ(DateTimeText(dbDateTime{0}), "1970-01-01T00:00:00Z");
}

}  // namespace
}  // namespace reelkeep
