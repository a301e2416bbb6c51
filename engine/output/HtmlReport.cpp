// The HTML report: summary, conditions, charts, percentiles and the table.
#include "engine/output/HtmlReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/base/Utf8.h"
#include "engine/judge/ShortPhases.h"
#include "engine/judge/Verdict.h"
#include "engine/judge/VerifyNotes.h"
#include "engine/judge/WriteCliff.h"
#include "engine/run/WholeDriveCheck.h"

namespace tarnwell {
namespace {

constexpr const char* WriteColour = "#2f6fdf";
constexpr const char* ReadColour = "#e0802a";
constexpr const char* Ink = "#1f2933";
constexpr const char* Grid = "#d9dee5";

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Px(double value) { return Fixed(value, 1); }

// The smallest 1, 2, 2.5 or 5 times a power of ten at or above `value`.
double NiceCeiling(double value) {
  if (!(value > 0)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (step * power >= value * 0.999999) return step * power;
  }
  return 10 * power;
}

std::string Text(double x, double y, const std::string& text, const char* anchor = "middle",
                 const char* extra = "") {
  return "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" text-anchor=\"" + anchor + "\"" + extra +
         ">" + XmlText(text) + "</text>";
}

struct Plot {
  double width = 720, height = 260;
  double left = 64, right = 16, top = 16, bottom = 44;
  double InnerWidth() const { return width - left - right; }
  double InnerHeight() const { return height - top - bottom; }
  double Y(double value, double max) const { return top + InnerHeight() * (1 - value / max); }
};

// Horizontal grid lines and their labels up to `max`.
std::string Axis(const Plot& plot, double max, const std::string& unit) {
  std::string svg;
  // Steps of 1, 2 or 5 times a power of ten: five for 1, 2.5 and 5, four for 2.
  const double leading = max / std::pow(10.0, std::floor(std::log10(max)));
  const int steps = std::abs(leading - 2) < 1e-9 ? 4 : 5;
  for (int i = 0; i <= steps; ++i) {
    const double value = max * i / steps;
    const double y = plot.Y(value, max);
    svg += "<line x1=\"" + Px(plot.left) + "\" x2=\"" + Px(plot.width - plot.right) + "\" y1=\"" +
           Px(y) + "\" y2=\"" + Px(y) + "\" stroke=\"" + Grid + "\"/>";
    std::string label = Fixed(value, 1);
    if (label.ends_with(".0")) label.resize(label.size() - 2);
    svg += Text(plot.left - 6, y + 4, label, "end");
  }
  svg +=
      Text(14, plot.top + plot.InnerHeight() / 2, unit, "middle",
           (" transform=\"rotate(-90 14 " + Px(plot.top + plot.InnerHeight() / 2) + ")\"").c_str());
  return svg;
}

std::string SvgOpen(const Plot& plot, const std::string& label) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + Px(plot.width) + " " +
         Px(plot.height) + "\" role=\"img\" aria-label=\"" + XmlText(label) + "\">";
}

std::string Legend(double x, double y, const char* colour, const std::string& label) {
  return "<rect x=\"" + Px(x) + "\" y=\"" + Px(y - 9) +
         "\" width=\"12\" height=\"12\" rx=\"2\" fill=\"" + colour + "\"/>" +
         Text(x + 18, y + 1, label, "start");
}

// Write and read MB/s of each repetition, side by side.
std::string BarChart(const RunRecord& run) {
  Plot plot;
  double max = 0;
  for (const RepetitionRecord& r : run.Repetitions) {
    if (r.Write) max = std::max(max, r.Write->MBPerSecond);
    if (r.Read) max = std::max(max, r.Read->MBPerSecond);
  }
  max = NiceCeiling(max);
  std::string svg = SvgOpen(plot, "繰り返しごとの転送速度") + Axis(plot, max, "MB/秒");
  const double slot = plot.InnerWidth() / std::max<std::size_t>(run.Repetitions.size(), 1);
  const double bar = std::min(slot * 0.34, 48.0);
  for (std::size_t i = 0; i < run.Repetitions.size(); ++i) {
    const RepetitionRecord& r = run.Repetitions[i];
    const double centre = plot.left + slot * (static_cast<double>(i) + 0.5);
    auto column = [&](const std::optional<PhaseRecord>& phase, double x, const char* colour) {
      if (!phase) return std::string();
      const double y = plot.Y(phase->MBPerSecond, max);
      return "<rect x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" width=\"" + Px(bar) + "\" height=\"" +
             Px(plot.top + plot.InnerHeight() - y) + "\" rx=\"3\" fill=\"" + colour + "\"><title>" +
             Fixed(phase->MBPerSecond, 3) + " MB/秒</title></rect>" +
             Text(x + bar / 2, y - 4, Fixed(phase->MBPerSecond, 1), "middle", " class=\"value\"");
    };
    svg += column(r.Write, centre - bar - 2, WriteColour);
    svg += column(r.Read, centre + 2, ReadColour);
    svg += Text(centre, plot.height - plot.bottom + 18, std::to_string(r.Number) + " 回目");
  }
  svg += Legend(plot.left, plot.height - 6, WriteColour, "書き込み");
  svg += Legend(plot.left + 110, plot.height - 6, ReadColour, "読み込み");
  return svg + "</svg>";
}

// The lasting fall of a phase drawn with `shares` shares: a dashed line
// between the last fast share and the first slow one; nothing without one.
std::string CliffMark(const Plot& plot, const PhaseRecord& phase, std::size_t shares,
                      const std::string& name) {
  if (!phase.Cliff || phase.Cliff->Share >= static_cast<std::int32_t>(shares)) return "";
  const double x = plot.left + plot.InnerWidth() * phase.Cliff->Share / static_cast<double>(shares);
  return "<line class=\"cliff\" x1=\"" + Px(x) + "\" x2=\"" + Px(x) + "\" y1=\"" + Px(plot.top) +
         "\" y2=\"" + Px(plot.height - plot.bottom) + "\" stroke=\"" + Ink +
         "\" stroke-dasharray=\"4 3\"><title>" + name + ": " +
         XmlText(WriteCliffText(*phase.Cliff)) + "</title></line>" +
         Text(x + 4, plot.top + 12, "低下", "start");
}

// MB/s over successive shares of the files, one line per repetition.
std::string TimelineChart(const RunRecord& run, bool write) {
  Plot plot;
  double max = 0;
  std::size_t longest = 0;
  for (const RepetitionRecord& r : run.Repetitions) {
    const std::optional<PhaseRecord>& phase = write ? r.Write : r.Read;
    if (!phase) continue;
    for (double v : phase->Stats.Timeline) max = std::max(max, v);
    longest = std::max(longest, phase->Stats.Timeline.size());
  }
  if (longest == 0) return "<p class=\"note\">ファイルごとの時間は記録されていません。</p>";
  max = NiceCeiling(max);
  // A row below the axis title for the legend.
  plot.height += 22;
  plot.bottom += 22;
  std::string svg = SvgOpen(plot, write ? "書き込みの転送速度の推移" : "読み込みの転送速度の推移") +
                    Axis(plot, max, "MB/秒");
  for (int i = 0; i <= 4; ++i) {
    const double x = plot.left + plot.InnerWidth() * i / 4;
    svg += Text(x, plot.height - plot.bottom + 18, std::to_string(i * 25) + "%");
  }
  svg +=
      Text(plot.left + plot.InnerWidth() / 2, plot.height - 28, "ファイルの順（全体に対する割合）");
  const char* colour = write ? WriteColour : ReadColour;
  const std::size_t count = run.Repetitions.size();
  double legendX = plot.left;
  for (std::size_t i = 0; i < count; ++i) {
    const std::optional<PhaseRecord>& phase =
        write ? run.Repetitions[i].Write : run.Repetitions[i].Read;
    if (!phase || phase->Stats.Timeline.empty()) continue;
    const std::vector<double>& values = phase->Stats.Timeline;
    std::string points;
    for (std::size_t k = 0; k < values.size(); ++k) {
      // Each share drawn at its middle.
      const double x = plot.left + plot.InnerWidth() * (static_cast<double>(k) + 0.5) /
                                       static_cast<double>(values.size());
      points += (k == 0 ? "" : " ") + Px(x) + "," + Px(plot.Y(values[k], max));
    }
    // Later repetitions drawn stronger, so the last one reads on top.
    const double opacity = count == 1 ? 1.0 : 0.35 + 0.65 * static_cast<double>(i) / (count - 1);
    const std::string stroke = "stroke=\"" + std::string(colour) +
                               "\" stroke-width=\"2\" opacity=\"" + Fixed(opacity, 2) + "\"";
    const std::string name = std::to_string(run.Repetitions[i].Number) + " 回目";
    svg += "<polyline fill=\"none\" ";
    svg += stroke;
    svg += " stroke-linejoin=\"round\" points=\"";
    svg += points;
    svg += "\"><title>";
    svg += name;
    svg += "</title></polyline>";
    svg += CliffMark(plot, *phase, values.size(), name);
    // The legend: each repetition's shade beside its name.
    const double legendY = plot.height - 10;
    svg += "<line x1=\"" + Px(legendX) + "\" x2=\"" + Px(legendX + 18) + "\" y1=\"" + Px(legendY) +
           "\" y2=\"" + Px(legendY) + "\" " + stroke + "/>" +
           Text(legendX + 22, legendY + 4, name, "start");
    legendX += 64;
  }
  return svg + "</svg>";
}

// One phase's means over the runs: a line and a dot per run, the current
// run's larger; runs without that phase are left out.
std::string HistoryLine(const Plot& plot, const std::vector<const RunRecord*>& runs, double max,
                        bool write) {
  const double step = plot.InnerWidth() / static_cast<double>(runs.size());
  std::string points, dots;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const double value = write ? runs[i]->MeanWriteMBps : runs[i]->MeanReadMBps;
    if (value < 0) continue;
    const double x = plot.left + step * (static_cast<double>(i) + 0.5);
    const double y = plot.Y(value, max);
    points += (points.empty() ? "" : " ") + Px(x) + "," + Px(y);
    const bool current = i + 1 == runs.size();
    dots += "<circle cx=\"" + Px(x) + "\" cy=\"" + Px(y) + "\" r=\"" + (current ? "5" : "3.5") +
            "\" fill=\"" + (write ? WriteColour : ReadColour) + "\"><title>" +
            XmlText(runs[i]->Date) + ": " + Fixed(value, 3) + " MB/秒</title></circle>";
  }
  return "<polyline fill=\"none\" stroke=\"" + std::string(write ? WriteColour : ReadColour) +
         "\" stroke-width=\"1.5\" points=\"" + points + "\"/>" + dots;
}

// Mean MB/s of the earlier runs of this setup and of this one, over time.
std::string HistoryChart(const RunRecord& run, const std::vector<RunRecord>& earlier) {
  std::vector<const RunRecord*> runs;
  for (const RunRecord& r : earlier) {
    if (r.MeanWriteMBps >= 0 || r.MeanReadMBps >= 0) runs.push_back(&r);
  }
  // A chart of thousands of points is unreadable and the file huge.
  if (runs.size() > ComparedRuns)
    runs.erase(runs.begin(), runs.end() - static_cast<std::ptrdiff_t>(ComparedRuns));
  if (runs.empty())
    return "<p class=\"note\">同じデバイスと条件での以前の測定は、履歴にありません。</p>";
  runs.push_back(&run);
  Plot plot;
  plot.height = 220;
  double max = 0;
  for (const RunRecord* r : runs) max = std::max({max, r->MeanWriteMBps, r->MeanReadMBps});
  max = NiceCeiling(max);
  std::string svg = SvgOpen(plot, "これまでの平均転送速度") + Axis(plot, max, "MB/秒");
  const double step = plot.InnerWidth() / static_cast<double>(runs.size());
  for (const bool write : {true, false}) svg += HistoryLine(plot, runs, max, write);
  // Dates under the first, the last and a few between.
  const std::size_t every = std::max<std::size_t>(1, runs.size() / 6);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (i % every != 0 && i + 1 != runs.size()) continue;
    svg += Text(plot.left + step * (static_cast<double>(i) + 0.5), plot.height - plot.bottom + 18,
                i + 1 == runs.size() ? "今回" : runs[i]->Date.substr(0, 10));
  }
  svg += Legend(plot.left, plot.height - 6, WriteColour, "書き込み");
  svg += Legend(plot.left + 110, plot.height - 6, ReadColour, "読み込み");
  return svg + "</svg>";
}

std::string Milliseconds(double seconds) { return Fixed(seconds * 1000, 3); }

std::string LatencyTable(const RunRecord& run) {
  std::string html =
      "<table class=\"grid\"><thead><tr><th>回</th><th>段階</th><th>ファイル数</th><th>p50</th>"
      "<th>p90</th><th>p99</th><th>p99.9</th><th>最大</th></tr></thead><tbody>";
  bool any = false;
  for (const RepetitionRecord& r : run.Repetitions) {
    for (const bool write : {true, false}) {
      const std::optional<PhaseRecord>& phase = write ? r.Write : r.Read;
      if (!phase || phase->Stats.Files == 0) continue;
      any = true;
      const PhaseStats& s = phase->Stats;
      html += "<tr><td>" + std::to_string(r.Number) + "</td><td>" +
              (write ? "書き込み" : "読み込み") + "</td><td>" + std::to_string(s.Files) +
              "</td><td>" + Milliseconds(s.P50) + "</td><td>" + Milliseconds(s.P90) + "</td><td>" +
              Milliseconds(s.P99) + "</td><td>" + Milliseconds(s.P999) + "</td><td>" +
              Milliseconds(s.Max) + "</td></tr>";
    }
  }
  if (!any) return "<p class=\"note\">ファイルごとの時間は記録されていません。</p>";
  return html +
         "</tbody></table><p class=\"note\">1 "
         "ファイルを開いてから閉じるまで（書き込みはフラッシュを含む）の時間、ミリ秒。</p>";
}

std::string Row(const std::string& name, const std::string& value) {
  return "<tr><th>" + XmlText(name) + "</th><td>" + XmlText(value) + "</td></tr>";
}

std::string Bytes(std::int64_t bytes) {
  if (bytes < 0) return "不明";
  const double gib = static_cast<double>(bytes) / (1024.0 * 1024 * 1024);
  return gib >= 1 ? Fixed(gib, 1) + " GiB"
                  : Fixed(static_cast<double>(bytes) / 1048576.0, 1) + " MiB";
}

std::string Card(const std::string& label, const std::string& value, const std::string& unit,
                 const char* colour) {
  return "<div class=\"card\" style=\"border-top-color:" + std::string(colour) +
         "\"><div class=\"label\">" + XmlText(label) + "</div><div class=\"value\">" +
         XmlText(value) + "<span class=\"unit\">" + XmlText(unit) + "</span></div></div>";
}

constexpr const char* Style = R"(
body{font-family:"Noto Sans CJK JP","IPAGothic","Hiragino Sans","Yu Gothic","Meiryo",sans-serif;color:#1f2933;background:#f4f6f9;margin:0;line-height:1.55}
main{max-width:860px;margin:0 auto;padding:28px 24px 40px}
header h1{font-size:26px;margin:0 0 4px}
header p{margin:0;color:#5b6674}
section{background:#fff;border-radius:10px;box-shadow:0 1px 3px rgba(15,23,42,.08);padding:18px 22px;margin:18px 0}
h2{font-size:17px;margin:0 0 12px;padding-left:10px;border-left:4px solid #2f6fdf}
h3{font-size:14px;margin:14px 0 4px;color:#5b6674}
.cards{display:flex;flex-wrap:wrap;gap:12px;background:none;box-shadow:none;padding:0}
.card{flex:1 1 180px;background:#fff;border-radius:10px;box-shadow:0 1px 3px rgba(15,23,42,.08);border-top:4px solid #8896a8;padding:12px 16px}
.card .label{font-size:12px;color:#5b6674}
.card .value{font-size:24px;font-weight:700}
.card .unit{font-size:13px;font-weight:400;margin-left:4px;color:#5b6674}
table{border-collapse:collapse;width:100%;font-size:13px}
.kv th{text-align:left;font-weight:400;color:#5b6674;width:34%;padding:3px 8px 3px 0;vertical-align:top}
.kv td{padding:3px 0;word-break:break-all}
.grid th,.grid td{border-bottom:1px solid #e4e8ee;padding:5px 8px;text-align:right}
.grid th:nth-child(2),.grid td:nth-child(2){text-align:left}
.grid thead th{color:#5b6674;font-weight:600}
svg{width:100%;height:auto;font-size:12px;fill:#1f2933}
svg .value{font-size:11px;fill:#5b6674}
pre{font-family:"IPAGothic","Noto Sans Mono CJK JP",monospace;font-size:12.5px;background:#f7f8fa;border:1px solid #e4e8ee;border-radius:6px;padding:12px;overflow-x:auto;tab-size:8}
.note{font-size:12px;color:#5b6674}
.stopped{background:#fff4e5;border-left:4px solid #e0802a}
footer{font-size:12px;color:#8896a8;text-align:center;margin-top:24px}
@media print{body{background:#fff}section,.card{box-shadow:none;border:1px solid #d9dee5;break-inside:avoid}main{padding:0}}
)";

}  // namespace

std::string HtmlReport(const RunRecord& run, const std::vector<RunRecord>& earlier) {
  const platform::DeviceIdentity& d = run.Device;
  std::string html;
  if (run.Result != "completed") {
    html += "<section class=\"stopped\"><strong>この測定は途中で終わりました" +
            std::string(run.Result == "interrupted" ? "（中止）" : "") + "。</strong>" +
            (run.Message.empty() ? "" : "<br/>" + XmlText(run.Message)) + "</section>\n";
  }
  html += "<section class=\"cards\">" +
          Card("書き込み（平均）", run.MeanWriteMBps >= 0 ? Fixed(run.MeanWriteMBps, 1) : "—",
               "MB/秒", WriteColour) +
          Card("読み込み（平均）", run.MeanReadMBps >= 0 ? Fixed(run.MeanReadMBps, 1) : "—",
               "MB/秒", ReadColour) +
          Card("ファイル", run.FileSize + " × " + std::to_string(run.FileCount), "", Ink) +
          (VerdictSummary(run).empty() ? "" : Card("装置の判定", VerdictSummary(run), "", Ink)) +
          "</section>\n";
  // Whether the figures are the device's: one line per phase.
  if (const std::vector<std::string> lines = VerdictLines(run); !lines.empty()) {
    html += "<section><h2>装置の判定</h2>";
    for (const std::string& line : lines) html += "<p class=\"note\">" + XmlText(line) + "</p>";
    html += "</section>\n";
  }
  html += "<section><h2>測定の条件</h2><table class=\"kv\">" + Row("日時", run.Date) +
          Row("コンピュータ", run.Host) + Row("OS", run.System) + Row("フォルダ", run.Folder) +
          Row("デバイス", d.Model.empty() ? (d.DeviceName.empty() ? "不明" : d.DeviceName)
                                          : d.Model + " (" + d.DeviceName + ")") +
          Row("ファイルシステム", d.FileSystemType + "  " + d.MountSource + " → " + d.MountPoint) +
          Row("回転型", d.Rotational < 0    ? "不明"
                        : d.Rotational == 1 ? "はい（HDD）"
                                            : "いいえ") +
          Row("セクタ長（論理 / 物理）", d.LogicalSectorBytes > 0
                                             ? std::to_string(d.LogicalSectorBytes) + " / " +
                                                   std::to_string(d.PhysicalSectorBytes) + " バイト"
                                             : "不明") +
          Row("測定前の空き容量", Bytes(d.FreeBytes)) + Row("I/O", run.IoMode) +
          Row("ファイルの大きさ / 総容量", run.FileSize + " / " + run.Total + "（" +
                                               std::to_string(run.FileCount) + " ファイル）") +
          Row("ブロック", run.Block) + Row("繰り返し", std::to_string(run.Repeat) + " 回") +
          Row("待機", std::to_string(run.WaitSeconds) + " 秒") +
          Row("読み込み", run.ReadPercent + "%（" + std::to_string(run.ReadCount) + " ファイル、" +
                              (run.Random ? "ランダムな順" : "名前順") + "）" +
                              (run.ReadOnly ? "、読み込みのみ" : "")) +
          Row("終了後の削除", run.Delete ? "する" : "しない") + "</table></section>\n";
  std::vector<std::string> precision;
  ShortPhaseNotes(run, precision);
  WriteCliffNotes(run, precision);
  if (!precision.empty()) {
    html += "<section><h2>測定の精度</h2>";
    for (const std::string& note : precision) html += "<p>" + XmlText(note) + "</p>";
    html += "</section>\n";
  }
  html += "<section><h2>繰り返しごとの転送速度</h2>" + BarChart(run) + "</section>\n";
  html += std::string(
              "<section><h2>転送速度の推移</h2><p class=\"note\">ファイルを順に"
              "等分した区間ごとの MB/秒。落ち込みは、書き込みキャッシュが尽きた、"
              "デバイスが熱で速度を落とした、などを示します。</p>") +
          "<h3>書き込み</h3>" + TimelineChart(run, true) + "<h3>読み込み</h3>" +
          TimelineChart(run, false) + "</section>\n";
  html += "<section><h2>ファイルごとの所要時間（ミリ秒）</h2>" + LatencyTable(run) + "</section>\n";
  html += VerifySection(run);
  html += FillSection(run);
  html += "<section><h2>これまでの測定との比較</h2>" + HistoryChart(run, earlier) + "</section>\n";
  html += "<section><h2>結果の表</h2><pre>" + XmlText(run.Table) + "</pre></section>\n";
  return ReportPage("レポート " + run.Date, "Tarnwell ディスク測定レポート",
                    run.Date + " · " + run.Host + " · " + DeviceLabel(d), html);
}

std::string ThroughputBarChart(const std::vector<ThroughputBars>& groups,
                               const std::string& label) {
  Plot plot;
  double max = 0;
  for (const ThroughputBars& g : groups) max = std::max({max, g.WriteMBps, g.ReadMBps});
  max = NiceCeiling(max);
  std::string svg = SvgOpen(plot, label) + Axis(plot, max, "MB/秒");
  const double slot =
      plot.InnerWidth() / static_cast<double>(std::max<std::size_t>(groups.size(), 1));
  const double bar = std::min(slot * 0.34, 48.0);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const double centre = plot.left + slot * (static_cast<double>(i) + 0.5);
    auto column = [&](double mbps, double x, const char* colour) {
      if (mbps < 0) return std::string();
      const double y = plot.Y(mbps, max);
      return "<rect x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" width=\"" + Px(bar) + "\" height=\"" +
             Px(plot.top + plot.InnerHeight() - y) + "\" rx=\"3\" fill=\"" + colour + "\"><title>" +
             XmlText(groups[i].Name) + ": " + Fixed(mbps, 3) + " MB/秒</title></rect>" +
             Text(x + bar / 2, y - 4, Fixed(mbps, 1), "middle", " class=\"value\"");
    };
    svg += column(groups[i].WriteMBps, centre - bar - 2, WriteColour);
    svg += column(groups[i].ReadMBps, centre + 2, ReadColour);
    svg += Text(centre, plot.height - plot.bottom + 18, groups[i].Name);
  }
  svg += Legend(plot.left, plot.height - 6, WriteColour, "書き込み");
  svg += Legend(plot.left + 110, plot.height - 6, ReadColour, "読み込み");
  return svg + "</svg>";
}

std::string ReportPage(const std::string& title, const std::string& heading,
                       const std::string& subtitle, const std::string& sections) {
  return "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"ja\" "
         "xml:lang=\"ja\">\n"
         "<head><meta charset=\"UTF-8\"/><meta name=\"viewport\" content=\"width=device-width\"/>"
         "<title>Tarnwell " +
         XmlText(title) + "</title><style>" + Style +
         "</style></head>\n<body><main>\n<header><h1>" + XmlText(heading) + "</h1><p>" +
         XmlText(subtitle) + "</p></header>\n" + sections +
         "<footer>Tarnwell で作成</footer>\n</main></body></html>\n";
}

}  // namespace tarnwell
