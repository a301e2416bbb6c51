// The result text byte for byte: rows, summaries, the zero-time cases and
// the text's conversion to the Japanese ANSI code page.
#include <gtest/gtest.h>
#include <iconv.h>

#include "engine/run/ResultTable.h"

namespace tarnwell {
namespace {

double Days(double milliseconds) { return milliseconds / 86400000.0; }

// Recorded times are whole milliseconds; an elapsed time a little above each
// one keeps the rounding-down from taking one off.
double Elapsed(int milliseconds) { return Days(milliseconds + 0.4); }

const std::string ExampleText =
    "回数\t時間\t書き(Mbps）\t書き（MB/秒）\t時間\t読み（Mbps）\t読み（MB/秒）\r\n"
    "1\t0.050\t  167.772\t   20.000\t0.020\t  419.430\t   50.000\r\n"
    "2\t0.052\t  161.319\t   19.231\t0.021\t  399.458\t   47.619\r\n"
    "3\t0.048\t  174.763\t   20.833\t0.019\t  441.506\t   52.632\r\n"
    "\r\n"
    "●書き込み\r\n"
    "平均所要時間（秒）：0.050\r\n"
    "分散：0.000002667\r\n"
    "平均転送速度（Mbps）：167.772\r\n"
    "平均転送速度（MB/秒）：20.000\r\n"
    "\r\n"
    "●読み込み\r\n"
    "平均所要時間（秒）：0.020\r\n"
    "分散：0.000000667\r\n"
    "平均転送速度（Mbps）：419.430\r\n"
    "平均転送速度（MB/秒）：50.000\r\n";

ResultTable ExampleTable() {
  ResultTable table;
  table.Reset();
  const int writes[] = {50, 52, 48};
  const int reads[] = {20, 21, 19};
  for (int i = 1; i <= 3; ++i) {
    table.AppendWriteHalf(i, Elapsed(writes[i - 1]), 1048576);
    table.AppendReadHalf(i, Elapsed(reads[i - 1]), 1048576);
  }
  table.AppendSummaries(3, false, 1048576, 1048576);
  return table;
}

std::string ToCodePage932(const std::string& utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
  std::string input = utf8;
  std::string output(utf8.size() * 2, '\0');
  char* in = input.data();
  char* out = output.data();
  std::size_t inLeft = input.size();
  std::size_t outLeft = output.size();
  const std::size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  EXPECT_NE(converted, static_cast<std::size_t>(-1)) << "a character CP932 does not have";
  output.resize(output.size() - outLeft);
  return output;
}

TEST(ResultTable, ThreeRepetitionExampleByteForByte) {
  const ResultTable table = ExampleTable();
  EXPECT_EQ(table.Text(), ExampleText);
  EXPECT_EQ(table.MemoText(), ExampleText + "\r\n");
  EXPECT_EQ(table.WriteSeconds(2), 0.052);
  EXPECT_EQ(table.ReadSeconds(3), 0.019);
}

TEST(ResultTable, ConvertsToTheJapaneseAnsiCodePage) {
  const std::string ansi = ToCodePage932(ExampleTable().Text());
  // Header: 回数 TAB 時間 TAB 書き ( Mbps ） ...: an ASCII "(" then a full-width "）".
  const std::string header = ansi.substr(0, ansi.find("\r\n") + 2);
  const std::string expectedHeader =
      "\x89\xf1\x90\x94\t\x8e\x9e\x8a\xd4\t\x8f\x91\x82\xab(Mbps\x81\x6a\t"
      "\x8f\x91\x82\xab\x81\x69MB/\x95\x62\x81\x6a\t\x8e\x9e\x8a\xd4\t"
      "\x93\xc7\x82\xdd\x81\x69Mbps\x81\x6a\t\x93\xc7\x82\xdd\x81\x69MB/\x95\x62\x81\x6a\r\n";
  EXPECT_EQ(header, expectedHeader);
  // Full-width colon and the bullet of the block titles.
  EXPECT_NE(ansi.find("\x81\x9c\x8f\x91\x82\xab\x8d\x9e\x82\xdd\r\n"), std::string::npos);
  EXPECT_NE(ansi.find("\x95\xaa\x8e\x55\x81\x46"
                      "0.000002667\r\n"),
            std::string::npos);
}

TEST(ResultTable, ReadOnlyRowsHaveZeroWritesAndNoWriteBlock) {
  ResultTable table;
  table.Reset();
  table.AppendWriteHalf(1, 0, 0);
  table.AppendReadHalf(1, Elapsed(10), 1048576);
  table.AppendWriteHalf(2, 0, 0);
  table.AppendReadHalf(2, Elapsed(30), 1048576);
  table.AppendSummaries(2, true, 0, 1048576);
  const std::string& text = table.Text();
  EXPECT_NE(text.find("\r\n1\t0.000\t    0.000\t    0.000\t0.010\t"), std::string::npos);
  EXPECT_NE(text.find("\r\n2\t0.000\t    0.000\t    0.000\t0.030\t"), std::string::npos);
  EXPECT_EQ(text.find("●書き込み"), std::string::npos);
  EXPECT_NE(text.find("\r\n\r\n●読み込み\r\n平均所要時間（秒）：0.020\r\n分散：0.000100000\r\n"),
            std::string::npos);
}

TEST(ResultTable, SingleRepetitionAndZeroTimes) {
  ResultTable table;
  table.Reset();
  table.AppendWriteHalf(1, Elapsed(123), 10485760);
  EXPECT_EQ(table.Text().substr(table.Text().find("\r\n") + 2), "1\t0.123\t  682.001\t   81.301\t");
  table.AppendReadHalf(1, Days(0.9), 1048576);  // under a millisecond
  EXPECT_TRUE(table.Text().ends_with("\t0.000\t    0.000\t    0.000\r\n"));
  table.AppendSummaries(1, false, 10485760, 1048576);
  const std::string& text = table.Text();
  EXPECT_NE(text.find("平均所要時間（秒）：0.123\r\n分散：0.000000000\r\n"), std::string::npos);
  // A mean of zero has no throughput: shown as zero rather than infinity.
  EXPECT_TRUE(
      text.ends_with("平均所要時間（秒）：0.000\r\n分散：0.000000000\r\n"
                     "平均転送速度（Mbps）：0.000\r\n平均転送速度（MB/秒）：0.000\r\n"));
}

TEST(ResultTable, WideNumbersTakeTheRoomTheyNeedAndWholeDaysAreDropped) {
  ResultTable table;
  table.Reset();
  table.AppendWriteHalf(1, Elapsed(1), 1073741824);  // 1 GB in 1 ms
  EXPECT_NE(table.Text().find("\t0.001\t8589934.592\t1024000.000\t"), std::string::npos);
  table.AppendReadHalf(1, (90061.5 + 0.0004) / 86400.0, 1048576);
  EXPECT_EQ(table.ReadSeconds(1), 3661.5);
  EXPECT_NE(table.Text().find("\t3661.500\t"), std::string::npos);
}

TEST(ResultTable, RegionalSeparatorAppliesToThroughputsNotToTimes) {
  ResultTable table(',');
  table.Reset();
  table.AppendWriteHalf(1, Elapsed(50), 1048576);
  table.AppendReadHalf(1, Elapsed(20), 1048576);
  table.AppendSummaries(1, false, 1048576, 1048576);
  const std::string& text = table.Text();
  EXPECT_NE(text.find("1\t0.050\t  167,772\t   20,000\t0.020\t  419,430\t   50,000\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("平均所要時間（秒）：0,050\r\n分散：0,000000000\r\n"), std::string::npos);
}

TEST(ResultTable, ResetStartsANewRun) {
  ResultTable table = ExampleTable();
  table.Reset();
  EXPECT_EQ(table.Text(), "");
  EXPECT_EQ(table.WriteSeconds(1), 0);
  EXPECT_EQ(table.WriteHalves(), 0);
  table.AppendWriteHalf(1, Elapsed(5), 1024);
  EXPECT_TRUE(table.Text().starts_with(ResultTable::Header));
}

}  // namespace
}  // namespace tarnwell
