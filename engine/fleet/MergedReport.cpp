// The merged result as the runner's text, as a document and as a report.
#include <cmath>
#include <cstdio>

#include "engine/base/UtcTime.h"
#include "engine/base/Utf8.h"
#include "engine/fleet/MergedRuns.h"
#include "engine/model/RunRecord.h"
#include "engine/output/HtmlReport.h"
#include "engine/output/RunDocument.h"

namespace tarnwell {
namespace {

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Figure(double mbps) { return mbps < 0 ? "-" : Fixed(mbps, 3); }

std::string Percent(double share) { return Fixed(share * 100, 1) + "%"; }

std::string Name(const MergedHost& host) {
  return host.Host + (host.Label ? " (" + *host.Label + ")" : "");
}

const char* PhaseName(bool write) { return write ? MergeTexts::Write : MergeTexts::Read; }

std::string LatencyRow(const MergedLatency& l, bool write) {
  const auto ms = [](double seconds) { return Fixed(seconds * 1000, 3); };
  return std::string(PhaseName(write)) + "\t" + std::to_string(l.Files) + "\t" + ms(l.P50) + "\t" +
         ms(l.P90) + "\t" + ms(l.P99) + "\t" + ms(l.P999) + "\t" + ms(l.Histogram.Max) + "\n";
}

std::string OverlapRow(const PhaseOverlap& p) {
  std::string row = std::to_string(p.Repetition) + "\t" + PhaseName(p.Write) + "\t";
  if (!p.EveryHost) return row + MergeTexts::NotEveryHost + "\n";
  if (p.TooShort) return row + MergeTexts::TooShort + "\n";
  if (!p.Overlapped) return row + MergeTexts::NoOverlap + "\n";
  row += Fixed(p.End - p.Start, 3) + "\t" + Fixed(p.SumMBps, 3) + "\t";
  for (std::size_t i = 0; i < p.Shares.size(); ++i) {
    row += (i == 0 ? "" : " ") + Percent(p.Shares[i]);
  }
  return row + "\n";
}

std::string Number(double value) { return JsonNumber(value); }

std::string LatencyJson(const std::optional<MergedLatency>& latency) {
  if (!latency) return "null";
  const MergedLatency& l = *latency;
  return "{\"files\": " + std::to_string(l.Files) + ", \"p50\": " + Number(l.P50) +
         ", \"p90\": " + Number(l.P90) + ", \"p99\": " + Number(l.P99) +
         ", \"p99.9\": " + Number(l.P999) + ", \"max\": " + Number(l.Histogram.Max) +
         ", \"histogram\": " + HistogramJson(l.Histogram) + "}";
}

// The run document's name for a verdict, as a JSON value; null where the
// phase was not judged.
std::string KindName(VerdictKind kind) {
  return kind == VerdictKind::None ? "null" : JsonString(VerdictKindKey(kind));
}

// Each repetition's verdict, null where the phase was not judged.
std::string KindsJson(const std::vector<VerdictKind>& kinds) {
  std::string json = "[";
  for (std::size_t i = 0; i < kinds.size(); ++i) json += (i == 0 ? "" : ", ") + KindName(kinds[i]);
  return json + "]";
}

std::string VerifyJson(const MergedHost& host) {
  if (!host.Verified) return "null";
  return "{\"passed\": " + std::string(host.SectorsBad == 0 ? "true" : "false") +
         ", \"sectors\": " + std::to_string(host.SectorsChecked) +
         ", \"badSectors\": " + std::to_string(host.SectorsBad) + "}";
}

std::string Utc(double seconds) {
  return JsonString(FormatUtc(static_cast<std::int64_t>(std::llround(seconds * 1e6))));
}

// A parsed value written back, for the choices the hosts share. The parse
// keeps no difference between 3 and 3.0: the runner's counts are named.
std::string ValueJson(const JsonValue& value, bool count = false) {
  switch (value.Type) {
    case JsonValue::Kind::Null:
      return "null";
    case JsonValue::Kind::Bool:
      return value.Boolean ? "true" : "false";
    case JsonValue::Kind::Number:
      return count && std::abs(value.Number) < 1e15
                 ? std::to_string(static_cast<long long>(value.Number))
                 : Number(value.Number);
    case JsonValue::Kind::String:
      return JsonString(value.Text);
    case JsonValue::Kind::Array: {
      std::string json = "[";
      for (std::size_t i = 0; i < value.Items.size(); ++i) {
        json += (i == 0 ? "" : ", ") + ValueJson(value.Items[i]);
      }
      return json + "]";
    }
    case JsonValue::Kind::Object: {
      std::string json = "{";
      for (std::size_t i = 0; i < value.Members.size(); ++i) {
        const std::string& key = value.Members[i].Name;
        json += (i == 0 ? "" : ", ") + JsonString(key) + ": " +
                ValueJson(value.Members[i].Value, key == "repeat" || key == "waitSeconds");
      }
      return json + "}";
    }
  }
  return "null";
}

}  // namespace

std::string MergedText(const MergedRuns& merged) {
  std::string text = MergeTexts::HostHeader;
  for (const MergedHost& host : merged.Hosts) {
    text += PrintableText(host.Host) + "\t" + PrintableText(host.Label.value_or("")) + "\t" +
            Figure(host.WriteMBps) + "\t" + Figure(host.ReadMBps) + "\t" + VerdictCell(host, true) +
            "\t" + VerdictCell(host, false) + "\t" + VerifyCell(host) + "\n";
  }
  if (!merged.Phases.empty()) {
    text += std::string("\n") + MergeTexts::OverlapTitle + MergeTexts::OverlapHeader;
    for (const PhaseOverlap& phase : merged.Phases) text += OverlapRow(phase);
  }
  if (merged.WriteLatency || merged.ReadLatency) {
    text += std::string("\n") + MergeTexts::LatencyTitle + MergeTexts::LatencyHeader;
    if (merged.WriteLatency) text += LatencyRow(*merged.WriteLatency, true);
    if (merged.ReadLatency) text += LatencyRow(*merged.ReadLatency, false);
  }
  const std::vector<std::string> notes = MergeNotes(merged);
  if (!notes.empty()) text += "\n";
  for (const std::string& note : notes) text += note + "\n";
  return text;
}

std::string MergedJson(const MergedRuns& merged) {
  std::string json = "{\n  \"schema\": " + JsonString(MergeTexts::MergeSchema) + ",\n";
  json += "  \"choices\": " + ValueJson(merged.Choices) + ",\n  \"hosts\": [";
  for (std::size_t i = 0; i < merged.Hosts.size(); ++i) {
    const MergedHost& h = merged.Hosts[i];
    const auto mbps = [](double value) { return value < 0 ? std::string("null") : Number(value); };
    json += (i == 0 ? "\n    " : ",\n    ") + std::string("{\"file\": ") + JsonString(h.File) +
            ", \"host\": " + JsonString(h.Host) +
            ", \"label\": " + (h.Label ? JsonString(*h.Label) : "null") +
            ", \"runId\": " + JsonString(h.RunId) + ", \"writeMBPerSecond\": " + mbps(h.WriteMBps) +
            ", \"readMBPerSecond\": " + mbps(h.ReadMBps) +
            ", \"clockOffsetSeconds\": " + (h.ClockOffset ? Number(*h.ClockOffset) : "null") +
            ", \"verdicts\": {\"write\": " + KindsJson(h.WriteVerdicts) +
            ", \"read\": " + KindsJson(h.ReadVerdicts) + "}, \"verify\": " + VerifyJson(h) +
            ", \"countersReason\": " + JsonString(h.CountersReason) + "}";
  }
  json += "\n  ],\n  \"phases\": [";
  for (std::size_t i = 0; i < merged.Phases.size(); ++i) {
    const PhaseOverlap& p = merged.Phases[i];
    json += (i == 0 ? "\n    " : ",\n    ") + std::string("{\"repetition\": ") +
            std::to_string(p.Repetition) + ", \"phase\": " + (p.Write ? "\"write\"" : "\"read\"") +
            ", \"everyHost\": " + (p.EveryHost ? "true" : "false") +
            ", \"tooShort\": " + (p.TooShort ? "true" : "false") +
            ", \"overlapped\": " + (p.Overlapped ? "true" : "false") +
            ", \"clockDoubt\": " + (p.ClockDoubt ? "true" : "false");
    if (p.Overlapped) {
      json += ", \"startUtc\": " + Utc(p.Start) + ", \"endUtc\": " + Utc(p.End) +
              ", \"seconds\": " + Number(std::round((p.End - p.Start) * 1000) / 1000) +
              ", \"mbPerSecond\": " + Number(p.SumMBps) + ", \"hosts\": [";
      for (std::size_t h = 0; h < p.Shares.size(); ++h) {
        json += (h == 0 ? "{" : ", {") + std::string("\"mbPerSecond\": ") + Number(p.HostMBps[h]) +
                ", \"shareOfPhase\": " + Number(p.Shares[h]) + "}";
      }
      json += "]";
    } else {
      json += ", \"mbPerSecond\": null";
    }
    json += "}";
  }
  json += "\n  ],\n  \"latency\": {\"write\": " + LatencyJson(merged.WriteLatency) +
          ", \"read\": " + LatencyJson(merged.ReadLatency) + "},\n";
  std::string unknown;
  for (const std::string& host : merged.UnknownOffsets) {
    unknown += (unknown.empty() ? "" : ", ") + JsonString(host);
  }
  json += "  \"verifyFailed\": " + std::string(merged.VerifyFailed ? "true" : "false") +
          ",\n  \"cacheMeasured\": " + (merged.CacheMeasured ? "true" : "false") +
          ",\n  \"clock\": {\"uncertaintySeconds\": " + Number(merged.ClockUncertainty) +
          ", \"unknownOffsets\": [" + unknown + "]},\n  \"notes\": [";
  const std::vector<std::string> notes = MergeNotes(merged);
  for (std::size_t i = 0; i < notes.size(); ++i)
    json += (i == 0 ? "" : ", ") + JsonString(notes[i]);
  json += "]\n}\n";
  return json;
}

std::string MergedHtmlReport(const MergedRuns& merged) {
  // Names would run into each other under many bars: the table's numbers
  // stand for them there.
  std::vector<ThroughputBars> bars;
  const bool numbered = merged.Hosts.size() > 6;
  for (std::size_t i = 0; i < merged.Hosts.size(); ++i) {
    const MergedHost& host = merged.Hosts[i];
    bars.push_back(
        {numbered ? "#" + std::to_string(i + 1) : Name(host), host.WriteMBps, host.ReadMBps});
  }
  // What the figures below cannot be trusted for comes first.
  std::string body;
  for (const std::string& note : MergeNotes(merged)) {
    body += "<p class=\"note\">" + XmlText(note) + "</p>\n";
  }
  body += "<section><h2>ホストごとの転送速度（平均）</h2>" +
          ThroughputBarChart(bars, "ホストごとの転送速度") + "</section>\n";
  body +=
      "<section><h2>ホスト</h2><table class=\"grid\"><thead><tr><th>#</th><th>ホスト</th>"
      "<th>ラベル</th><th>書き（MB/秒）</th><th>読み（MB/秒）</th><th>書きの判定</th>"
      "<th>読みの判定</th><th>検証</th><th>文書</th></tr></thead>"
      "<tbody>";
  for (std::size_t i = 0; i < merged.Hosts.size(); ++i) {
    const MergedHost& h = merged.Hosts[i];
    body += "<tr><td>" + std::to_string(i + 1) + "</td><td>" + XmlText(h.Host) + "</td><td>" +
            XmlText(h.Label.value_or("")) + "</td><td>" + Figure(h.WriteMBps) + "</td><td>" +
            Figure(h.ReadMBps) + "</td><td>" + XmlText(VerdictCell(h, true)) + "</td><td>" +
            XmlText(VerdictCell(h, false)) + "</td><td>" + XmlText(VerifyCell(h)) + "</td><td>" +
            XmlText(h.File) + "</td></tr>";
  }
  body += "</tbody></table></section>\n";
  body +=
      "<section><h2>全ホストが同時に動いた区間の合計</h2><table class=\"grid\"><thead><tr>"
      "<th>回数</th><th>段階</th><th>区間（秒）</th><th>合計（MB/秒）</th>"
      "<th>各ホストの段階に占める割合</th></tr></thead><tbody>";
  for (const PhaseOverlap& p : merged.Phases) {
    body += "<tr><td>" + std::to_string(p.Repetition) + "</td><td>" + PhaseName(p.Write) + "</td>";
    if (!p.Overlapped) {
      body += std::string("<td colspan=\"3\">") +
              (!p.EveryHost ? MergeTexts::NotEveryHost
               : p.TooShort ? MergeTexts::TooShort
                            : MergeTexts::NoOverlap) +
              "</td></tr>";
      continue;
    }
    std::string shares;
    for (std::size_t i = 0; i < p.Shares.size(); ++i) {
      shares += (i == 0 ? "" : " ") + Percent(p.Shares[i]);
    }
    body += "<td>" + Fixed(p.End - p.Start, 3) + "</td><td>" + Fixed(p.SumMBps, 3) + "</td><td>" +
            shares + "</td></tr>";
  }
  body += "</tbody></table></section>\n";
  body +=
      "<section><h2>ファイルごとの所要時間（全ホスト、ミリ秒）</h2><table class=\"grid\">"
      "<thead><tr><th>段階</th><th>ファイル数</th><th>p50</th><th>p90</th><th>p99</th>"
      "<th>p99.9</th><th>最大</th></tr></thead><tbody>";
  for (const bool write : {true, false}) {
    const std::optional<MergedLatency>& latency = write ? merged.WriteLatency : merged.ReadLatency;
    if (!latency) continue;
    const MergedLatency& l = *latency;
    std::string cells =
        std::string("<td>") + PhaseName(write) + "</td><td>" + std::to_string(l.Files) + "</td>";
    for (const double seconds : {l.P50, l.P90, l.P99, l.P999, l.Histogram.Max}) {
      cells += "<td>" + Fixed(seconds * 1000, 3) + "</td>";
    }
    body += "<tr>" + cells + "</tr>";
  }
  body += "</tbody></table></section>\n";
  char subtitle[128];
  std::snprintf(subtitle, sizeof subtitle,
                merged.VerifyFailed ? MergeTexts::HostCountFailed : MergeTexts::HostCount,
                merged.Hosts.size());
  return ReportPage("複数ホストの測定", "複数ホストの測定", subtitle, body);
}

}  // namespace tarnwell
