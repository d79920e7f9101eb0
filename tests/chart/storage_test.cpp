#include "chart/chartfile.h"
#include "chart/chartimage.h"
#include "chart/chartmessages.h"
#include "chart/chartstream.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "platform/archive.h"
#include "platform/cp1250.h"
#include "platform/fileio.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

std::vector<uint8_t> Stored(const FunctionContainer& chart)
{
    ArchiveWriter writer;
    chart.Store(writer);
    return writer.Bytes();
}

// A chart with something in every part of the stream.
void Fill(FunctionContainer& chart)
{
    chart.BeginEdit();
    chart.SetFunction("sin(x)", 0, true, RGB(1, 2, 3));
    chart.SetCurrent(-1);
    chart.SetFunction("pot\xEAga(x,2)", 2, false, RGB(200, 100, 50));
    chart.SetCurrent(-1);
    chart.SetFunction("1/x", 1, true, RGB(0, 0, 255));
    chart.SetRange(false, false, "-2", "3", "-1", "4");
    chart.CommitEdit();
    chart.ZoomAbout(2);
    chart.ZoomAbout(0.5);
    chart.SetTableVisible(true);
    chart.SetTableWidth(211);
}

bool SameModel(const FunctionContainer& a, const FunctionContainer& b)
{
    return Stored(a) == Stored(b);
}

TEST(Storage, EmptyChartIs531Bytes)
{
    FunctionContainer chart;
    const std::vector<uint8_t> bytes = Stored(chart);
    ASSERT_EQ(bytes.size(), 531u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 11), "\x0AZELTRA 2.0");
    // The record sits byte for byte after the count, the table values last.
    EXPECT_EQ(std::memcmp(bytes.data() + 15, &chart.GetSettings(), 504), 0);
    EXPECT_EQ(bytes[519], 0);   // history length
    EXPECT_EQ(bytes[523], 0);   // table hidden
    EXPECT_EQ(bytes[527], 153); // table width
}

TEST(Storage, FunctionRecordHasColourBeforeOrder)
{
    FunctionContainer chart;
    chart.BeginEdit();
    std::string formula = "x";
    for (int i = 0; i < 149; ++i)
        formula += "+x";
    formula += ' ';
    ASSERT_EQ(formula.size(), 300u);
    chart.SetFunction(formula, 2, true, 0x00332211);
    chart.CommitEdit();
    const std::vector<uint8_t> bytes = Stored(chart);
    EXPECT_EQ(bytes[15], 0xFF);
    EXPECT_EQ(bytes[16], 0x2C);
    EXPECT_EQ(bytes[17], 0x01);
    const std::size_t after = 18 + 300;
    EXPECT_EQ(bytes[after], 0x11); // colour
    EXPECT_EQ(bytes[after + 4], 2); // order
    EXPECT_EQ(bytes[after + 8], 1); // visible
}

TEST(Storage, StoreLoadStoreGivesTheSameBytesAndTheSameCurves)
{
    FunctionContainer original;
    Fill(original);
    // Padding bytes travel unchanged.
    ChartSettings s = original.GetSettings();
    std::memset(s.m_padding466, 0xAB, sizeof s.m_padding466);
    s.m_padding498[5] = 0x5A;
    original.ReplaceSettings(s);
    original.Recalculate(true);
    const std::vector<uint8_t> first = Stored(original);

    FunctionContainer copy;
    copy.ResetToDefaults(); // as a document does before loading
    ArchiveReader reader(first);
    ASSERT_EQ(copy.Load(reader), ChartParse::kComplete);
    EXPECT_EQ(reader.Remaining(), 0u);
    EXPECT_EQ(Stored(copy), first);
    EXPECT_EQ(copy.GetZoomHistory().size(), 8u);
    EXPECT_TRUE(copy.IsTableVisible());
    EXPECT_EQ(copy.GetTableWidth(), 211);

    ASSERT_EQ(copy.GetFunctions().size(), original.GetFunctions().size());
    for (std::size_t i = 0; i < copy.GetFunctions().size(); ++i) {
        const FunctionEntry& a = original.GetFunctions()[i];
        const FunctionEntry& b = copy.GetFunctions()[i];
        EXPECT_EQ(a.m_strFormula, b.m_strFormula);
        if (!a.m_bVisible)
            continue;
        EXPECT_EQ(std::memcmp(a.m_samples.data(), b.m_samples.data(), a.m_samples.size() * 8), 0);
        EXPECT_EQ(a.m_points, b.m_points);
        EXPECT_EQ(a.m_counts, b.m_counts);
    }
}

TEST(Storage, RefusedStreamsLeaveTheModelAsItWas)
{
    FunctionContainer source;
    Fill(source);
    const std::vector<uint8_t> bytes = Stored(source);

    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetFunction("x", 0, true, 0);
    chart.CommitEdit();
    const std::vector<uint8_t> before = Stored(chart);

    // Every truncation is incomplete, for the model and for the network scan.
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        ArchiveReader reader(bytes.data(), n);
        ASSERT_NE(chart.Load(reader), ChartParse::kComplete) << n;
        const ChartScan scan = ScanChart(bytes.data(), n);
        ASSERT_EQ(scan.status, ChartParse::kIncomplete) << n;
    }
    EXPECT_EQ(Stored(chart), before);

    const ChartScan whole = ScanChart(bytes.data(), bytes.size());
    EXPECT_EQ(whole.status, ChartParse::kComplete);
    EXPECT_EQ(whole.size, bytes.size());

    std::vector<uint8_t> other = bytes;
    other[1] = 'X';
    ArchiveReader reader(other);
    EXPECT_EQ(chart.Load(reader), ChartParse::kNotAChart);
    EXPECT_EQ(ScanChart(other.data(), 3).status, ChartParse::kNotAChart);

    std::vector<uint8_t> negative = bytes;
    negative[11] = negative[12] = negative[13] = negative[14] = 0xFF;
    ArchiveReader negativeReader(negative);
    EXPECT_EQ(chart.Load(negativeReader), ChartParse::kMalformed);

    // More functions than the bytes hold: a whole stream is malformed, one
    // still arriving may yet bring them.
    std::vector<uint8_t> many = bytes;
    many[11] = 0x11;
    many[12] = 0x27; // 10001
    many[13] = many[14] = 0;
    ArchiveReader manyReader(many);
    EXPECT_EQ(chart.Load(manyReader), ChartParse::kMalformed);
    EXPECT_EQ(ScanChart(many.data(), many.size()).status, ChartParse::kIncomplete);

    // A count that not even the largest chart could hold is malformed at
    // once, also while the stream arrives.
    std::vector<uint8_t> huge = bytes;
    huge[14] = 0x7F;
    ArchiveReader hugeReader(huge);
    EXPECT_EQ(chart.Load(hugeReader), ChartParse::kMalformed);
    EXPECT_EQ(ScanChart(huge.data(), huge.size()).status, ChartParse::kMalformed);
    EXPECT_EQ(Stored(chart), before);
}

TEST(Storage, TwoChartsInOneStreamAreScannedOneByOne)
{
    FunctionContainer a;
    Fill(a);
    FunctionContainer b;
    std::vector<uint8_t> stream = Stored(a);
    const std::size_t first = stream.size();
    const std::vector<uint8_t> second = Stored(b);
    stream.insert(stream.end(), second.begin(), second.end());
    const ChartScan scan = ScanChart(stream.data(), stream.size());
    ASSERT_EQ(scan.status, ChartParse::kComplete);
    EXPECT_EQ(scan.size, first);
    EXPECT_EQ(ScanChart(stream.data() + first, stream.size() - first).size, second.size());
}

// Corrupted charts are either read as a chart or refused, never a crash.
TEST(Storage, CorruptedChartsNeverCrash)
{
    FunctionContainer source;
    Fill(source);
    const std::vector<uint8_t> bytes = Stored(source);
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::vector<uint8_t> corrupt = bytes;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < flips; ++k)
            corrupt[random() % corrupt.size()] = static_cast<uint8_t>(random());
        if (i % 5 == 0)
            corrupt.resize(random() % corrupt.size());
        FunctionContainer chart;
        const std::vector<uint8_t> before = Stored(chart);
        ArchiveReader reader(corrupt);
        const ChartParse status = chart.Load(reader);
        if (status != ChartParse::kComplete) {
            ASSERT_EQ(Stored(chart), before);
        }
        ScanChart(corrupt.data(), corrupt.size());
    }
}

class ChartFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("osiowiec-files-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string Message(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const FunctionContainerException& e) {
            EXPECT_EQ(e.m_nPosition, -1);
            return Cp1250::ToUtf8(e.m_strMessage);
        }
        return "(no error)";
    }

    std::filesystem::path m_dir;
};

TEST_F(ChartFiles, SaveLoadAndTheirMessages)
{
    FunctionContainer chart;
    Fill(chart);
    const std::string path = (m_dir / "wykres.osw").string();
    SaveChartFile(chart, path);
    FunctionContainer loaded;
    LoadChartFile(loaded, path);
    EXPECT_TRUE(SameModel(chart, loaded));

    const std::string other = (m_dir / "inny.txt").string();
    ASSERT_TRUE(WriteFileAtomically(other, {'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(Message([&] { LoadChartFile(loaded, other); }),
              "'" + other + "' nie jest plikiem programu Osiowiec");

    std::vector<uint8_t> truncated = Stored(chart);
    truncated.resize(100);
    const std::string cut = (m_dir / "ucięty.osw").string();
    ASSERT_TRUE(WriteFileAtomically(cut, truncated));
    EXPECT_EQ(Message([&] { LoadChartFile(loaded, cut); }),
              "Nie udało się odcztać pliku '" + cut + "'");
    EXPECT_EQ(Message([&] { LoadChartFile(loaded, (m_dir / "brak.osw").string()); }),
              "Nie udało się odcztać pliku '" + (m_dir / "brak.osw").string() + "'");

    const std::string nowhere = (m_dir / "brak" / "x.osw").string();
    // Saying why, as the system told.
    EXPECT_EQ(Message([&] { SaveChartFile(chart, nowhere); }),
              "Nie udało się zapisać pliku '" + nowhere + "': folder nie istnieje");
}

// Regression: the writer took any number of functions, the reader stopped at
// 10000, so a saved chart could not be opened.
TEST_F(ChartFiles, WhatIsSavedOpensAgain)
{
    FunctionContainer chart;
    chart.BeginEdit();
    for (int i = 0; i < 10001; ++i) {
        chart.SetCurrent(-1);
        chart.SetFunction(i % 2 ? "x" : "-x", 0, i % 3 != 0, 0);
    }
    chart.CommitEdit();
    const std::string path = (m_dir / "many.osw").string();
    SaveChartFile(chart, path);
    FunctionContainer loaded;
    LoadChartFile(loaded, path);
    EXPECT_TRUE(SameModel(chart, loaded));
    EXPECT_EQ(ReadChartFile(path).size(), Stored(chart).size());

    // A chart whose file the loader would refuse is not written at all: two
    // loads of a chart with a hidden function of 34 MB make one of 68 MB.
    ArchiveWriter large;
    large.WriteString(kChartHeader);
    large.WriteInt32(1);
    large.WriteString(std::string(34000000, 'x'));
    large.WriteInt32(0);
    large.WriteInt32(0);
    large.WriteInt32(0); // hidden
    const ChartSettings settings = chart.GetSettings();
    large.WriteBytes(&settings, sizeof settings);
    for (int32_t value : {0, 0, 153})
        large.WriteInt32(value);
    FunctionContainer doubled;
    for (int i = 0; i < 2; ++i) {
        ArchiveReader reader(large.Bytes());
        ASSERT_EQ(doubled.Load(reader), ChartParse::kComplete);
    }
    EXPECT_EQ(Message([&] { SaveChartFile(doubled, path); }),
              "Nie udało się zapisać pliku '" + path + "'");
    FunctionContainer again;
    EXPECT_NO_THROW(LoadChartFile(again, path)); // the old file is still whole
    EXPECT_TRUE(SameModel(chart, again));
}

// A chart's functions are bounded where they enter: a stream that counts
// more is refused, the model adds no more, and a model that holds more (two
// loads) is not saved. Regression: a count of millions of empty functions
// was read, at some 150 bytes of memory a function.
TEST_F(ChartFiles, AChartHoldsAtMostItsLimitOfFunctions)
{
    const auto stream = [](std::size_t count) {
        const std::vector<uint8_t> empty = Stored(FunctionContainer());
        ArchiveWriter writer;
        writer.WriteString(kChartHeader);
        writer.WriteInt32(static_cast<int32_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            writer.WriteString("x");
            writer.WriteUInt32(0);
            writer.WriteInt32(0);
            writer.WriteInt32(0); // hidden: nothing to sample
        }
        writer.WriteBytes(empty.data() + 15, empty.size() - 15);
        return writer.Bytes();
    };
    FunctionContainer full;
    const std::vector<uint8_t> most = stream(kMaxChartFunctions);
    ArchiveReader reader(most);
    ASSERT_EQ(full.Load(reader), ChartParse::kComplete);
    EXPECT_EQ(full.GetFunctions().size(), kMaxChartFunctions);

    const std::vector<uint8_t> over = stream(kMaxChartFunctions + 1);
    ArchiveReader overReader(over);
    FunctionContainer refused;
    EXPECT_EQ(refused.Load(overReader), ChartParse::kMalformed);
    EXPECT_TRUE(refused.GetFunctions().empty());
    ChartStreamReader streamed;
    streamed.Feed(over.data(), 64);
    EXPECT_EQ(streamed.GetStatus(), ChartStreamReader::Status::kMalformed);

    full.BeginEdit();
    full.SetCurrent(-1);
    EXPECT_EQ(Message([&] { full.SetFunction("x", 0, true, 0); }),
              Cp1250::ToUtf8(ChartMessage::kTooManyFunctions.c_str()));
    full.SetCurrent(0);
    EXPECT_NO_THROW(full.SetFunction("2*x", 0, false, 0)); // a change is no new function
    full.CommitEdit();

    const std::string path = (m_dir / "half.osw").string();
    const std::vector<uint8_t> half = stream(kMaxChartFunctions / 2 + 1);
    FunctionContainer doubled;
    for (int i = 0; i < 2; ++i) {
        ArchiveReader halfReader(half);
        ASSERT_EQ(doubled.Load(halfReader), ChartParse::kComplete);
    }
    EXPECT_EQ(Message([&] { SaveChartFile(doubled, path); }), "Nie udało się zapisać pliku '" + path + "'");
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
